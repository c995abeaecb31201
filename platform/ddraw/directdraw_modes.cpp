// The DirectDraw object: the cooperative level, the display mode, and what a change of
// either, or of the focus, does to the screen and to the surfaces in video memory.
#include "ddraw/directdraw_object.h"
#include "ddraw/surface_object.h"
#include "modules.h"
#include "present/presenter.h"

namespace vantor::platform {
namespace {

void ShowDesktop() {
    DdrawState& state = Ddraw();
    if (!state.showingProgramMode) return;
    CurrentPresenter().RestoreDesktop();
    state.showingProgramMode = false;
    state.shownMode = {};
}

}  // namespace

HRESULT DirectDrawObject::SetCooperativeLevel(HWND window, DWORD flags) {
    CallTicket call = BeginCall("SetCooperativeLevel", static_cast<IDirectDraw2*>(this),
                                [&] { return Format("flags=%#x", flags); });
    return RunCall(call, released_, [&] { return DoSetCooperativeLevel(window, flags); });
}

HRESULT DirectDrawObject::DoSetCooperativeLevel(HWND window, DWORD flags) {
    const bool exclusive = flags & DDSCL_EXCLUSIVE;
    // Exclusive goes with full screen, and exactly one of exclusive and normal is asked for.
    if (exclusive != bool(flags & DDSCL_FULLSCREEN) || exclusive == bool(flags & DDSCL_NORMAL))
        return DDERR_INVALIDPARAMS;
    if ((exclusive && !window) || (window && !ValidWindow(window))) return DDERR_INVALIDPARAMS;
    if (window && window_ && window != window_) return DDERR_HWNDALREADYSET;
    DirectDrawObject* owner = Ddraw().exclusiveOwner;
    if (exclusive && owner && owner != this) return DDERR_EXCLUSIVEMODEALREADYSET;
    cooperativeLevelSet_ = true;
    if (window) window_ = window;
    if (!exclusive) {
        if (exclusive_) EndExclusive();
        return DD_OK;
    }
    if (!exclusive_) {
        LoseVideoSurfaces();
        exclusive_ = true;
        Ddraw().exclusiveOwner = this;
    }
    ActivateWindow(window);
    PutWindowOnScreen(window);
    return DD_OK;
}

// The desktop's mode comes back with the end of exclusive mode, and like any change of
// mode it takes the video memory with it.
void DirectDrawObject::EndExclusive() {
    exclusive_ = false;
    if (Ddraw().exclusiveOwner == this) Ddraw().exclusiveOwner = nullptr;
    if (!modeSet_) return;
    ShowDesktop();
    modeSet_ = false;
    LoseVideoSurfaces();
}

HRESULT DirectDrawObject::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel,
                                         DWORD refreshRate, DWORD flags) {
    CallTicket call = BeginCall("SetDisplayMode", static_cast<IDirectDraw2*>(this), [&] {
        return Format("%ux%ux%u refresh=%u flags=%#x", width, height, bitsPerPixel, refreshRate,
                      flags);
    });
    return RunCall(call, released_,
                   [&] { return DoSetDisplayMode(width, height, bitsPerPixel, flags); });
}

HRESULT DirectDrawObject::DoSetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel,
                                           DWORD flags) {
    if (flags) return DDERR_INVALIDPARAMS;
    if (!SupportedDepth(bitsPerPixel) || width == 0 || height == 0 || width > kMaxSide ||
        height > kMaxSide)
        return DDERR_INVALIDMODE;
    if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
    for (const DdSurface* surface : surfaces_)
        if (surface->Busy()) return DDERR_SURFACEBUSY;
    const DisplayMode mode = {int(width), int(height),
                              DisplayLayout(int(bitsPerPixel), Ddraw().use555)};
    if (!CurrentPresenter().SetMode(mode.width, mode.height, mode.layout.bitsPerPixel))
        return DDERR_UNSUPPORTEDMODE;
    mode_ = mode;
    modeSet_ = true;
    Ddraw().showingProgramMode = true;
    Ddraw().shownMode = mode;
    LoseVideoSurfaces();
    return DD_OK;
}

HRESULT DirectDrawObject::RestoreDisplayMode() {
    CallTicket call = BeginCall("RestoreDisplayMode", static_cast<IDirectDraw2*>(this));
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!modeSet_) return DD_OK;
        ShowDesktop();
        modeSet_ = false;
        LoseVideoSurfaces();
        return DD_OK;
    });
}

HRESULT DirectDrawObject::FlipToGDISurface() {
    CallTicket call = BeginCall("FlipToGDISurface", static_cast<IDirectDraw2*>(this));
    return RunCall(call, released_, [] { return DD_OK; });
}

HRESULT DirectDrawObject::GetDisplayMode(LPDDSURFACEDESC desc) {
    CallTicket call = BeginCall("GetDisplayMode", static_cast<IDirectDraw2*>(this), [&] {
        return desc ? Format("size=%u", desc->dwSize) : std::string("desc=null");
    });
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!desc || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        const DisplayMode& mode = Mode();
        *desc = {};
        desc->dwSize = sizeof(DDSURFACEDESC);
        desc->dwFlags = DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
        desc->dwWidth = mode.width;
        desc->dwHeight = mode.height;
        desc->lPitch = mode.width * mode.layout.BytesPerPixel();
        DescribeLayout(mode.layout, &desc->ddpfPixelFormat);
        return DD_OK;
    });
}

void DirectDrawObject::LoseVideoSurfaces() {
    for (DdSurface* surface : surfaces_)
        if (surface->CanBeLost()) surface->MarkLost();
}

void DirectDrawObject::FocusLost() {
    if (!exclusive_) return;
    LoseVideoSurfaces();
    ShowDesktop();
}

void DirectDrawObject::FocusGained() {
    if (!exclusive_ || !modeSet_ || Ddraw().showingProgramMode) return;
    if (!CurrentPresenter().SetMode(mode_.width, mode_.height, mode_.layout.bitsPerPixel)) return;
    Ddraw().showingProgramMode = true;
    Ddraw().shownMode = mode_;
}

}  // namespace vantor::platform
