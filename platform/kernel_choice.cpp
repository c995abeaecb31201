#include "kernel_choice.h"

#include <cstdlib>
#include <cstring>

#include "kernel/processor.h"

namespace vantor::platform {
namespace {

// This file is built for the baseline: the question is asked before any AVX2 code runs.
KernelBuild BestBuild() {
    const char* cpu = std::getenv("VANTOR_CPU");
    if (cpu && std::strcmp(cpu, kBaselineCpu) == 0) return KernelBuild::Plain;
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("avx2")) return KernelBuild::Avx2;
#endif
    return KernelBuild::Plain;
}

}  // namespace

std::atomic<int> kernelBuildInForce{-1};

KernelBuild ChooseKernelBuild() {
    const KernelBuild best = BestBuild();
    kernelBuildInForce.store(int(best), std::memory_order_relaxed);
    return best;
}

void ForcePlainKernels(bool plain) {
    if (plain)
        kernelBuildInForce.store(int(KernelBuild::Plain), std::memory_order_relaxed);
    else
        ChooseKernelBuild();
}

}  // namespace vantor::platform

// How the system's own kernels (the blend rows) learn the choice without reading the setting.
BOOL WINAPI IsProcessorFeaturePresent(DWORD feature) {
    using namespace vantor::platform;
    return feature == PF_AVX2_INSTRUCTIONS_AVAILABLE && BestBuild() == KernelBuild::Avx2;
}
