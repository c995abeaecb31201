// Where a Surface placed on the render target meets the clip rectangle: the one clipping
// rule of the unscaled blit and the software blends.
#pragma once

#include <algorithm>
#include <cstdint>

#include "display/display_device.h"

// The part of a width x height Surface placed at (x, y) that lies inside `clip`, in the
// Surface's own rows and columns (ends exclusive), and whether the Surface was rejected as
// lying wholly outside. The tests against left and top are strict, so a Surface that ends
// exactly on the left or top edge is not rejected: it yields an empty part. `skipLast`
// leaves the Surface's last row and column out of the part (the blend does not draw them)
// without changing which Surfaces are rejected. Sums are formed wide, so no position
// overflows.
struct Placement {
    bool rejected;
    int32_t firstRow;
    int32_t endRow;
    int32_t firstColumn;
    int32_t endColumn;
};

inline Placement PlaceSurface(const ClipRect& clip, int32_t x, int32_t y, int32_t width,
                              int32_t height, int32_t skipLast = 0) {
    const int64_t left = x;
    const int64_t top = y;
    Placement part{};
    part.rejected = left + width < clip.left || left >= clip.right || top + height < clip.top ||
                    top >= clip.bottom;
    if (part.rejected) return part;
    part.firstColumn = int32_t(std::max<int64_t>(0, clip.left - left));
    part.firstRow = int32_t(std::max<int64_t>(0, clip.top - top));
    part.endColumn = int32_t(std::min<int64_t>(width - skipLast, clip.right - left));
    part.endRow = int32_t(std::min<int64_t>(height - skipLast, clip.bottom - top));
    return part;
}
