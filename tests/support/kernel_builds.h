// Runs each case of a kernel test through both builds of the kernels: the best the processor
// runs, then the plain C++ one, so that the path of a machine without AVX2 (or of another
// architecture) is tested on this one too. forcePlain is the layer's switch.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vantor::testing {

template <void (*forcePlain)(bool)>
class BothKernelBuilds : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override { forcePlain(GetParam()); }
    void TearDown() override { forcePlain(false); }
};

inline std::string KernelBuildName(const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "Plain" : "Best";
}

}  // namespace vantor::testing

// Instantiates the fixture's tests for both builds, named .../Best and .../Plain.
#define VANTOR_TEST_BOTH_KERNEL_BUILDS(Fixture) \
    INSTANTIATE_TEST_SUITE_P(Builds, Fixture, ::testing::Bool(), ::vantor::testing::KernelBuildName)
