// The seed of a randomised test: VANTOR_TEST_SEED when it is set, so that a failing run can
// be repeated exactly, otherwise a fresh one each run. Tests print it with every failure.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>

namespace vantor::testing {

inline uint32_t TestSeed() {
    if (const char* given = std::getenv("VANTOR_TEST_SEED")) {
        return static_cast<uint32_t>(std::strtoul(given, nullptr, 10));
    }
    return std::random_device{}();
}

}  // namespace vantor::testing
