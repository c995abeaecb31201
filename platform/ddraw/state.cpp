// What all DirectDraw objects share: the display's layouts, the registry of objects, and
// the seams other parts of the platform reach DirectDraw through.
#include "ddraw/ddraw_state.h"
#include "ddraw/directdraw_object.h"
#include "ddraw/palette_object.h"
#include "ddraw/surface_object.h"
#include "modules.h"
#include "pixel_view.h"
#include "present/presenter.h"

namespace vantor::platform {

DdrawState& Ddraw() {
    static DdrawState* state = new DdrawState;
    return *state;
}

HRESULT NoOtherInterface(const void* self, bool released, void** object) {
    CallTicket call = BeginCall("QueryInterface", self);
    return RunCall(call, [&]() -> HRESULT {
        if (released) return DDERR_INVALIDOBJECT;
        if (!object) return DDERR_INVALIDPARAMS;
        *object = nullptr;
        return E_NOINTERFACE;
    });
}

ULONG LoggedAddRef(const void* self, bool released, ULONG* refs) {
    CallTicket call =
        BeginCall("AddRef", self, [&] { return Format("refs=%u", released ? 0 : *refs + 1); });
    EndCall(call, released ? DDERR_INVALIDOBJECT : DD_OK);
    return released ? 0 : ++*refs;
}

bool LogRelease(const void* self, bool released, ULONG refs) {
    CallTicket call = BeginCall(
        "Release", self, [&] { return Format("refs=%u", released || refs == 0 ? 0 : refs - 1); });
    EndCall(call, released ? DDERR_INVALIDOBJECT : DD_OK);
    return !released;
}

bool SupportedDepth(DWORD bitsPerPixel) {
    return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

PixelLayout DisplayLayout(int bitsPerPixel, bool use555) {
    switch (bitsPerPixel) {
        case 8: return {8, 0, 0, 0};
        case 16:
            return use555 ? PixelLayout{16, 0x7C00, 0x03E0, 0x001F}
                          : PixelLayout{16, 0xF800, 0x07E0, 0x001F};
        case 24: return {24, 0xFF0000, 0x00FF00, 0x0000FF};
        default: return {32, 0xFF0000, 0x00FF00, 0x0000FF};
    }
}

void DescribeLayout(const PixelLayout& layout, DDPIXELFORMAT* format) {
    *format = {};
    format->dwSize = sizeof(DDPIXELFORMAT);
    format->dwFlags = layout.bitsPerPixel == 8 ? DDPF_PALETTEINDEXED8 | DDPF_RGB : DDPF_RGB;
    format->dwRGBBitCount = layout.bitsPerPixel;
    format->dwRBitMask = layout.redMask;
    format->dwGBitMask = layout.greenMask;
    format->dwBBitMask = layout.blueMask;
}

// The desktop is as large as the presenter's screen, in 32-bit pixels.
DisplayMode DesktopMode() {
    const ScreenArea desktop = CurrentPresenter().Desktop();
    if (desktop.width <= 0 || desktop.height <= 0) return {640, 480, DisplayLayout(32, false)};
    return {desktop.width, desktop.height, DisplayLayout(32, false)};
}

DdSurface* FindSurface(IDirectDrawSurface* surface) {
    if (!surface) return nullptr;
    DdrawState& state = Ddraw();
    if (surface != state.lastSurfaceFound) {
        if (!state.everySurface.count(static_cast<const void*>(surface))) return nullptr;
        state.lastSurfaceFound = surface;
    }
    return static_cast<DdSurface*>(surface);
}

int DdrawLiveObjects() {
    int live = 0;
    for (const DirectDrawObject* object : Ddraw().objects) live += 1 + object->LiveChildren();
    return live;
}

void ResetDdraw() {
    DdrawState& state = Ddraw();
    // Each object leaves the list as it is destroyed.
    for (DirectDrawObject* object : std::vector<DirectDrawObject*>(state.objects))
        object->Destroy(true);
    state.exclusiveOwner = nullptr;
    state.showingProgramMode = false;
    state.shownMode = {};
    state.use555 = false;
}

void DdrawFocusLost() {
    if (DirectDrawObject* owner = Ddraw().exclusiveOwner) owner->FocusLost();
}

void DdrawFocusGained() {
    if (DirectDrawObject* owner = Ddraw().exclusiveOwner) owner->FocusGained();
}

namespace {

DdSurface* ViewOf(IDirectDrawSurface* surface, PixelView* view) {
    DdSurface* ours = FindSurface(surface);
    if (!ours || ours->Released() || !view) return nullptr;
    const PixelLayout& layout = ours->Layout();
    const DdSurface* primary = ours->Owner()->Primary();
    const DdPalette* palette = primary ? primary->AttachedPalette() : nullptr;
    *view = {ours->Pixels(),
             ours->Width(),
             ours->Height(),
             ours->Pitch(),
             layout.bitsPerPixel,
             layout.redMask,
             layout.greenMask,
             layout.blueMask,
             layout.bitsPerPixel == 8 && palette ? palette->Entries() : nullptr};
    return ours;
}

}  // namespace

bool ViewSurfacePixels(IDirectDrawSurface* surface, PixelView* view) {
    DdSurface* ours = ViewOf(surface, view);
    if (ours) ours->DrewAnywhere();
    return ours != nullptr;
}

bool ViewSurfaceBox(IDirectDrawSurface* surface, const RECT& box, PixelView* view) {
    DdSurface* ours = ViewOf(surface, view);
    if (ours) ours->DrewInside(box);
    return ours != nullptr;
}

}  // namespace vantor::platform
