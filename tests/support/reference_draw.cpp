#include "support/reference_draw.h"

#include <algorithm>

namespace vantor::testing {
namespace {

bool Keyed(const ReferenceDraw& draw, uint32_t pixel) {
    return draw.colourKey >= 0 && pixel == static_cast<uint32_t>(draw.colourKey);
}

bool Inside(const ClipRect& clip, int64_t x, int64_t y) {
    return x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
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
            if (!Keyed(draw, pixel)) target.SetPixel(static_cast<int32_t>(y), static_cast<int32_t>(x), pixel);
        }
    }
    return anyInside ? 1 : 0;
}

void ReferenceDrawStretched(PackedImage& target, const PackedImage& surface, const RECT& destination,
                            const ReferenceDraw& draw) {
    int64_t w = int64_t{destination.right} - destination.left;
    int64_t h = int64_t{destination.bottom} - destination.top;
    if (w <= 0 || h <= 0) return;
    for (int32_t y = 0; y < target.height; ++y) {
        for (int32_t x = 0; x < target.width; ++x) {
            int64_t dx = x - int64_t{destination.left}, dy = y - int64_t{destination.top};
            if (dx < 0 || dx >= w || dy < 0 || dy >= h || !Inside(draw.clip, x, y)) continue;
            uint32_t pixel = surface.Pixel(static_cast<int32_t>(dy * surface.height / h),
                                           static_cast<int32_t>(dx * surface.width / w));
            if (!Keyed(draw, pixel)) target.SetPixel(y, x, pixel);
        }
    }
}

}  // namespace vantor::testing
