// What kernel32 says of the processor. The platform answers the one question its kernels
// care about, PF_AVX2_INSTRUCTIONS_AVAILABLE, as its own kernel choice does (the processor,
// and VANTOR_CPU=baseline answering no; kernel_choice.cpp); every other feature reads as
// absent. Not logged.
#pragma once

#include "../base_types.h"

constexpr DWORD PF_AVX2_INSTRUCTIONS_AVAILABLE = 40;
BOOL WINAPI IsProcessorFeaturePresent(DWORD feature);
