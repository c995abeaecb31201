// Surfaces: the lock, which hands out the pixels, and the one device context a surface
// lends at a time.
#include <cstring>

#include "ddraw/surface_contexts.h"
#include "ddraw/surface_object.h"

namespace vantor::platform {

HRESULT DdSurface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE) {
    CallTicket call = BeginCall("Lock", this, [&] {
        return (rect ? "rect=" + FormatRect(rect) + " " : std::string()) +
               Format("flags=%#x", flags);
    });
    return RunCall(call, released_, [&] { return DoLock(rect, desc); });
}

HRESULT DdSurface::DoLock(LPRECT rect, LPDDSURFACEDESC desc) {
    if (!desc || (desc->dwSize != sizeof(DDSURFACEDESC) && desc->dwSize != sizeof(DDSURFACEDESC2)))
        return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    if (Busy()) return DDERR_SURFACEBUSY;
    const RECT area = rect ? *rect : RECT{0, 0, width_, height_};
    if (area.left < 0 || area.top < 0 || area.left >= area.right || area.top >= area.bottom ||
        area.right > width_ || area.bottom > height_)
        return DDERR_INVALIDPARAMS;
    // The caller's record may be the longer DDSURFACEDESC2, which starts with the same fields.
    const DWORD size = desc->dwSize;
    DDSURFACEDESC filled;
    FillDescription(&filled);
    filled.dwSize = size;
    filled.lpSurface =
        Pixels() + intptr_t(area.top) * Pitch() + intptr_t(area.left) * layout_.BytesPerPixel();
    std::memset(static_cast<void*>(desc), 0, size);
    std::memcpy(static_cast<void*>(desc), &filled, sizeof filled);
    locked_ = true;
    // The caller may write anywhere through the pointer, not only inside its rectangle.
    fills_.Forget();
    return DD_OK;
}

HRESULT DdSurface::Unlock(LPVOID) {
    CallTicket call = BeginCall("Unlock", this);
    return ShownIfDesktop(RunCall(call, released_, [&]() -> HRESULT {
        if (!locked_) return DDERR_NOTLOCKED;
        locked_ = false;
        return DD_OK;
    }));
}

// A device context may be taken while the surface is locked (the old surfaces allow it),
// but only one at a time, and none while the surface is lost.
HRESULT DdSurface::GetDC(HDC* dc) {
    CallTicket call = BeginCall("GetDC", this);
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!dc) return DDERR_INVALIDPARAMS;
        if (lost_) return DDERR_SURFACELOST;
        if (dc_) return DDERR_DCALREADYCREATED;
        HDC made = CreateSurfaceDC(this);
        if (!made) return DDERR_CANTCREATEDC;
        dc_ = made;
        *dc = made;
        return DD_OK;
    });
}

HRESULT DdSurface::ReleaseDC(HDC dc) {
    CallTicket call = BeginCall("ReleaseDC", this, [&] { return "dc=" + PointerText(dc); });
    return ShownIfDesktop(RunCall(call, released_, [&]() -> HRESULT {
        if (!dc_) return DDERR_NODC;
        if (dc != dc_) return DDERR_INVALIDPARAMS;
        DeleteSurfaceDC(dc_);
        dc_ = nullptr;
        return DD_OK;
    }));
}

}  // namespace vantor::platform
