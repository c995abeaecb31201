#include "support/reference_draw.h"

#include "support/reference_blits.h"

namespace vantor::testing {
namespace {

bool Keyed(const ReferenceDraw& draw, uint32_t pixel) {
    return draw.colourKey >= 0 && pixel == static_cast<uint32_t>(draw.colourKey);
}

bool Inside(const ClipRect& clip, int64_t x, int64_t y) {
    return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
}

ReferenceImage ToReference(const PackedImage& image) {
    ReferenceImage copy(image.width, image.height, image.bytesPerPixel);
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) copy.At(x, y) = image.Pixel(y, x);
    return copy;
}

}  // namespace

int32_t ReferenceDrawSurface(PackedImage& target, const PackedImage& surface,
                             const ReferenceDraw& draw) {
    bool anyInside = false;
    for (int32_t row = 0; row < surface.height; ++row) {
        for (int32_t column = 0; column < surface.width; ++column) {
            int64_t x = int64_t{draw.x} + column, y = int64_t{draw.y} + row;
            if (!Inside(draw.clip, x, y)) continue;
            anyInside = true;
            uint32_t pixel = surface.Pixel(row, column);
            if (!Keyed(draw, pixel))
                target.SetPixel(static_cast<int32_t>(y), static_cast<int32_t>(x), pixel);
        }
    }
    return anyInside ? 1 : 0;
}

void ReferenceDrawStretched(PackedImage& target, const PackedImage& surface,
                            const RECT& destination, const ReferenceDraw& draw) {
    // The blitter's own reference carries the scaling rule; here it only meets ClipRect.
    ReferenceImage scratch = ToReference(target);
    const ClipRect& clip = draw.clip;
    std::optional<ReferenceKey> key;
    if (draw.colourKey >= 0) key = ReferenceKey{uint32_t(draw.colourKey), uint32_t(draw.colourKey)};
    ReferenceStretch(scratch,
                     {destination.left, destination.top, destination.right, destination.bottom},
                     {clip.left, clip.top, clip.right, clip.bottom}, ToReference(surface),
                     {0, 0, surface.width, surface.height}, key);
    for (int32_t y = 0; y < target.height; ++y)
        for (int32_t x = 0; x < target.width; ++x) target.SetPixel(y, x, scratch.At(x, y));
}

}  // namespace vantor::testing
