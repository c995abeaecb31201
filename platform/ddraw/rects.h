// Rectangle arithmetic of the blitter and the clipper. Right and bottom are exclusive.
#pragma once

#include <algorithm>

#include "base_types.h"

namespace vantor::platform {

// Empty or inverted: nothing inside.
inline bool EmptyRect(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

inline RECT Intersection(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

inline bool Overlapping(const RECT& a, const RECT& b) { return !EmptyRect(Intersection(a, b)); }

// Wholly inside a surface of the given size.
inline bool InsideSurface(const RECT& r, LONG width, LONG height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

}  // namespace vantor::platform
