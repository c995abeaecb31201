// What a colour fill of a whole surface has to write. After such a fill every pixel holds
// the fill's value except inside the box drawn since, so a later fill of the same value need
// write only that box: a canvas cleared between small drawings (a glyph at a time) is not
// cleared whole every time. Every write into the surface marks its box; a write whose extent
// is not known (a lock, a view handed out for drawing anywhere), memory moved by a flip or
// given back by a restore, and a change of palette make the state unknown, and the next fill
// writes everything again. The rule: every write is marked before the next fill; Holds checks
// it, as the fill comes, against the pixels themselves.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "ddraw/rects.h"

namespace vantor::platform {

inline constexpr char kEveryWriteMarked[] =
    "every write into a surface is marked for the fill tracker before the next fill";

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

    // Whether the pixels (bytesPerPixel each, rows pitch apart, covering bounds) hold the
    // last fill's value everywhere outside the box marked as drawn since; true when the
    // state is unknown, without asking for the pixels. A write that was not marked makes it
    // false.
    template <typename PixelMemory>
    bool Holds(PixelMemory&& memory, int32_t pitch, int bytesPerPixel, const RECT& bounds) const {
        if (!known_) return true;
        const uint8_t* pixels = memory();
        for (LONG y = bounds.top; y < bounds.bottom; ++y)
            for (LONG x = bounds.left; x < bounds.right; ++x) {
                if (x >= drawn_.left && x < drawn_.right && y >= drawn_.top && y < drawn_.bottom)
                    continue;
                uint32_t value = 0;  // little-endian, as the surfaces hold their pixels
                std::memcpy(&value, pixels + intptr_t(y) * pitch + intptr_t(x) * bytesPerPixel,
                            size_t(bytesPerPixel));
                if (value != pixel_) return false;
            }
        return true;
    }

private:
    bool known_ = false;
    uint32_t pixel_ = 0;
    RECT drawn_ = {};
};

}  // namespace vantor::platform
