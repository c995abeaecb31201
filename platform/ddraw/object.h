// The DirectDraw stand-in's objects: the DirectDraw object, surfaces, palettes and
// clippers, their reference counts and their ownership.
//
// Ownership. Every surface, palette and clipper belongs to the DirectDraw object that made
// it; the final Release of that object releases them all, whatever their counts, and ends
// exclusive mode. A released object's memory is never given back (only a surface's pixel
// memory is freed), so a stale interface pointer answers DDERR_INVALIDOBJECT instead of
// touching freed memory. Surfaces and clippers are made and released all the time (a
// backdrop per blend, a clipper per stretched draw), so their shells are made new again once
// enough newer ones have been released (released_shells.h): the process does not grow with
// every draw. A surface that ends with a device context still out on it keeps its shell for
// good, since the context still names it. Palette shells are kept. All platform state is
// allocated once and never destroyed: the system's static device still calls in here while
// the process exits.
//
// Call log. Every method begins with BeginCall and ends with EndCall; the detail strings are
// stable, because tests check call order and arguments through them. Flags are printed with
// %#x (0, or 0x-prefixed hex), raw values in 0x hex, rectangles as (l,t,r,b) or "null",
// pointers as %p or "null":
//   DirectDrawCreate     "driver=null"
//   QueryInterface       "iid=IDirectDraw2" | "iid=IDirectDraw" | "iid=other"
//   AddRef, Release      "refs=<count after the call>"
//   SetCooperativeLevel  "flags=0x11"
//   SetDisplayMode       "640x480x16 refresh=0 flags=0"
//   CreateSurface        "flags=0x21 caps=0x218 backbuffers=1 width=0 height=0" | "desc=null"
//   CreatePalette        "flags=0x44"
//   CreateClipper        "flags=0"
//   Blt                  "dst=(l,t,r,b) src=<ptr> srcrect=(l,t,r,b) flags=0x1000400 fill=0x0"
//                        (fill=none without an effects record)
//   BltFast              "x=0 y=0 srcrect=(l,t,r,b) flags=0x10"
//   Lock                 "flags=0x1", preceded by "rect=(l,t,r,b) " for a part of the surface
//   Flip                 "flags=0x1", preceded by "override=<ptr> " when one is given
//   GetAttachedSurface   "caps=0x4"
//   SetColorKey          "flags=0x8 low=0x.. high=0x.." | "flags=0x8 key=null"
//   SetClipper           "clipper=<ptr>"       SetPalette "palette=<ptr>"
//   SetClipList          "rects=1 flags=0" | "list=null flags=0"
//   SetEntries           "flags=0 start=0 count=256"   GetEntries the same
//   GetSurfaceDesc, GetPixelFormat, GetDisplayMode  "size=<dwSize>"
//   GetColorKey, SetHWnd "flags=0x8"             GetClipList "rect=(l,t,r,b)"
//   ReleaseDC            "dc=<ptr>"; the rest log no detail.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "blit_kernels.h"
#include "call_trace.h"
#include "ddraw/ddraw.h"
#include "ddraw/fill_tracker.h"
#include "ddraw/rects.h"
#include "ddraw/released_shells.h"
#include "modules.h"

namespace vantor::platform {

class DirectDrawObject;
class DdSurface;
class DdPalette;
class DdClipper;

// Runs an operation's body unless a fault was injected for this call, and logs the result.
// Memory that cannot be had inside the body makes the call fail with DDERR_OUTOFMEMORY.
template <typename Body>
HRESULT Finish(const CallTicket& call, Body&& body) {
    return EndCall(call,
                   call.injected ? call.injected : WithoutExceptions(DDERR_OUTOFMEMORY, body));
}

// "null" or the pointer, for call details.
inline std::string PointerText(const void* pointer) {
    return pointer ? Format("%p", pointer) : std::string("null");
}

// ---- The IUnknown part of every object --------------------------------------------------

// Surfaces, palettes and clippers hand out no other interface.
HRESULT NoOtherInterface(const void* self, bool released, void** object);
// Logs an AddRef and counts it; 0 for a released object.
ULONG LoggedAddRef(const void* self, bool released, ULONG* refs);
// Logs a Release; false for a released object, which keeps no count.
bool LogRelease(const void* self, bool released, ULONG refs);

// ---- Pixel formats ---------------------------------------------------------------------

struct PixelLayout {
    int bitsPerPixel = 0;  // 8, 16, 24 or 32
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;

    int BytesPerPixel() const { return bitsPerPixel / 8; }
    bool operator==(const PixelLayout&) const = default;
};

bool SupportedDepth(DWORD bitsPerPixel);
// The layout the display uses at a depth: 5-6-5 at 16 bits unless 5-5-5 was asked for.
PixelLayout DisplayLayout(int bitsPerPixel, bool use555);
void DescribeLayout(const PixelLayout& layout, DDPIXELFORMAT* format);

// ---- Display state shared by all DirectDraw objects --------------------------------------

struct DisplayMode {
    int width = 0;
    int height = 0;
    PixelLayout layout;
};

// The mode the desktop runs in while no program has set one.
DisplayMode DesktopMode();

struct DdrawState {
    std::vector<DirectDrawObject*> objects;        // the live DirectDraw objects
    std::unordered_set<const void*> everySurface;  // every surface shell ever made, to know our own
    ReleasedShells<DirectDrawObject> releasedDirectDraws;
    ReleasedShells<DdSurface> releasedSurfaces;
    ReleasedShells<DdPalette> releasedPalettes;
    ReleasedShells<DdClipper> releasedClippers;
    int shellsMade = 0;  // objects of every kind: shells are reused, never freed
    const void* lastSurfaceFound = nullptr;  // shells never go away, so this stays true
    DirectDrawObject* exclusiveOwner = nullptr;
    bool showingProgramMode = false;  // false: the desktop mode is on screen
    DisplayMode shownMode;
    bool use555 = false;
};
DdrawState& Ddraw();

// Our surface behind an interface pointer, or null when the pointer is not one of ours.
DdSurface* FindSurface(IDirectDrawSurface* surface);

// ---- What palettes and clippers share ----------------------------------------------------

// An owner, a reference count and the end of life. The program's AddRef and Release are
// logged; the references surfaces hold are not calls of the program and stay silent.
template <typename Self>
class OwnedChild {
public:
    bool Released() const { return released_; }
    void AddReference() { ++refs_; }
    void DropReference();
    // Ends the object's life whatever its count (its owner is going away).
    void Destroy();
    // Gives a released shell a new life, as a fresh object of the new owner.
    void Revive(DirectDrawObject* owner) {
        owner_ = owner;
        refs_ = 1;
        released_ = false;
    }

protected:
    explicit OwnedChild(DirectDrawObject* owner) : owner_(owner) {}
    const void* Interface() { return static_cast<Self*>(this); }
    ULONG ProgramAddRef() { return LoggedAddRef(Interface(), released_, &refs_); }
    ULONG ProgramRelease();

    DirectDrawObject* owner_;
    ULONG refs_ = 1;
    bool released_ = false;
};

// ---- Palette ---------------------------------------------------------------------------

class DdPalette final : public IDirectDrawPalette, public OwnedChild<DdPalette> {
public:
    DdPalette(DirectDrawObject* owner, DWORD caps, const PALETTEENTRY* entries);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return ProgramAddRef(); }
    ULONG Release() override { return ProgramRelease(); }
    HRESULT GetCaps(LPDWORD caps) override;
    HRESULT GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) override;
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) override;

    const PALETTEENTRY* Entries() const { return entries_; }
    void SetOnPrimary(bool onPrimary) { onPrimary_ = onPrimary; }
    void FreeContents() {}

private:
    bool onPrimary_ = false;
    DWORD caps_;
    PALETTEENTRY entries_[256];
};

// ---- Clipper ---------------------------------------------------------------------------

class DdClipper final : public IDirectDrawClipper, public OwnedChild<DdClipper> {
public:
    explicit DdClipper(DirectDrawObject* owner) : OwnedChild(owner) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return ProgramAddRef(); }
    ULONG Release() override { return ProgramRelease(); }
    HRESULT GetClipList(LPRECT rect, LPRGNDATA clipList, LPDWORD size) override;
    HRESULT GetHWnd(HWND* window) override;
    HRESULT SetClipList(LPRGNDATA clipList, DWORD flags) override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;

    // Whether a blit through the clipper can go ahead: it has a clip list or a window.
    bool HasClipList() const { return hasList_ || window_; }
    // Calls visit(rect) for each rectangle a blit may write inside the surface: the parts
    // of the clip list inside it. A clipper bound to a window clips to the window's client
    // area in screen coordinates, wherever the window is now; nothing while it is hidden
    // or gone.
    template <typename Visit>
    void ForEachClipRect(const RECT& surfaceBounds, Visit&& visit) const {
        if (window_) {
            RECT client;
            if (!WindowClientOnScreen(window_, &client)) return;
            if (RECT part = Intersection(client, surfaceBounds); !EmptyRect(part)) visit(part);
            return;
        }
        for (const RECT& r : rects_)
            if (RECT part = Intersection(r, surfaceBounds); !EmptyRect(part)) visit(part);
    }
    // The list's storage stays with the shell for its next life.
    void FreeContents() {
        hasList_ = false;
        window_ = nullptr;
        rects_.clear();
    }

private:
    bool hasList_ = false;
    HWND window_ = nullptr;
    std::vector<RECT> rects_;
};

// ---- Surface ---------------------------------------------------------------------------

enum class Placement { VideoMemory, SystemMemory };

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
    const PixelLayout& Layout() const { return layout_; }
    // The pixel memory, cleared first if the surface still owes its zeroes.
    uint8_t* Pixels() const {
        if (zeroesOwed_) PayZeroes();
        return pixels_;
    }
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
    void PayZeroes() const;
    // A primary surface that is the desktop shows what a finished write left under the
    // window on the desktop. Passes the result through.
    HRESULT ShownIfDesktop(HRESULT result);
    // The pixel memory for a blit about to write into it. A blit that writes every pixel
    // of the surface makes zeroes still owed unnecessary.
    uint8_t* PixelsToWrite(bool everyPixel) {
        if (everyPixel) zeroesOwed_ = false;
        return Pixels();
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
    uint8_t* pixels_;  // block of height x pitch bytes
    // A new or restored surface reads as zero, but its memory is cleared only when its
    // pixels are first handed out or blitted from: most new surfaces are at once covered
    // by a copy, and clearing them first would cost as much as the copy. Lazily settled,
    // hence mutable: the surface reads the same before and after.
    mutable bool zeroesOwed_ = true;
    FillTracker fills_;  // belongs to the memory: forgotten when the memory moves or comes back
    std::vector<DdSurface*> backBuffers_;  // front buffer only
    DdSurface* chainFront_ = nullptr;      // implicit back buffers only
    bool hasKey_ = false;
    DDCOLORKEY key_{};
    DdPalette* palette_ = nullptr;
    DdClipper* clipper_ = nullptr;
};

// ---- The DirectDraw object -------------------------------------------------------------

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

template <typename Self>
void OwnedChild<Self>::DropReference() {
    if (--refs_ == 0) Destroy();
}

template <typename Self>
void OwnedChild<Self>::Destroy() {
    if (released_) return;
    released_ = true;
    refs_ = 0;
    static_cast<Self*>(this)->FreeContents();
    owner_->Forget(static_cast<Self*>(this));
}

template <typename Self>
ULONG OwnedChild<Self>::ProgramRelease() {
    if (!LogRelease(Interface(), released_, refs_)) return 0;
    const ULONG left = refs_ - 1;
    DropReference();
    return left;
}

}  // namespace vantor::platform
