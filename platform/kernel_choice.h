// The platform's kernel dispatcher. Every kernel family of the platform (fill, copy, keyed
// copy, stretch, frame conversion) has a plain C++ build, always there and the reference, and
// may have SIMD builds in files of their own (*_avx2.cpp, built for AVX2 on x86 only, empty
// elsewhere). Each family keeps one table of function pointers per build; this file says,
// once per process, which build serves.
//
// The system's blend rows have their own dispatcher (surfaces/blend_rows.cpp): the system
// never includes the platform's internals nor reads its settings, and asks Windows'
// IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE), which the platform answers
// from the same choice (kernel_choice.cpp).
#pragma once

#include <atomic>

namespace vantor::platform {

enum class KernelBuild { Plain, Avx2 };

// VANTOR_CPU's one value: the plain kernels only, whatever the processor runs.
inline constexpr char kBaselineCpu[] = "baseline";

// The build in force, as a KernelBuild; -1 until the first kernel asks.
extern std::atomic<int> kernelBuildInForce;
// Works out the best build the processor runs, or Plain when VANTOR_CPU asks for the
// baseline, and puts it in force.
KernelBuild ChooseKernelBuild();

// The build in force, chosen on the first call; a glyph-sized blit pays one load for it. The
// window module has its own copy and reads the setting itself.
inline KernelBuild ChosenKernelBuild() {
    const int build = kernelBuildInForce.load(std::memory_order_relaxed);
    return build >= 0 ? KernelBuild(build) : ChooseKernelBuild();
}

// For the testing hooks: true forces the plain build, false gives back the chosen one.
void ForcePlainKernels(bool plain);

// The chosen table of a family: its AVX2 table where that build is chosen and was compiled,
// else the plain one.
template <typename Table>
const Table& ChosenTable(const Table& plain, const Table* avx2) {
    return avx2 && ChosenKernelBuild() == KernelBuild::Avx2 ? *avx2 : plain;
}

}  // namespace vantor::platform
