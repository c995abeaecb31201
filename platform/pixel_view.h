// A view of a surface's pixel memory in its own format: what the device contexts draw
// into and what the presenters show.
#pragma once

#include "ddraw/ddraw.h"

namespace vantor::platform {

struct PixelView {
    uint8_t* pixels;  // first byte of row 0
    int32_t width;
    int32_t height;
    int32_t pitch;         // bytes from one row to the next
    int32_t bitsPerPixel;  // 8, 16, 24 or 32
    uint32_t redMask;      // 0 at 8 bits per pixel
    uint32_t greenMask;
    uint32_t blueMask;
    const PALETTEENTRY* palette;  // 256 entries at 8 bits per pixel when one is attached, else null
};

// The pixel memory of a live surface; false once the surface has been released.
// The view stays valid until the surface is released, restored or flipped. The holder may
// write anywhere in it, so the surface takes every pixel as drawn.
bool ViewSurfacePixels(IDirectDrawSurface* surface, PixelView* view);
// The same for a holder that writes only inside the box, which the surface takes as drawn.
bool ViewSurfaceBox(IDirectDrawSurface* surface, const RECT& box, PixelView* view);

}  // namespace vantor::platform
