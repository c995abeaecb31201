// The DirectDraw object: reference counts and its end, the children it owns, the palettes
// and clippers it makes, and DirectDrawCreate. The cooperative level and display mode are in
// directdraw_modes.cpp, making surfaces in directdraw_surfaces.cpp.
#include "ddraw/clipper_object.h"
#include "ddraw/ddraw_state.h"
#include "ddraw/directdraw_object.h"
#include "ddraw/palette_object.h"
#include "ddraw/surface_object.h"
#include "modules.h"

const IID IID_IDirectDraw = {
    0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDraw2 = {
    0xB3A6F3E0, 0x2B43, 0x11CF, {0xA2, 0xDE, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

namespace vantor::platform {
namespace {

const char* InterfaceName(REFIID riid) {
    if (riid == IID_IDirectDraw2) return "IDirectDraw2";
    if (riid == IID_IDirectDraw) return "IDirectDraw";
    return "other";
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
    return RunCall(call, released_, [&]() -> HRESULT {
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

// ---- Palettes and clippers --------------------------------------------------------------

HRESULT DirectDrawObject::CreatePalette(DWORD flags, LPPALETTEENTRY entries,
                                        LPDIRECTDRAWPALETTE* palette, IUnknown* outer) {
    CallTicket call = BeginCall("CreatePalette", static_cast<IDirectDraw2*>(this),
                                [&] { return Format("flags=%#x", flags); });
    return RunCall(call, released_, [&]() -> HRESULT {
        constexpr DWORD kInitialize = 0x8;  // accepted and without effect, as on Windows
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
    return RunCall(call, released_, [&]() -> HRESULT {
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
