// The blitter's operations written pixel by pixel, straight from their rules, as the
// expected answer for the kernels and for Blt/BltFast. Slow and obvious on purpose.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/image_compare.h"

namespace vantor::testing {

// Raw pixel values of one depth; values are kept within the depth's bits.
struct ReferenceImage {
    int32_t width = 0;
    int32_t height = 0;
    int bytesPerPixel = 2;
    std::vector<uint32_t> pixels;

    ReferenceImage() = default;
    ReferenceImage(int32_t w, int32_t h, int bytes)
        : width(w), height(h), bytesPerPixel(bytes), pixels(size_t(w) * h) {}
    uint32_t& At(int32_t x, int32_t y) { return pixels[size_t(y) * width + x]; }
    uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * width + x]; }
    uint32_t Mask() const {
        return bytesPerPixel == 4 ? 0xFFFFFFFFu : (1u << (8 * bytesPerPixel)) - 1;
    }
    ImageView View() const { return {width, height, pixels}; }
};

// Inclusive range of raw values that are not copied.
struct ReferenceKey {
    uint32_t low;
    uint32_t high;
};

// Box coordinates: left, top, right, bottom with right and bottom exclusive.
struct Box {
    int64_t left;
    int64_t top;
    int64_t right;
    int64_t bottom;
};

void ReferenceFill(ReferenceImage& dst, Box box, uint32_t value);

// Unscaled copy of the source box to (x, y); reads the source as it was before the call,
// so copies within one image behave as if through a scratch copy.
void ReferenceCopy(ReferenceImage& dst, int32_t x, int32_t y, const ReferenceImage& src, Box srcBox,
                   std::optional<ReferenceKey> key = std::nullopt);

// Point-sampled scaling of the whole source box onto the whole destination box, writing
// only pixels inside clip (and inside the image): destination pixel (x, y) takes source
// pixel (sL + (x - dL) * sW / dW, sT + (y - dT) * sH / dH), truncated.
void ReferenceStretch(ReferenceImage& dst, Box dstBox, Box clip, const ReferenceImage& src,
                      Box srcBox, std::optional<ReferenceKey> key = std::nullopt);

}  // namespace vantor::testing
