// Hardware blits of a whole Surface onto the render target, bounded by ClipRect:
// unscaled through BltFast (clipped here), and stretched through Blt with a temporary
// one-rectangle clipper (clipped by the platform).
#include "surfaces/placement.h"
#include "surfaces/surface.h"

namespace {

// Source pixels equal to the key are skipped; a negative key means none.
void SetSourceKey(IDirectDrawSurface* source, int32_t colourKey) {
    DDCOLORKEY key{static_cast<DWORD>(colourKey), static_cast<DWORD>(colourKey)};
    source->SetColorKey(DDCKEY_SRCBLT, &key);
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
    const Placement part = PlaceSurface(clipRect, x, y, surface.width, surface.height);
    if (part.rejected) return 0;
    RECT source{part.firstColumn, part.firstRow, part.endColumn, part.endRow};
    DWORD flags = wait == 1 ? DDBLTFAST_WAIT : DDBLTFAST_NOCOLORKEY;
    if (colourKey >= 0) {
        SetSourceKey(surface.ddSurface, colourKey);
        flags |= DDBLTFAST_SRCCOLORKEY;
    }
    const int64_t left = int64_t{x} + part.firstColumn;
    const int64_t top = int64_t{y} + part.firstRow;
    HRESULT result = renderTarget->BltFast(static_cast<DWORD>(left), static_cast<DWORD>(top),
                                           surface.ddSurface, &source, flags);
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
