// The seed of a randomised test. By default a fixed one, so that every run tries the same
// cases and a failure comes back when the run is repeated; VANTOR_TEST_SEED=random asks
// for a fresh one each run, and VANTOR_TEST_SEED=<number> repeats a run that failed. Tests
// print the seed with every failure, in the form that repeats it.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

namespace vantor::testing {

inline constexpr uint32_t kFixedTestSeed = 20261208;

inline uint32_t TestSeed() {
    const char* given = std::getenv("VANTOR_TEST_SEED");
    if (!given || !*given) return kFixedTestSeed;
    if (std::string(given) == "random") return std::random_device{}();
    char* end = nullptr;
    const unsigned long seed = std::strtoul(given, &end, 10);
    if (*end || seed > UINT32_MAX) {
        const std::string problem = "VANTOR_TEST_SEED is neither a number nor \"random\": ";
        throw std::invalid_argument(problem + given);
    }
    return static_cast<uint32_t>(seed);
}

}  // namespace vantor::testing
