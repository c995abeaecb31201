#include "kernel_choice.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

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

std::atomic<bool> forcedPlain{false};

}  // namespace

KernelBuild ChosenKernelBuild() {
    static const KernelBuild best = BestBuild();
    return forcedPlain.load(std::memory_order_relaxed) ? KernelBuild::Plain : best;
}

void ForcePlainKernels(bool plain) { forcedPlain.store(plain, std::memory_order_relaxed); }

}  // namespace vantor::platform
