// The DirectDraw object: cooperative level, display mode, and the surfaces, palettes and
// clippers it makes and owns.
#include <cstdlib>

#include "ddraw/clipper_object.h"
#include "ddraw/ddraw_state.h"
#include "ddraw/directdraw_object.h"
#include "ddraw/palette_object.h"
#include "ddraw/surface_object.h"
#include "modules.h"
#include "present/presenter.h"

const IID IID_IDirectDraw = {
    0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDraw2 = {
    0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

namespace vantor::platform {
namespace {

// Limits that keep every size computation far from overflow and every allocation sane:
// a side of at most 16384 pixels and at most 256 MiB of pixels per surface.
constexpr DWORD kMaxSide = 16384;
constexpr uint64_t kMaxSurfaceBytes = uint64_t(256) << 20;
constexpr DWORD kMaxBackBuffers = 3;

const char* InterfaceName(REFIID riid) {
    if (riid == IID_IDirectDraw2) return "IDirectDraw2";
    if (riid == IID_IDirectDraw) return "IDirectDraw";
    return "other";
}

// The layout a creation record asks for, or false when it is not one we can make.
bool LayoutFromFormat(const DDPIXELFORMAT& format, PixelLayout* layout) {
    if (format.dwSize != sizeof(DDPIXELFORMAT)) return false;
    if (format.dwFlags & DDPF_PALETTEINDEXED8) {
        *layout = DisplayLayout(8, false);
        return true;
    }
    if (!(format.dwFlags & DDPF_RGB) || !SupportedDepth(format.dwRGBBitCount)) return false;
    *layout = {int(format.dwRGBBitCount), format.dwRBitMask, format.dwGBitMask, format.dwBBitMask};
    return true;
}

void ShowDesktop() {
    DdrawState& state = Ddraw();
    if (!state.showingProgramMode) return;
    CurrentPresenter().RestoreDesktop();
    state.showingProgramMode = false;
    state.shownMode = {};
}

}  // namespace

DirectDrawObject::DirectDrawObject() = default;

DisplayMode DirectDrawObject::Mode() const { return modeSet_ ? mode_ : DesktopMode(); }

int DirectDrawObject::LiveChildren() const {
    return int(surfaces_.size() + palettes_.size() + clippers_.size());
}

DdPalette* DirectDrawObject::OwnPalette(IDirectDrawPalette* palette) const {
    for (DdPalette* own : palettes_)
        if (own == palette) return own;
    return nullptr;
}

DdClipper* DirectDrawObject::OwnClipper(IDirectDrawClipper* clipper) const {
    for (DdClipper* own : clippers_)
        if (own == clipper) return own;
    return nullptr;
}

// ---- Reference counting ----------------------------------------------------------------

HRESULT DirectDrawObject::QueryInterface(REFIID riid, void** object) {
    CallTicket call = BeginCall("QueryInterface", static_cast<IDirectDraw2*>(this),
                                [&] { return Format("iid=%s", InterfaceName(riid)); });
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!object) return DDERR_INVALIDPARAMS;
        if (riid == IID_IDirectDraw2) {
            *object = static_cast<IDirectDraw2*>(this);
        } else if (riid == IID_IDirectDraw) {
            *object = static_cast<IDirectDraw*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        ++refs_;
        return DD_OK;
    });
}

ULONG DirectDrawObject::AddRef() {
    return LoggedAddRef(static_cast<IDirectDraw2*>(this), released_, &refs_);
}

ULONG DirectDrawObject::Release() {
    if (!LogRelease(static_cast<IDirectDraw2*>(this), released_, refs_)) return 0;
    if (--refs_ == 0) Destroy(false);
    return refs_;
}

void DirectDrawObject::Destroy(bool quietly) {
    if (released_) return;
    for (DdSurface* surface : std::vector<DdSurface*>(surfaces_)) surface->Destroy(!quietly);
    for (DdPalette* palette : std::vector<DdPalette*>(palettes_)) palette->Destroy();
    for (DdClipper* clipper : std::vector<DdClipper*>(clippers_)) clipper->Destroy();
    if (exclusive_) {
        if (quietly) Ddraw().showingProgramMode = false;
        EndExclusive();
    }
    refs_ = 0;
    released_ = true;
    std::erase(Ddraw().objects, this);
    Ddraw().releasedDirectDraws.Admit(this);
}

void DirectDrawObject::Forget(DdSurface* surface) {
    std::erase(surfaces_, surface);
    if (primary_ != surface) return;
    primary_ = nullptr;
    LeaveDesktop(window_);
}
void DirectDrawObject::Forget(DdPalette* palette) {
    std::erase(palettes_, palette);
    for (DdSurface* surface : surfaces_) surface->DropPalette(palette);
    Ddraw().releasedPalettes.Admit(palette);
}
void DirectDrawObject::Forget(DdClipper* clipper) {
    std::erase(clippers_, clipper);
    for (DdSurface* surface : surfaces_) surface->DropClipper(clipper);
    Ddraw().releasedClippers.Admit(clipper);
}

// ---- Cooperative level and display mode --------------------------------------------------

HRESULT DirectDrawObject::SetCooperativeLevel(HWND window, DWORD flags) {
    CallTicket call = BeginCall("SetCooperativeLevel", static_cast<IDirectDraw2*>(this),
                                [&] { return Format("flags=%#x", flags); });
    return RunCall(call, [&] { return DoSetCooperativeLevel(window, flags); });
}

HRESULT DirectDrawObject::DoSetCooperativeLevel(HWND window, DWORD flags) {
    if (released_) return DDERR_INVALIDOBJECT;
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
    return RunCall(call, [&] { return DoSetDisplayMode(width, height, bitsPerPixel, flags); });
}

HRESULT DirectDrawObject::DoSetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel,
                                           DWORD flags) {
    if (released_) return DDERR_INVALIDOBJECT;
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
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (!modeSet_) return DD_OK;
        ShowDesktop();
        modeSet_ = false;
        LoseVideoSurfaces();
        return DD_OK;
    });
}

HRESULT DirectDrawObject::FlipToGDISurface() {
    CallTicket call = BeginCall("FlipToGDISurface", static_cast<IDirectDraw2*>(this));
    return RunCall(call, [&] { return released_ ? DDERR_INVALIDOBJECT : DD_OK; });
}

HRESULT DirectDrawObject::GetDisplayMode(LPDDSURFACEDESC desc) {
    CallTicket call = BeginCall("GetDisplayMode", static_cast<IDirectDraw2*>(this), [&] {
        return desc ? Format("size=%u", desc->dwSize) : std::string("desc=null");
    });
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
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

// ---- Making surfaces -------------------------------------------------------------------

HRESULT DirectDrawObject::CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface,
                                        IUnknown* outer) {
    CallTicket call = BeginCall("CreateSurface", static_cast<IDirectDraw2*>(this), [&] {
        if (!desc) return std::string("desc=null");
        return Format("flags=%#x caps=%#x backbuffers=%u width=%u height=%u", desc->dwFlags,
                      desc->ddsCaps.dwCaps, desc->dwBackBufferCount, desc->dwWidth, desc->dwHeight);
    });
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!desc || !surface || desc->dwSize != sizeof(DDSURFACEDESC)) return DDERR_INVALIDPARAMS;
        return DoCreateSurface(*desc, surface);
    });
}

HRESULT DirectDrawObject::DoCreateSurface(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface) {
    if (!(desc.dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    if (!cooperativeLevelSet_) return DDERR_NOCOOPERATIVELEVELSET;
    if (desc.ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) return CreatePrimary(desc, surface);
    return CreatePlain(desc, surface);
}

HRESULT DirectDrawObject::CreatePrimary(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface) {
    const DWORD caps = desc.ddsCaps.dwCaps;
    if (desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
    const bool flip = caps & DDSCAPS_FLIP;
    const bool complex = caps & DDSCAPS_COMPLEX;
    const bool counted = desc.dwFlags & DDSD_BACKBUFFERCOUNT;
    if ((flip || complex || counted) && !(flip && complex && counted && desc.dwBackBufferCount > 0))
        return DDERR_INVALIDCAPS;
    if (caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_BACKBUFFER | DDSCAPS_OFFSCREENPLAIN))
        return DDERR_INVALIDCAPS;
    if (flip && desc.dwBackBufferCount > kMaxBackBuffers) return DDERR_INVALIDPARAMS;
    if (primary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    if (flip && !exclusive_) return DDERR_NOEXCLUSIVEMODE;

    const DisplayMode& mode = Mode();
    const DWORD placement = DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
    const DWORD chainCaps = flip ? DDSCAPS_FLIP | DDSCAPS_COMPLEX : 0;
    HRESULT failure = DD_OK;
    DdSurface* front = NewSurface(mode.width, mode.height, mode.layout,
                                  DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE | placement | chainCaps |
                                      (flip ? DDSCAPS_FRONTBUFFER : 0),
                                  &failure);
    if (!front) return failure;
    std::vector<DdSurface*> backBuffers;
    for (DWORD i = 0; flip && i < desc.dwBackBufferCount; ++i) {
        DdSurface* back = NewSurface(mode.width, mode.height, mode.layout,
                                     DDSCAPS_BACKBUFFER | chainCaps | placement, &failure);
        if (!back) {
            for (DdSurface* made : backBuffers) made->Destroy(false);
            front->Destroy(false);
            return failure;
        }
        backBuffers.push_back(back);
    }
    front->AttachBackBuffers(std::move(backBuffers));
    primary_ = front;
    *surface = front;
    // Without exclusive mode the primary surface is the desktop, and the program's window
    // is what shows the desktop under its client area.
    if (!exclusive_ && window_) ShowOnDesktop(window_);
    return DD_OK;
}

HRESULT DirectDrawObject::CreatePlain(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface) {
    const DWORD caps = desc.ddsCaps.dwCaps;
    if (caps & (DDSCAPS_BACKBUFFER | DDSCAPS_FRONTBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                DDSCAPS_VISIBLE))
        return DDERR_INVALIDCAPS;
    const bool system = caps & DDSCAPS_SYSTEMMEMORY;
    if (system && (caps & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;
    if ((desc.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT))
        return DDERR_INVALIDPARAMS;
    if (desc.dwWidth == 0 || desc.dwHeight == 0 || desc.dwWidth > kMaxSide ||
        desc.dwHeight > kMaxSide)
        return DDERR_INVALIDPARAMS;
    PixelLayout layout = Mode().layout;
    if ((desc.dwFlags & DDSD_PIXELFORMAT) && !LayoutFromFormat(desc.ddpfPixelFormat, &layout))
        return DDERR_INVALIDPIXELFORMAT;
    const DWORD placement =
        system ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
    HRESULT failure = DD_OK;
    DdSurface* made = NewSurface(int(desc.dwWidth), int(desc.dwHeight), layout,
                                 (caps & DDSCAPS_OFFSCREENPLAIN) | placement, &failure);
    if (!made) return failure;
    *surface = made;
    return DD_OK;
}

DdSurface* DirectDrawObject::NewSurface(int width, int height, const PixelLayout& layout,
                                        DWORD caps, HRESULT* failure) {
    const uint64_t bytes = uint64_t(width) * uint64_t(height) * uint64_t(layout.BytesPerPixel());
    // Not cleared here: the surface owes its zeroes until its pixels are first used.
    uint8_t* pixels =
        bytes <= kMaxSurfaceBytes ? static_cast<uint8_t*>(std::malloc(bytes)) : nullptr;
    if (!pixels) {
        *failure = (caps & DDSCAPS_SYSTEMMEMORY) ? DDERR_OUTOFMEMORY : DDERR_OUTOFVIDEOMEMORY;
        return nullptr;
    }
    DdSurface* surface = Ddraw().releasedSurfaces.TakeOldest();
    if (surface) {
        *surface =
            DdSurface(this, width, height, layout, caps, pixels);  // a new surface in an old shell
    } else {
        surface = new DdSurface(this, width, height, layout, caps, pixels);
        Ddraw().everySurface.insert(static_cast<IDirectDrawSurface*>(surface));
        Ddraw().shellsMade += 1;
    }
    surfaces_.push_back(surface);
    return surface;
}

// ---- Palettes and clippers --------------------------------------------------------------

HRESULT DirectDrawObject::CreatePalette(DWORD flags, LPPALETTEENTRY entries,
                                        LPDIRECTDRAWPALETTE* palette, IUnknown* outer) {
    CallTicket call = BeginCall("CreatePalette", static_cast<IDirectDraw2*>(this),
                                [&] { return Format("flags=%#x", flags); });
    return RunCall(call, [&]() -> HRESULT {
        constexpr DWORD kInitialize = 0x8;  // accepted and without effect, as on Windows
        if (released_) return DDERR_INVALIDOBJECT;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!entries || !palette) return DDERR_INVALIDPARAMS;
        if (!(flags & DDPCAPS_8BIT) || (flags & ~(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | kInitialize)))
            return DDERR_INVALIDPARAMS;
        if (!cooperativeLevelSet_) return DDERR_NOCOOPERATIVELEVELSET;
        DdPalette* made = Ddraw().releasedPalettes.TakeOldest();
        if (made) {
            *made = DdPalette(this, flags, entries);  // a new palette in an old shell
        } else {
            made = new DdPalette(this, flags, entries);
            Ddraw().shellsMade += 1;
        }
        palettes_.push_back(made);
        *palette = made;
        return DD_OK;
    });
}

DdClipper* DirectDrawObject::NewClipper() {
    if (DdClipper* revived = Ddraw().releasedClippers.TakeOldest()) {
        revived->Revive(this);
        return revived;
    }
    DdClipper* made = new DdClipper(this);
    Ddraw().shellsMade += 1;
    return made;
}

HRESULT DirectDrawObject::CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper,
                                        IUnknown* outer) {
    CallTicket call = BeginCall("CreateClipper", static_cast<IDirectDraw2*>(this),
                                [&] { return Format("flags=%#x", flags); });
    return RunCall(call, [&]() -> HRESULT {
        if (released_) return DDERR_INVALIDOBJECT;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (!clipper || flags) return DDERR_INVALIDPARAMS;
        clippers_.push_back(NewClipper());
        *clipper = clippers_.back();
        return DD_OK;
    });
}

}  // namespace vantor::platform

HRESULT WINAPI DirectDrawCreate(GUID* driver, LPDIRECTDRAW* directDraw, IUnknown* outer) {
    using namespace vantor::platform;
    CallTicket call = BeginCall("DirectDrawCreate", nullptr, [&] {
        return driver ? Format("driver=%p", static_cast<void*>(driver))
                      : std::string("driver=null");
    });
    return RunCall(call, [&]() -> HRESULT {
        if (!directDraw) return DDERR_INVALIDPARAMS;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (driver) return DDERR_INVALIDPARAMS;
        DirectDrawObject* object = Ddraw().releasedDirectDraws.TakeOldest();
        if (object) {
            *object = DirectDrawObject();  // a new object in an old shell
        } else {
            object = new DirectDrawObject;
            Ddraw().shellsMade += 1;
        }
        Ddraw().objects.push_back(object);
        *directDraw = object;
        return DD_OK;
    });
}
