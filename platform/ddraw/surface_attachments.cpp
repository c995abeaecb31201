// Surfaces: what is attached to one: its source colour key, its clipper and its palette.
#include "ddraw/clipper_object.h"
#include "ddraw/directdraw_object.h"
#include "ddraw/palette_object.h"
#include "ddraw/surface_object.h"

namespace vantor::platform {

HRESULT DdSurface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    CallTicket call = BeginCall("SetColorKey", this, [&] {
        if (!key) return Format("flags=%#x key=null", flags);
        return Format("flags=%#x low=0x%x high=0x%x", flags, key->dwColorSpaceLowValue,
                      key->dwColorSpaceHighValue);
    });
    return RunCall(call, released_, [&] { return DoSetColorKey(flags, key); });
}

// Only source keys for blits are kept. Without DDCKEY_COLORSPACE the record names one
// colour: its low value.
HRESULT DdSurface::DoSetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (!(flags & DDCKEY_SRCBLT) || (flags & ~(DDCKEY_SRCBLT | DDCKEY_COLORSPACE)))
        return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    if (!key) {
        hasKey_ = false;
        return DD_OK;
    }
    key_.dwColorSpaceLowValue = key->dwColorSpaceLowValue;
    key_.dwColorSpaceHighValue =
        (flags & DDCKEY_COLORSPACE) ? key->dwColorSpaceHighValue : key->dwColorSpaceLowValue;
    hasKey_ = true;
    return DD_OK;
}

HRESULT DdSurface::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
    CallTicket call = BeginCall("GetColorKey", this, [&] { return Format("flags=%#x", flags); });
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!key || flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
        if (!hasKey_) return DDERR_NOCOLORKEY;
        *key = key_;
        return DD_OK;
    });
}

HRESULT DdSurface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
    CallTicket call =
        BeginCall("SetClipper", this, [&] { return "clipper=" + PointerText(clipper); });
    return RunCall(call, released_, [&] { return DoSetClipper(clipper); });
}

// The surface holds one reference on its clipper, taken on attach and dropped on detach.
HRESULT DdSurface::DoSetClipper(LPDIRECTDRAWCLIPPER clipper) {
    DdClipper* attach = nullptr;
    if (clipper && !(attach = owner_->OwnClipper(clipper))) return DDERR_INVALIDOBJECT;
    if (!attach && !clipper_) return DDERR_NOCLIPPERATTACHED;
    if (attach == clipper_) return DD_OK;
    if (attach) attach->AddReference();
    if (clipper_) clipper_->DropReference();
    clipper_ = attach;
    return DD_OK;
}

HRESULT DdSurface::GetClipper(LPDIRECTDRAWCLIPPER* clipper) {
    CallTicket call = BeginCall("GetClipper", this);
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!clipper) return DDERR_INVALIDPARAMS;
        if (!clipper_) return DDERR_NOCLIPPERATTACHED;
        clipper_->AddReference();
        *clipper = clipper_;
        return DD_OK;
    });
}

HRESULT DdSurface::SetPalette(LPDIRECTDRAWPALETTE palette) {
    CallTicket call =
        BeginCall("SetPalette", this, [&] { return "palette=" + PointerText(palette); });
    return RunCall(call, released_, [&] { return DoSetPalette(palette); });
}

// Palettes belong to 8-bit surfaces; on the primary the palette is the screen's.
HRESULT DdSurface::DoSetPalette(LPDIRECTDRAWPALETTE palette) {
    DdPalette* attach = nullptr;
    if (palette && !(attach = owner_->OwnPalette(palette))) return DDERR_INVALIDOBJECT;
    if (!attach && !palette_) return DDERR_NOPALETTEATTACHED;
    if (lost_) return DDERR_SURFACELOST;
    if (attach && layout_.bitsPerPixel != 8) return DDERR_INVALIDPIXELFORMAT;
    if (attach == palette_) return DD_OK;
    // Pixel values keep their meaning only within a palette.
    fills_.Forget();
    if (attach) attach->AddReference();
    if (palette_) {
        if (IsPrimary()) palette_->SetOnPrimary(false);
        palette_->DropReference();
    }
    palette_ = attach;
    if (palette_ && IsPrimary()) palette_->SetOnPrimary(true);
    return DD_OK;
}

HRESULT DdSurface::GetPalette(LPDIRECTDRAWPALETTE* palette) {
    CallTicket call = BeginCall("GetPalette", this);
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!palette) return DDERR_INVALIDPARAMS;
        if (!palette_) return DDERR_NOPALETTEATTACHED;
        palette_->AddReference();
        *palette = palette_;
        return DD_OK;
    });
}

}  // namespace vantor::platform
