// What the blit kernels share: the 24-bit pixel, the raw value of a pixel for key tests,
// and how each kernel is built.
#pragma once

#include <cstdint>

namespace vantor::platform {

// A 24-bit pixel: three bytes, blue first.
struct Pixel24 {
    uint8_t bytes[3];
};
static_assert(sizeof(Pixel24) == 3);

// Rows of a surface start on a multiple of the pixel size (pitches are width x bytes per
// pixel from an aligned block), so typed row pointers are sound.
inline uint32_t RawValue(uint8_t p) { return p; }
inline uint32_t RawValue(uint16_t p) { return p; }
inline uint32_t RawValue(uint32_t p) { return p; }
inline uint32_t RawValue(Pixel24 p) {
    return p.bytes[0] | (uint32_t(p.bytes[1]) << 8) | (uint32_t(p.bytes[2]) << 16);
}

// The kernels are built twice, for AVX2 and for the baseline; the loader picks one per
// process, so the choice costs nothing per call.
#define VANTOR_KERNEL __attribute__((target_clones("avx2", "default")))

}  // namespace vantor::platform
