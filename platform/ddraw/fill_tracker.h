// What a colour fill of a whole surface has to write. After such a fill every pixel holds
// the fill's value except inside the box drawn since, so a later fill of the same value need
// write only that box: a canvas cleared between small drawings (a glyph at a time) is not
// cleared whole every time. Every write into the surface marks its box; a write whose extent
// is not known (a lock, a view handed out for drawing anywhere), memory moved by a flip or
// given back by a restore, and a change of palette make the state unknown, and the next fill
// writes everything again.
#pragma once

#include <algorithm>
#include <cstdint>

#include "ddraw/rects.h"

namespace vantor::platform {

class FillTracker {
public:
    // What a fill of `pixel` over all of `bounds` must write; empty when nothing changed.
    RECT AreaToFill(const RECT& bounds, uint32_t pixel) const {
        if (!known_ || pixel != pixel_) return bounds;
        return drawn_;
    }
    // The whole surface now holds `pixel`.
    void Filled(uint32_t pixel) {
        known_ = true;
        pixel_ = pixel;
        drawn_ = {};
    }
    // Pixels inside the box (already clipped to the surface) may have changed.
    void Drew(const RECT& box) {
        if (!known_ || EmptyRect(box)) return;
        drawn_ = EmptyRect(drawn_)
                     ? box
                     : RECT{std::min(drawn_.left, box.left), std::min(drawn_.top, box.top),
                            std::max(drawn_.right, box.right), std::max(drawn_.bottom, box.bottom)};
    }
    // Any pixel may have changed.
    void Forget() { known_ = false; }

private:
    bool known_ = false;
    uint32_t pixel_ = 0;
    RECT drawn_ = {};
};

}  // namespace vantor::platform
