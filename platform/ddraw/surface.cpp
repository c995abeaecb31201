// Surfaces: making one, reference counts and the end of a surface, descriptions, what a
// change to the desktop's primary shows, loss and restore. The lock and device contexts are
// in surface_locking.cpp, the flipping chain in surface_flipping.cpp, colour key, clipper and
// palette in surface_attachments.cpp, the blits in blt.cpp.
#include <cstring>

#include "ddraw/clipper_object.h"
#include "ddraw/ddraw_state.h"
#include "ddraw/directdraw_object.h"
#include "ddraw/palette_object.h"
#include "ddraw/pixel_memory.h"
#include "ddraw/surface_contexts.h"
#include "ddraw/surface_object.h"
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
      memory_(pixels, Bytes()) {}

void SurfaceMemory::Pay() const {
    std::memset(block_, 0, bytes_);
    owed_ = false;
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
    FreePixels(memory_.TakeBlock(), Bytes());
    owner_->Forget(this);
    if (!contextLeftOut) Ddraw().releasedSurfaces.Admit(this);
}

void DdSurface::DropPalette(const DdPalette* palette) {
    if (palette_ == palette) palette_ = nullptr;
}

void DdSurface::DropClipper(const DdClipper* clipper) {
    if (clipper_ == clipper) clipper_ = nullptr;
}

// ---- What the desktop shows ------------------------------------------------------------

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
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        FillDescription(desc);
        return DD_OK;
    });
}

HRESULT DdSurface::GetPixelFormat(LPDDPIXELFORMAT format) {
    CallTicket call = BeginCall("GetPixelFormat", this, [&] {
        return format ? Format("size=%u", format->dwSize) : std::string("format=null");
    });
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!format || format->dwSize != sizeof(DDPIXELFORMAT)) return DDERR_INVALIDPARAMS;
        DescribeLayout(layout_, format);
        return DD_OK;
    });
}

HRESULT DdSurface::GetCaps(LPDDSCAPS caps) {
    CallTicket call = BeginCall("GetCaps", this);
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!caps) return DDERR_INVALIDPARAMS;
        caps->dwCaps = caps_;
        return DD_OK;
    });
}

// ---- Loss and restore ------------------------------------------------------------------

HRESULT DdSurface::IsLost() {
    CallTicket call = BeginCall("IsLost", this);
    return RunCall(call, released_, [&] { return lost_ ? DDERR_SURFACELOST : DD_OK; });
}

HRESULT DdSurface::Restore() {
    CallTicket call = BeginCall("Restore", this);
    return RunCall(call, released_, [&] { return DoRestore(); });
}

// The memory comes back, not what was in it. The front buffer brings its back buffers
// back with it; the display must be ours again and in the chain's mode.
HRESULT DdSurface::DoRestore() {
    if (ImplicitBackBuffer()) return DDERR_IMPLICITLYCREATED;
    if (!lost_) return DD_OK;
    if (!ApplicationInForeground()) return DDERR_WRONGMODE;
    if (IsPrimary()) {
        const DdrawState& state = Ddraw();
        const DisplayMode shown = state.showingProgramMode ? state.shownMode : DesktopMode();
        if (shown.width != width_ || shown.height != height_ || !(shown.layout == layout_))
            return DDERR_WRONGMODE;
    }
    memory_.OweZeroes();
    lost_ = false;
    fills_.Forget();
    for (DdSurface* back : backBuffers_) {
        back->memory_.OweZeroes();
        back->lost_ = false;
        back->fills_.Forget();
    }
    return DD_OK;
}

}  // namespace vantor::platform
