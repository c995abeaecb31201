// A surface: reference counts, descriptions, loss and restore (surface.cpp), the lock and
// device-context rules (surface_locking.cpp), the flipping chain (surface_flipping.cpp),
// attached palette, clipper and colour key (surface_attachments.cpp), and the blits
// (blt.cpp).
// Released surfaces and stale pointers to them: released_shells.h.
//
// Call log details:
//   Blt                  "dst=(l,t,r,b) src=<ptr> srcrect=(l,t,r,b) flags=0x1000400 fill=0x0"
//                        (fill=none without an effects record)
//   BltFast              "x=0 y=0 srcrect=(l,t,r,b) flags=0x10"
//   Lock                 "flags=0x1", preceded by "rect=(l,t,r,b) " for a part of the surface
//   Flip                 "flags=0x1", preceded by "override=<ptr> " when one is given
//   GetAttachedSurface   "caps=0x4"
//   SetColorKey          "flags=0x8 low=0x.. high=0x.." | "flags=0x8 key=null"
//   SetClipper           "clipper=<ptr>"       SetPalette "palette=<ptr>"
//   GetSurfaceDesc, GetPixelFormat  "size=<dwSize>"
//   GetColorKey          "flags=0x8"
//   ReleaseDC            "dc=<ptr>"
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ddraw/ddraw_state.h"
#include "ddraw/fill_tracker.h"
#include "ddraw/rects.h"
#include "ddraw/surface_memory.h"

namespace vantor::platform {

class DdSurface final : public IDirectDrawSurface {
public:
    DdSurface(DirectDrawObject* owner, int width, int height, const PixelLayout& layout, DWORD caps,
              uint8_t* pixels);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Blt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
                LPDDBLTFX effects) override;
    HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                    DWORD transfer) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags) override;
    HRESULT GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached) override;
    HRESULT GetCaps(LPDDSCAPS caps) override;
    HRESULT GetClipper(LPDIRECTDRAWCLIPPER* clipper) override;
    HRESULT GetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT GetPalette(LPDIRECTDRAWPALETTE* palette) override;
    HRESULT GetPixelFormat(LPDDPIXELFORMAT format) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC desc) override;
    HRESULT IsLost() override;
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC desc, DWORD flags, HANDLE event) override;
    HRESULT ReleaseDC(HDC dc) override;
    HRESULT Restore() override;
    HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override;
    HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) override;
    HRESULT Unlock(LPVOID surfaceData) override;

    // For the DirectDraw object, the blitter and the views.
    DirectDrawObject* Owner() const { return owner_; }
    bool Released() const { return released_; }
    bool Lost() const { return lost_; }
    bool Busy() const { return locked_ || dc_ != nullptr; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    int32_t Pitch() const { return width_ * layout_.BytesPerPixel(); }
    size_t Bytes() const { return size_t(height_) * Pitch(); }  // of the pixel memory
    const PixelLayout& Layout() const { return layout_; }
    // The pixel memory, cleared first if the surface still owes its zeroes.
    uint8_t* Pixels() const { return memory_.Paid(); }
    DWORD Caps() const { return caps_; }
    bool IsPrimary() const { return caps_ & DDSCAPS_PRIMARYSURFACE; }
    bool CanBeLost() const { return !(caps_ & DDSCAPS_SYSTEMMEMORY); }
    bool ImplicitBackBuffer() const { return chainFront_ != nullptr; }
    const DdPalette* AttachedPalette() const { return palette_; }
    const DdClipper* AttachedClipper() const { return clipper_; }
    const DDCOLORKEY* SourceKey() const { return hasKey_ ? &key_ : nullptr; }

    // The back buffers of a flipping chain, in order; only the front buffer has them.
    void AttachBackBuffers(std::vector<DdSurface*> backBuffers);
    void MarkLost() { lost_ = true; }
    // A drawing outside the blitter (a device context's text) wrote inside the box, or
    // anywhere in the surface.
    void DrewInside(const RECT& box) {
        fills_.Drew(Intersection(box, RECT{0, 0, width_, height_}));
    }
    void DrewAnywhere() { fills_.Forget(); }
    void DropPalette(const DdPalette* palette);
    void DropClipper(const DdClipper* clipper);
    // Ends the surface's life whatever its count: references it holds are let go, its
    // memory freed. With deleteDc, a device context still out on it is deleted too.
    void Destroy(bool deleteDc);

private:
    HRESULT DoBlt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
                  LPDDBLTFX effects);
    HRESULT DoBltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                      DWORD transfer);
    HRESULT DoFlip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags);
    HRESULT DoLock(LPRECT rect, LPDDSURFACEDESC desc);
    HRESULT DoRestore();
    HRESULT DoSetClipper(LPDIRECTDRAWCLIPPER clipper);
    HRESULT DoSetPalette(LPDIRECTDRAWPALETTE palette);
    HRESULT DoSetColorKey(DWORD flags, LPDDCOLORKEY key);
    void FillWhole(DWORD colour);
    HRESULT DoGetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached);
    void FillDescription(DDSURFACEDESC* desc) const;
    // A primary surface that is the desktop shows what a finished write left under the
    // window on the desktop. Passes the result through.
    HRESULT ShownIfDesktop(HRESULT result);
    // The pixel memory for a blit about to write into it. A blit that writes every pixel
    // of the surface makes zeroes still owed unnecessary.
    uint8_t* PixelsToWrite(bool everyPixel) {
        return everyPixel ? memory_.ToBeCovered() : memory_.Paid();
    }
    DdSurface* NextInChain() const;
    const DdSurface* ChainFront() const { return chainFront_ ? chainFront_ : this; }

    DirectDrawObject* owner_;
    ULONG refs_ = 1;
    bool released_ = false;
    bool lost_ = false;
    bool locked_ = false;
    HDC dc_ = nullptr;
    int width_;
    int height_;
    PixelLayout layout_;
    DWORD caps_;
    SurfaceMemory memory_;  // block of height x pitch bytes, with the zeroes it owes
    FillTracker fills_;     // belongs to the memory: forgotten when the memory moves or comes back
    std::vector<DdSurface*> backBuffers_;  // front buffer only
    DdSurface* chainFront_ = nullptr;      // implicit back buffers only
    bool hasKey_ = false;
    DDCOLORKEY key_{};
    DdPalette* palette_ = nullptr;
    DdClipper* clipper_ = nullptr;
};

}  // namespace vantor::platform
