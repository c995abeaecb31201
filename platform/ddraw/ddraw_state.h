// What the DirectDraw stand-in's objects share: the call log and the IUnknown part of every
// object, pixel layouts, and the display state and registry all DirectDraw objects share.
// Each object has a header of its own (directdraw_object.h, surface_object.h,
// palette_object.h, clipper_object.h); what palettes and clippers share is in owned_child.h.
//
// Call log. Every method begins with BeginCall and runs its work through RunCall (AddRef and
// Release, which cannot fail, end with EndCall); memory that cannot be had inside the work
// fails the call with DDERR_OUTOFMEMORY. The detail strings are stable, because tests check
// call order and arguments through them. Flags are printed with %#x (0, or 0x-prefixed hex),
// raw values in 0x hex, rectangles as (l,t,r,b) or "null", pointers as %p or "null". Every
// object logs
//   AddRef, Release      "refs=<count after the call>"
// and each object's header lists the details of its own methods; the rest log no detail.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "call_trace.h"
#include "ddraw/ddraw.h"
#include "ddraw/released_shells.h"

namespace vantor::platform {

class DirectDrawObject;
class DdSurface;
class DdPalette;
class DdClipper;

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

// All platform state is allocated once and never destroyed: the system's static device still
// calls in here while the process exits.
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

}  // namespace vantor::platform
