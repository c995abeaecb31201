// The DirectDraw object making surfaces: the primary surface, alone or as a flipping chain,
// and plain off-screen surfaces, in the display's layout or one the caller names.
#include "ddraw/directdraw_object.h"
#include "ddraw/pixel_memory.h"
#include "ddraw/surface_object.h"
#include "modules.h"

namespace vantor::platform {
namespace {

// At most 256 MiB of pixels per surface, and three back buffers to a flipping chain.
constexpr uint64_t kMaxSurfaceBytes = uint64_t(256) << 20;
constexpr DWORD kMaxBackBuffers = 3;

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

}  // namespace

HRESULT DirectDrawObject::CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface,
                                        IUnknown* outer) {
    CallTicket call = BeginCall("CreateSurface", static_cast<IDirectDraw2*>(this), [&] {
        if (!desc) return std::string("desc=null");
        return Format("flags=%#x caps=%#x backbuffers=%u width=%u height=%u", desc->dwFlags,
                      desc->ddsCaps.dwCaps, desc->dwBackBufferCount, desc->dwWidth, desc->dwHeight);
    });
    return RunCall(call, released_, [&]() -> HRESULT {
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
    // A surface in a format of its own needs nothing of the display: a program that draws
    // without one never makes the platform look for a screen.
    PixelLayout layout;
    if (!(desc.dwFlags & DDSD_PIXELFORMAT))
        layout = Mode().layout;
    else if (!LayoutFromFormat(desc.ddpfPixelFormat, &layout))
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
    uint8_t* pixels = bytes <= kMaxSurfaceBytes ? AllocatePixels(bytes) : nullptr;
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

}  // namespace vantor::platform
