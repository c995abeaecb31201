// Per-pixel reference versions of the software blends, written straight from their rules
// with no packing tricks, for comparison with the real operations and kernels.
#pragma once

#include <cstdint>
#include <vector>

#include "display/display_device.h"
#include "surfaces/blend_rows.h"

namespace vantor::testing {

// A packed image: rows exactly width pixels long, pixels of 1, 2 or 4 bytes in memory order.
struct PackedImage {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bytesPerPixel = 0;
    std::vector<uint8_t> bytes;

    PackedImage() = default;
    PackedImage(int32_t width, int32_t height, int32_t bytesPerPixel);
    uint32_t Pixel(int32_t row, int32_t column) const;
    void SetPixel(int32_t row, int32_t column, uint32_t value);
};

// The mean of s and b channel by channel, rounded down; in 5-5-5 bit 15 comes from d, in
// 32-bit byte 3 is 0.
uint32_t ReferenceMix(BlendForm form, uint32_t s, uint32_t b, uint32_t d);

// The key value DrawBlended compares with the colour key.
uint32_t ReferenceBlendKeyValue(BlendForm form, uint32_t s);

// Where and what the operations draw. greenBits picks 5-5-5 (5) or 5-6-5 at 16 bits.
struct ReferenceDraw {
    ClipRect clip;
    int32_t x;
    int32_t y;
    int32_t colourKey;
    int32_t bitsPerPixel;
    int32_t greenBits;
};

// Both draw onto target and return the operation's result. The blend mixes with target
// pixels as they were before the call, also where the Surface hangs over the target's edge.
int32_t ReferenceDrawBlended(PackedImage& target, const PackedImage& surface,
                             const ReferenceDraw& draw);
int32_t ReferenceDrawCheckered(PackedImage& target, const PackedImage& surface,
                               const ReferenceDraw& draw);

}  // namespace vantor::testing
