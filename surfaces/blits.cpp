// Hardware blits of a whole Surface onto the render target, bounded by ClipRect:
// unscaled through BltFast (clipped here), and stretched through Blt with a temporary
// one-rectangle clipper (clipped by the platform).
#include "surfaces/surface.h"

namespace {

// Source pixels equal to the key are skipped; a negative key means none.
void SetSourceKey(IDirectDrawSurface* source, int32_t colourKey) {
    DDCOLORKEY key{static_cast<DWORD>(colourKey), static_cast<DWORD>(colourKey)};
    source->SetColorKey(DDCKEY_SRCBLT, &key);
}

// The part of a width x height Surface placed at (x, y) that lies inside the clip
// rectangle, and where that part lands. Computed wide, so no position overflows.
struct ClippedBlit {
    bool rejected;
    RECT source;
    int64_t x;
    int64_t y;
};

ClippedBlit ClipToRect(const ClipRect& clip, int64_t x, int64_t y, int64_t width, int64_t height) {
    // A Surface that ends exactly on the left or top edge is not rejected: it yields an
    // empty source rectangle, which the blitter answers itself.
    if (x + width < clip.left || x >= clip.right || y + height < clip.top || y >= clip.bottom)
        return {true, {}, x, y};
    int64_t left = 0, top = 0, right = width, bottom = height;
    if (x < clip.left) {
        left = clip.left - x;
        x = clip.left;
    }
    if (right - left + x > clip.right) right = clip.right - x + left;  // less than width here
    if (y < clip.top) {
        top = clip.top - y;
        y = clip.top;
    }
    if (bottom - top + y > clip.bottom) bottom = clip.bottom - y + top;
    RECT source{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(right),
                static_cast<LONG>(bottom)};
    return {false, source, x, y};
}

// The clip list handed to the clipper: one rectangle, ClipRect.
struct OneRectRegion {
    RGNDATAHEADER header;
    RECT rect;
};

OneRectRegion RegionOf(const ClipRect& clip) {
    RECT rect{clip.left, clip.top, clip.right, clip.bottom};
    return {{sizeof(RGNDATAHEADER), RDH_RECTANGLES, 1, sizeof(RECT), rect}, rect};
}

}  // namespace

int32_t DisplayDevice::DrawSurface(Surface& surface, int32_t x, int32_t y, int32_t colourKey,
                                   int32_t wait) {
    if (renderTarget == nullptr || surface.ddSurface == nullptr) return 0;
    ClippedBlit blit = ClipToRect(clipRect, x, y, surface.width, surface.height);
    if (blit.rejected) return 0;
    DWORD flags = wait == 1 ? DDBLTFAST_WAIT : DDBLTFAST_NOCOLORKEY;
    if (colourKey >= 0) {
        SetSourceKey(surface.ddSurface, colourKey);
        flags |= DDBLTFAST_SRCCOLORKEY;
    }
    HRESULT result = renderTarget->BltFast(static_cast<DWORD>(blit.x), static_cast<DWORD>(blit.y),
                                           surface.ddSurface, &blit.source, flags);
    return SUCCEEDED(result) ? 1 : 0;
}

int32_t DisplayDevice::DrawStretched(Surface& surface, int32_t x, int32_t y, int32_t w, int32_t h,
                                     int32_t colourKey, int32_t wait) {
    if (directDraw == nullptr || renderTarget == nullptr || surface.ddSurface == nullptr) return 0;
    IDirectDrawClipper* stretchClipper = nullptr;
    if (FAILED(directDraw->CreateClipper(0, &stretchClipper, nullptr))) return 0;
    // The region lives on this frame, so it is gone on every path out of the call.
    OneRectRegion region = RegionOf(clipRect);
    stretchClipper->SetClipList(reinterpret_cast<RGNDATA*>(&region), 0);
    if (FAILED(renderTarget->SetClipper(stretchClipper))) {
        stretchClipper->Release();
        return 0;
    }

    // Formed wide and narrowed, so an edge past the 32-bit range wraps instead of overflowing.
    RECT destination{x, y, static_cast<LONG>(int64_t{x} + w), static_cast<LONG>(int64_t{y} + h)};
    DWORD flags = wait == 1 ? DDBLT_WAIT : 0;
    if (colourKey >= 0) {
        SetSourceKey(surface.ddSurface, colourKey);
        flags |= DDBLT_KEYSRC;
    }
    HRESULT result = renderTarget->Blt(&destination, surface.ddSurface, nullptr, flags, nullptr);

    renderTarget->SetClipper(nullptr);
    stretchClipper->Release();
    return SUCCEEDED(result) ? 1 : 0;
}
