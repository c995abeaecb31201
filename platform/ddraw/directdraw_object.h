// The DirectDraw object: cooperative level and display mode (directdraw_modes.cpp), the
// surfaces it makes (directdraw_surfaces.cpp), and the palettes and clippers it makes, with
// its reference count and the children it owns (directdraw.cpp).
// Released DirectDraw objects and stale pointers to them: released_shells.h.
//
// Ownership. Every surface, palette and clipper belongs to the DirectDraw object that made
// it; the final Release of that object releases them all, whatever their counts, and ends
// exclusive mode.
//
// Call log details:
//   DirectDrawCreate     "driver=null"
//   QueryInterface       "iid=IDirectDraw2" | "iid=IDirectDraw" | "iid=other"
//   SetCooperativeLevel  "flags=0x11"
//   SetDisplayMode       "640x480x16 refresh=0 flags=0"
//   CreateSurface        "flags=0x21 caps=0x218 backbuffers=1 width=0 height=0" | "desc=null"
//   CreatePalette        "flags=0x44"
//   CreateClipper        "flags=0"
//   GetDisplayMode       "size=<dwSize>"
#pragma once

#include <vector>

#include "ddraw/ddraw_state.h"

namespace vantor::platform {

// The longest side of a mode or a surface: with it no size computation comes near overflow.
constexpr DWORD kMaxSide = 16384;

class DirectDrawObject final : public IDirectDraw, public IDirectDraw2 {
public:
    DirectDrawObject();

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) override;
    HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                          IUnknown* outer) override;
    HRESULT CreateSurface(LPDDSURFACEDESC desc, LPDIRECTDRAWSURFACE* surface,
                          IUnknown* outer) override;
    HRESULT FlipToGDISurface() override;
    HRESULT GetDisplayMode(LPDDSURFACEDESC desc) override;
    HRESULT RestoreDisplayMode() override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                           DWORD flags) override;

    bool Released() const { return released_; }
    bool Exclusive() const { return exclusive_; }
    // The display mode this object's surfaces are made in: its own mode once set, else the
    // desktop's.
    DisplayMode Mode() const;
    const DdSurface* Primary() const { return primary_; }
    int LiveChildren() const;
    // Our own live palette or clipper behind an interface pointer, else null.
    DdPalette* OwnPalette(IDirectDrawPalette* palette) const;
    DdClipper* OwnClipper(IDirectDrawClipper* clipper) const;

    // Children report their own end.
    void Forget(DdSurface* surface);
    void Forget(DdPalette* palette);
    void Forget(DdClipper* clipper);
    const std::vector<DdSurface*>& Surfaces() const { return surfaces_; }

    // Video-memory surfaces and the primary chain lose their memory.
    void LoseVideoSurfaces();
    void FocusLost();
    void FocusGained();
    // Ends the object whatever its count: children destroyed, exclusive mode ended. With
    // quietly, nothing is shown or deleted outside DirectDraw (the reset between tests).
    void Destroy(bool quietly);

private:
    HRESULT DoCreateSurface(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface);
    HRESULT CreatePrimary(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface);
    HRESULT CreatePlain(const DDSURFACEDESC& desc, LPDIRECTDRAWSURFACE* surface);
    HRESULT DoSetCooperativeLevel(HWND window, DWORD flags);
    HRESULT DoSetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD flags);
    void EndExclusive();
    DdSurface* NewSurface(int width, int height, const PixelLayout& layout, DWORD caps,
                          HRESULT* failure);
    // A clipper without a list: the oldest released shell once it is due (released_shells.h).
    DdClipper* NewClipper();

    ULONG refs_ = 1;
    bool released_ = false;
    bool cooperativeLevelSet_ = false;
    bool exclusive_ = false;
    bool modeSet_ = false;
    HWND window_ = nullptr;
    DisplayMode mode_;
    DdSurface* primary_ = nullptr;
    std::vector<DdSurface*> surfaces_;
    std::vector<DdPalette*> palettes_;
    std::vector<DdClipper*> clippers_;
};

}  // namespace vantor::platform
