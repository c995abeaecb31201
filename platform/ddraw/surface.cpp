// Surfaces: reference counts, the lock and device-context rules, descriptions, the
// flipping chain, attached palette, clipper and colour key, loss and restore. The blits
// are in blt.cpp.
#include <cstdlib>
#include <cstring>

#include "ddraw/clipper_object.h"
#include "ddraw/ddraw_state.h"
#include "ddraw/directdraw_object.h"
#include "ddraw/palette_object.h"
#include "ddraw/surface_object.h"
#include "gdi/surface_dc.h"
#include "modules.h"
#include "present/presenter.h"

namespace vantor::platform {
DdSurface::DdSurface(DirectDrawObject* owner, int width, int height, const PixelLayout& layout,
                     DWORD caps, uint8_t* pixels)
    : owner_(owner),
      width_(width),
      height_(height),
      layout_(layout),
      caps_(caps),
      pixels_(pixels) {}

void DdSurface::PayZeroes() const {
    std::memset(pixels_, 0, size_t(height_) * Pitch());
    zeroesOwed_ = false;
}

// ---- Reference counting and the end of a surface --------------------------------------

HRESULT DdSurface::QueryInterface(REFIID, void** object) {
    return NoOtherInterface(this, released_, object);
}

ULONG DdSurface::AddRef() { return LoggedAddRef(this, released_, &refs_); }

ULONG DdSurface::Release() {
    if (!LogRelease(this, released_, refs_) || refs_ == 0) return 0;
    // An implicit back buffer lives as long as its flipping chain, whatever its count.
    if (--refs_ == 0 && !ImplicitBackBuffer()) Destroy(true);
    return refs_;
}

void DdSurface::Destroy(bool deleteDc) {
    if (released_) return;
    released_ = true;
    refs_ = 0;
    // A device context left out on the surface still names it: its shell is never reused.
    const bool contextLeftOut = dc_ && !deleteDc;
    for (DdSurface* back : backBuffers_) back->Destroy(deleteDc);
    backBuffers_.clear();
    if (dc_ && deleteDc) DeleteSurfaceDC(dc_);
    dc_ = nullptr;
    locked_ = false;
    if (palette_) {
        if (IsPrimary()) palette_->SetOnPrimary(false);
        palette_->DropReference();
        palette_ = nullptr;
    }
    if (clipper_) {
        clipper_->DropReference();
        clipper_ = nullptr;
    }
    std::free(pixels_);
    pixels_ = nullptr;
    zeroesOwed_ = false;
    owner_->Forget(this);
    if (!contextLeftOut) Ddraw().releasedSurfaces.Admit(this);
}

void DdSurface::DropPalette(const DdPalette* palette) {
    if (palette_ == palette) palette_ = nullptr;
}

void DdSurface::DropClipper(const DdClipper* clipper) {
    if (clipper_ == clipper) clipper_ = nullptr;
}

// ---- Lock and device contexts ----------------------------------------------------------

HRESULT DdSurface::Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE) {
    CallTicket call = BeginCall("Lock", this, [&] {
        return (rect ? "rect=" + FormatRect(rect) + " " : std::string()) +
               Format("flags=%#x", flags);
    });
    return RunCall(call, [&] { return DoLock(rect, desc); });
}

HRESULT DdSurface::DoLock(LPRECT rect, LPDDSURFACEDESC desc) {
    if (released_) return DDERR_INVALIDOBJECT;
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
    return ShownIfDesktop(RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!locked_) return DDERR_NOTLOCKED;
        locked_ = false;
        return DD_OK;
    }));
}

// A device context may be taken while the surface is locked (the old surfaces allow it),
// but only one at a time, and none while the surface is lost.
HRESULT DdSurface::GetDC(HDC* dc) {
    CallTicket call = BeginCall("GetDC", this);
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
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
    return ShownIfDesktop(RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!dc_) return DDERR_NODC;
        if (dc != dc_) return DDERR_INVALIDPARAMS;
        DeleteSurfaceDC(dc_);
        dc_ = nullptr;
        return DD_OK;
    }));
}

HRESULT DdSurface::ShownIfDesktop(HRESULT result) {
    if (result != DD_OK || !IsPrimary() || !backBuffers_.empty() || owner_->Exclusive())
        return result;
    ScreenArea client;
    PixelView view;
    if (DesktopWindowArea(&client) && ViewSurfacePixels(this, &view))
        CurrentPresenter().ShowDesktop(view, client);
    return result;
}

// ---- Descriptions ----------------------------------------------------------------------

void DdSurface::FillDescription(DDSURFACEDESC* desc) const {
    *desc = {};
    desc->dwSize = sizeof(DDSURFACEDESC);
    desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = width_;
    desc->dwHeight = height_;
    desc->lPitch = Pitch();
    if (!backBuffers_.empty()) {
        desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc->dwBackBufferCount = DWORD(backBuffers_.size());
    }
    if (hasKey_) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt = key_;
    }
    DescribeLayout(layout_, &desc->ddpfPixelFormat);
    desc->ddsCaps.dwCaps = caps_;
}

// Description and format stay readable on a lost surface; neither hands out the pixels.
HRESULT DdSurface::GetSurfaceDesc(LPDDSURFACEDESC desc) {
    CallTicket call = BeginCall("GetSurfaceDesc", this, [&] {
        return desc ? Format("size=%u", desc->dwSize) : std::string("desc=null");
    });
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        FillDescription(desc);
        return DD_OK;
    });
}

HRESULT DdSurface::GetPixelFormat(LPDDPIXELFORMAT format) {
    CallTicket call = BeginCall("GetPixelFormat", this, [&] {
        return format ? Format("size=%u", format->dwSize) : std::string("format=null");
    });
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!format || format->dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
        DescribeLayout(layout_, format);
        return DD_OK;
    });
}

HRESULT DdSurface::GetCaps(LPDDSCAPS caps) {
    CallTicket call = BeginCall("GetCaps", this);
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!caps) return DDERR_INVALIDPARAMS;
        caps->dwCaps = caps_;
        return DD_OK;
    });
}

// ---- The flipping chain ----------------------------------------------------------------

void DdSurface::AttachBackBuffers(std::vector<DdSurface*> backBuffers) {
    backBuffers_ = std::move(backBuffers);
    for (DdSurface* back : backBuffers_) back->chainFront_ = this;
}

// The chain is a ring: front, first back buffer, ..., last back buffer, front again.
DdSurface* DdSurface::NextInChain() const {
    if (!chainFront_) return backBuffers_.empty() ? nullptr : backBuffers_.front();
    const std::vector<DdSurface*>& ring = chainFront_->backBuffers_;
    for (size_t i = 0; i + 1 < ring.size(); ++i)
        if (ring[i] == this) return ring[i + 1];
    return chainFront_;
}

HRESULT DdSurface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached) {
    CallTicket call = BeginCall("GetAttachedSurface", this, [&] {
        return caps ? Format("caps=%#x", caps->dwCaps) : std::string("caps=null");
    });
    return RunCall(call, [&] { return DoGetAttachedSurface(caps, attached); });
}

HRESULT DdSurface::DoGetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached) {
    if (released_) return DDERR_INVALIDOBJECT;
    if (!caps || !attached) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    DdSurface* next = NextInChain();
    if (!next || (next->caps_ & caps->dwCaps) != caps->dwCaps) return DDERR_NOTFOUND;
    ++next->refs_;
    *attached = next;
    return DD_OK;
}

HRESULT DdSurface::Flip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags) {
    CallTicket call = BeginCall("Flip", this, [&] {
        return (targetOverride ? "override=" + PointerText(targetOverride) + " " : std::string()) +
               Format("flags=%#x", flags);
    });
    return RunCall(call, [&] { return DoFlip(targetOverride, flags); });
}

// Flipping exchanges memory: the interfaces stay put and the blocks behind them move one
// step toward the front, so the back buffer then holds the frame that was on screen.
HRESULT DdSurface::DoFlip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags) {
    if (released_) return DDERR_INVALIDOBJECT;
    if (backBuffers_.empty()) return DDERR_NOTFLIPPABLE;
    DdSurface* target = targetOverride ? FindSurface(targetOverride) : nullptr;
    if (targetOverride && (!target || target->chainFront_ != this)) return DDERR_NOTFLIPPABLE;
    if (!owner_->Exclusive()) return DDERR_NOEXCLUSIVEMODE;
    for (const DdSurface* member : backBuffers_)
        if (member->lost_) return DDERR_SURFACELOST;
    if (lost_) return DDERR_SURFACELOST;
    for (const DdSurface* member : backBuffers_)
        if (member->Busy()) return DDERR_SURFACEBUSY;
    if (Busy()) return DDERR_SURFACEBUSY;
    // Zeroes owed and what fills know belong to the memory, which is about to move.
    Pixels();
    fills_.Forget();
    for (DdSurface* member : backBuffers_) {
        member->Pixels();
        member->fills_.Forget();
    }
    if (target) {
        std::swap(pixels_, target->pixels_);
    } else {
        uint8_t* shown = pixels_;
        pixels_ = backBuffers_.front()->pixels_;
        for (size_t i = 0; i + 1 < backBuffers_.size(); ++i)
            backBuffers_[i]->pixels_ = backBuffers_[i + 1]->pixels_;
        backBuffers_.back()->pixels_ = shown;
    }
    PixelView view;
    if (ViewSurfacePixels(this, &view)) CurrentPresenter().Show(view, flags & DDFLIP_WAIT);
    return DD_OK;
}

// ---- Loss and restore ------------------------------------------------------------------

HRESULT DdSurface::IsLost() {
    CallTicket call = BeginCall("IsLost", this);
    return RunCall(call, [&] {
        return released_ ? DDERR_INVALIDOBJECT : lost_ ? DDERR_SURFACELOST : DD_OK;
    });
}

HRESULT DdSurface::Restore() {
    CallTicket call = BeginCall("Restore", this);
    return RunCall(call, [&] { return DoRestore(); });
}

// The memory comes back, not what was in it. The front buffer brings its back buffers
// back with it; the display must be ours again and in the chain's mode.
HRESULT DdSurface::DoRestore() {
    if (released_) return DDERR_INVALIDOBJECT;
    if (ImplicitBackBuffer()) return DDERR_IMPLICITLYCREATED;
    if (!lost_) return DD_OK;
    if (!ApplicationInForeground()) return DDERR_WRONGMODE;
    if (IsPrimary()) {
        const DdrawState& state = Ddraw();
        const DisplayMode shown = state.showingProgramMode ? state.shownMode : DesktopMode();
        if (shown.width != width_ || shown.height != height_ || !(shown.layout == layout_))
            return DDERR_WRONGMODE;
    }
    zeroesOwed_ = true;
    lost_ = false;
    fills_.Forget();
    for (DdSurface* back : backBuffers_) {
        back->zeroesOwed_ = true;
        back->lost_ = false;
        back->fills_.Forget();
    }
    return DD_OK;
}

// ---- Colour key, clipper, palette ------------------------------------------------------

HRESULT DdSurface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    CallTicket call = BeginCall("SetColorKey", this, [&] {
        if (!key) return Format("flags=%#x key=null", flags);
        return Format("flags=%#x low=0x%x high=0x%x", flags, key->dwColorSpaceLowValue,
                      key->dwColorSpaceHighValue);
    });
    return RunCall(call, [&] { return DoSetColorKey(flags, key); });
}

// Only source keys for blits are kept. Without DDCKEY_COLORSPACE the record names one
// colour: its low value.
HRESULT DdSurface::DoSetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (released_) return DDERR_INVALIDOBJECT;
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
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!key || flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
        if (!hasKey_) return DDERR_NOCOLORKEY;
        *key = key_;
        return DD_OK;
    });
}

HRESULT DdSurface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
    CallTicket call =
        BeginCall("SetClipper", this, [&] { return "clipper=" + PointerText(clipper); });
    return RunCall(call, [&] { return DoSetClipper(clipper); });
}

// The surface holds one reference on its clipper, taken on attach and dropped on detach.
HRESULT DdSurface::DoSetClipper(LPDIRECTDRAWCLIPPER clipper) {
    if (released_) return DDERR_INVALIDOBJECT;
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
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
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
    return RunCall(call, [&] { return DoSetPalette(palette); });
}

// Palettes belong to 8-bit surfaces; on the primary the palette is the screen's.
HRESULT DdSurface::DoSetPalette(LPDIRECTDRAWPALETTE palette) {
    if (released_) return DDERR_INVALIDOBJECT;
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
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!palette) return DDERR_INVALIDPARAMS;
        if (!palette_) return DDERR_NOPALETTEATTACHED;
        palette_->AddReference();
        *palette = palette_;
        return DD_OK;
    });
}

}  // namespace vantor::platform
