// The software blends: DrawBlended mixes a Surface half and half into the render target,
// DrawCheckered copies every other pixel of it. Both clip once, take their locks, choose a
// row kernel once and hand it whole rows; the kernels live in blend_rows.
#include <algorithm>
#include <cstddef>

#include "surfaces/blend_rows.h"
#include "surfaces/placement.h"
#include "surfaces/surface.h"

using vantor::BlendForm;
using vantor::BlendRow;
using vantor::CheckerRow;

namespace {

// ClipRect, kept within the render target: the target's row tables end at its last row.
ClipRect DrawableRect(const DisplayDevice& device) {
    return {std::max(device.clipRect.left, 0), std::max(device.clipRect.top, 0),
            std::min(device.clipRect.right, device.targetWidth),
            std::min(device.clipRect.bottom, device.targetHeight)};
}

// The part of the Surface to draw; the blend leaves its last row and column out (skipLast 1).
Placement ClipSurface(const DisplayDevice& device, const Surface& surface, int32_t x, int32_t y,
                      int32_t skipLast) {
    return PlaceSurface(DrawableRect(device), x, y, surface.width, surface.height, skipLast);
}

// The locks of one drawing call, given back in the order they were taken. Only what this
// call locked is unlocked: a Surface or target the caller already holds locked makes the
// call fail, and the caller keeps its lock.
class DrawingLocks {
public:
    DrawingLocks(DisplayDevice& device, int32_t wait) : device_(device), wait_(wait) {}
    DrawingLocks(const DrawingLocks&) = delete;
    DrawingLocks& operator=(const DrawingLocks&) = delete;

    ~DrawingLocks() {
        for (int i = 0; i < surfaceCount_; ++i) surfaces_[i]->Unlock();
        if (targetHeld_) device_.UnlockTarget();
    }

    // A Surface of another depth than the display's is refused like a Surface without an
    // image: the row kernels step by the display's pixel size.
    uint8_t* Lock(Surface& surface) {
        if (surface.bitsPerPixel != device_.bitsPerPixel) return nullptr;
        uint8_t* pixels = surface.Lock(wait_);
        if (pixels != nullptr) surfaces_[surfaceCount_++] = &surface;
        return pixels;
    }

    uint8_t* LockTarget() {
        uint8_t* pixels = device_.LockTarget(wait_);
        targetHeld_ = pixels != nullptr;
        return pixels;
    }

private:
    DisplayDevice& device_;
    int32_t wait_;
    Surface* surfaces_[2] = {};
    int surfaceCount_ = 0;
    bool targetHeld_ = false;
};

// Where pixel (row, column) of a locked image starts: one table lookup per row.
uint8_t* PixelAt(uint8_t* pixels, const int32_t* pixelOffsets, int64_t row, int64_t column,
                 int32_t bytesPerPixel) {
    return pixels + (pixelOffsets[row] + column) * bytesPerPixel;
}

// The backdrop is a system-memory copy of the target under the Surface, taken before
// anything is drawn. Where the Surface hangs over the target's edge, only the part on the
// target is copied, into the same place of the backdrop: every pixel the blend can draw
// then mixes with the real target pixel under it, and the rest of the backdrop is never read.
void GrabBackdrop(DisplayDevice& device, Surface& backdrop, int32_t x, int32_t y, int32_t width,
                  int32_t height) {
    const int64_t left = x;
    const int64_t top = y;
    const int64_t right = left + width;
    const int64_t bottom = top + height;
    if (left >= 0 && top >= 0 && right <= device.targetWidth && bottom <= device.targetHeight) {
        RECT whole{x, y, int32_t(right), int32_t(bottom)};
        device.GrabSurface(backdrop, &whole, 0);
        return;
    }
    if (!device.MakeSurface(backdrop, width, height, 0)) return;
    RECT visible{int32_t(std::max<int64_t>(left, 0)), int32_t(std::max<int64_t>(top, 0)),
                 int32_t(std::min<int64_t>(right, device.targetWidth)),
                 int32_t(std::min<int64_t>(bottom, device.targetHeight))};
    if (visible.left >= visible.right || visible.top >= visible.bottom) return;
    backdrop.ddSurface->BltFast(DWORD(visible.left - left), DWORD(visible.top - top),
                                device.renderTarget, &visible, DDBLTFAST_WAIT);
}

BlendRow BlendRowFor(const DisplayDevice& device, int32_t colourKey) {
    if (device.bitsPerPixel == 32) return vantor::ChooseBlendRow(BlendForm::Rgb32, colourKey);
    if (device.bitsPerPixel != 16) return nullptr;
    const BlendForm form = device.greenBits == 5 ? BlendForm::Rgb555 : BlendForm::Rgb565;
    return vantor::ChooseBlendRow(form, colourKey);
}

int32_t BytesPerPixel(int32_t bitsPerPixel) {
    return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 32 ? bitsPerPixel / 8 : 0;
}

}  // namespace

int32_t DisplayDevice::DrawBlended(Surface& surface, int32_t x, int32_t y, int32_t colourKey,
                                   int32_t wait) {
    if (bitsPerPixel == 8) return DrawCheckered(surface, x, y, colourKey, wait);

    Surface backdrop;  // released and destroyed on every way out
    GrabBackdrop(*this, backdrop, x, y, surface.width, surface.height);
    const Placement area = ClipSurface(*this, surface, x, y, 1);
    if (area.rejected) return 0;

    DrawingLocks locks(*this, wait);
    uint8_t* source = locks.Lock(surface);
    uint8_t* under = source != nullptr ? locks.Lock(backdrop) : nullptr;
    uint8_t* target = under != nullptr ? locks.LockTarget() : nullptr;
    if (target == nullptr) return 0;

    const BlendRow blendRow = BlendRowFor(*this, colourKey);
    const int32_t count = area.endColumn - area.firstColumn;
    if (blendRow == nullptr || count <= 0) return 1;
    const int32_t bytes = bitsPerPixel / 8;
    // Bottom row first: the backdrop copy has just walked the target and the backdrop top to
    // bottom, so their last rows are the ones still in the cache. On a 32-bit screen, three
    // streams of 1.2 MB, the pass then reads and writes the bottom half or so in the cache,
    // and ends on the top rows, where the next copy starts.
    for (int32_t r = area.endRow - 1; r >= area.firstRow; --r) {
        blendRow(
            PixelAt(target, pixelOffsets, int64_t(y) + r, int64_t(x) + area.firstColumn, bytes),
            PixelAt(source, surface.pixelOffsets, r, area.firstColumn, bytes),
            PixelAt(under, backdrop.pixelOffsets, r, area.firstColumn, bytes), count,
            uint32_t(colourKey));
    }
    return 1;
}

int32_t DisplayDevice::DrawCheckered(Surface& surface, int32_t x, int32_t y, int32_t colourKey,
                                     int32_t wait) {
    const Placement area = ClipSurface(*this, surface, x, y, 0);
    if (area.rejected) return 0;

    DrawingLocks locks(*this, wait);
    uint8_t* source = locks.Lock(surface);
    uint8_t* target = source != nullptr ? locks.LockTarget() : nullptr;
    if (target == nullptr) return 0;

    const int32_t bytes = BytesPerPixel(bitsPerPixel);
    const CheckerRow checkerRow = vantor::ChooseCheckerRow(bytes, colourKey);
    if (checkerRow == nullptr) return 1;
    // The pattern belongs to the Surface: pixel (r, c) is drawn when r + c is even, counted
    // from the Surface's own corner however much of it is clipped off.
    for (int32_t r = area.firstRow; r < area.endRow; ++r) {
        const int32_t first = area.firstColumn + ((r + area.firstColumn) & 1);
        if (first >= area.endColumn) continue;
        checkerRow(PixelAt(target, pixelOffsets, int64_t(y) + r, int64_t(x) + first, bytes),
                   PixelAt(source, surface.pixelOffsets, r, first, bytes), area.endColumn - first,
                   uint32_t(colourKey));
    }
    return 1;
}

uint32_t ReadPixel555(const uint8_t* pixel) {
    const uint32_t value = uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8;
    const uint32_t red = (value >> 10) & 0x1F;
    const uint32_t green = (value >> 5) & 0x1F;
    const uint32_t blue = value & 0x1F;
    return red << 10 | green << 5 | blue;
}

uint32_t ReadPixel565(const uint8_t* pixel) { return uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8; }

uint32_t ReadPixel32(const uint8_t* pixel) {
    return uint32_t(pixel[0]) | uint32_t(pixel[1]) << 8 | uint32_t(pixel[2]) << 16 |
           uint32_t(pixel[3]) << 24;
}
