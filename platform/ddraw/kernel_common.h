// What the blit kernels share: the 24-bit pixel, the raw value of a pixel for key tests,
// and the table each build of the kernels fills.
//
// The row loops live in headers (blit_rows.h, stretch_rows.h) that each build's file
// includes and compiles for its own processor. They sit in an unnamed namespace: were they
// ordinary inline functions, the linker would keep one copy of each for the whole program,
// possibly the AVX2 one, and the plain build would run AVX2 code.
#pragma once

#include <cstdint>

#include "blit_kernels.h"

namespace vantor::platform {

// A 24-bit pixel: three bytes, blue first.
struct Pixel24 {
    uint8_t bytes[3];
};
static_assert(sizeof(Pixel24) == 3);

namespace {

// Rows of a surface start on a multiple of the pixel size (pitches are width x bytes per
// pixel from an aligned block), so typed row pointers are sound.
inline uint32_t RawValue(uint8_t p) { return p; }
inline uint32_t RawValue(uint16_t p) { return p; }
inline uint32_t RawValue(uint32_t p) { return p; }
inline uint32_t RawValue(Pixel24 p) {
    return p.bytes[0] | (uint32_t(p.bytes[1]) << 8) | (uint32_t(p.bytes[2]) << 16);
}

}  // namespace

// One build of the kernels that have more than one (the copy is the C library's memmove,
// which picks its own loop). Same arguments as the functions of blit_kernels.h.
struct BlitKernelTable {
    decltype(&FillPixels) fill;
    decltype(&CopyKeyedPixels) copyKeyed;
    decltype(&StretchPixels) stretch;
};

// The plain C++ build, always there (blit_kernels.cpp).
extern const BlitKernelTable kPlainBlitKernels;
// The AVX2 build (blit_kernels_avx2.cpp), or null where the build has none.
extern const BlitKernelTable* const kAvx2BlitKernels;

}  // namespace vantor::platform
