// DirectDraw driven by the input as a sequence of calls: objects made and released in any
// order, cooperative levels, display modes of every depth, surfaces of odd and extreme
// sizes, Blt and BltFast with any rectangles and flags, colour keys, clippers with any
// clip lists, palettes, locks written within the reported pitch, device contexts, flips,
// lost surfaces and restores, and calls through pointers already released.
#include <array>
#include <vector>

#include "fuzz_support.h"
#include "testing.h"

namespace {

using vantor::fuzz::ByteStream;

struct Objects {
    std::array<IDirectDraw2*, 2> directDraws{};
    std::array<int, 2> heldReferences{};  // ours on each DirectDraw object
    std::array<IDirectDrawSurface*, 8> surfaces{};
    std::array<IDirectDrawClipper*, 4> clippers{};
    std::array<IDirectDrawPalette*, 4> palettes{};
    std::array<HDC, 8> contexts{};
    HWND window = nullptr;
};

template <typename T, size_t N>
T& Pick(std::array<T, N>& slots, ByteStream& in) {
    return slots[in.Below(N)];
}

RECT AnyRect(ByteStream& in) {
    return {in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};
}

// Null now and then, else a rectangle from the input.
RECT* MaybeRect(ByteStream& in, RECT* storage) {
    if (in.Below(4) == 0) return nullptr;
    *storage = AnyRect(in);
    return storage;
}

DWORD AnyFlags(ByteStream& in, DWORD usual) {
    switch (in.Below(4)) {
        case 0: return in.Take<DWORD>();
        case 1: return 0;
        default: return usual & in.Take<DWORD>();
    }
}

IDirectDraw2* SomeDirectDraw(Objects& objects, ByteStream& in) {
    return Pick(objects.directDraws, in);
}

void MakeDirectDraw(Objects& objects, ByteStream& in) {
    const size_t slot = in.Below(2);
    if (objects.heldReferences[slot] > 0) return;
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK) return;
    IDirectDraw2* second = nullptr;
    if (first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&second)) != DD_OK) {
        first->Release();
        return;
    }
    first->Release();
    objects.directDraws[slot] = second;
    objects.heldReferences[slot] = 1;
}

void ReleaseDirectDraw(Objects& objects, ByteStream& in) {
    const size_t slot = in.Below(2);
    if (!objects.directDraws[slot]) return;
    objects.directDraws[slot]->Release();  // on a released object: an error, nothing more
    if (objects.heldReferences[slot] > 0) objects.heldReferences[slot] -= 1;
}

void MakeSurface(Objects& objects, ByteStream& in) {
    IDirectDraw2* directDraw = SomeDirectDraw(objects, in);
    if (!directDraw) return;
    DDSURFACEDESC desc{};
    desc.dwSize = in.Below(8) == 0 ? in.Take<DWORD>() : sizeof desc;
    desc.dwFlags = AnyFlags(in, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_BACKBUFFERCOUNT |
                                    DDSD_PIXELFORMAT | DDSD_CKSRCBLT);
    desc.ddsCaps.dwCaps =
        AnyFlags(in, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY |
                         DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX);
    desc.dwWidth = DWORD(in.Coordinate());
    desc.dwHeight = DWORD(in.Coordinate());
    desc.dwBackBufferCount = in.Below(4);
    desc.ddpfPixelFormat.dwSize = sizeof desc.ddpfPixelFormat;
    desc.ddpfPixelFormat.dwFlags = in.Take<DWORD>();
    desc.ddpfPixelFormat.dwRGBBitCount = in.Take<uint8_t>();
    desc.ddckCKSrcBlt = {in.Take<DWORD>(), in.Take<DWORD>()};
    directDraw->CreateSurface(&desc, &Pick(objects.surfaces, in), nullptr);
}

void Blit(Objects& objects, ByteStream& in) {
    IDirectDrawSurface* target = Pick(objects.surfaces, in);
    IDirectDrawSurface* source = in.Below(4) ? Pick(objects.surfaces, in) : nullptr;
    if (!target) return;
    RECT to, from;
    DDBLTFX effects{};
    effects.dwSize = in.Below(8) == 0 ? in.Take<DWORD>() : sizeof effects;
    effects.dwFillColor = in.Take<DWORD>();
    RECT* toRect = MaybeRect(in, &to);
    RECT* fromRect = MaybeRect(in, &from);
    target->Blt(toRect, source, fromRect,
                AnyFlags(in, DDBLT_COLORFILL | DDBLT_KEYSRC | DDBLT_WAIT | DDBLT_ASYNC),
                in.Below(4) ? &effects : nullptr);
}

void BlitFast(Objects& objects, ByteStream& in) {
    IDirectDrawSurface* target = Pick(objects.surfaces, in);
    IDirectDrawSurface* source = Pick(objects.surfaces, in);
    if (!target) return;
    RECT from;
    const DWORD x = DWORD(in.Coordinate()), y = DWORD(in.Coordinate());
    target->BltFast(x, y, source, MaybeRect(in, &from),
                    AnyFlags(in, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT));
}

void SetKey(Objects& objects, ByteStream& in) {
    IDirectDrawSurface* surface = Pick(objects.surfaces, in);
    if (!surface) return;
    DDCOLORKEY key = {in.Take<DWORD>(), in.Take<DWORD>()};
    surface->SetColorKey(AnyFlags(in, DDCKEY_SRCBLT | DDCKEY_COLORSPACE),
                         in.Below(8) ? &key : nullptr);
    surface->GetColorKey(AnyFlags(in, DDCKEY_SRCBLT), &key);
}

// A clip list of up to 16 rectangles as the input gives them; the header's count is
// always the number of rectangles really there, its other fields anything.
void Clip(Objects& objects, ByteStream& in) {
    IDirectDraw2* directDraw = SomeDirectDraw(objects, in);
    IDirectDrawClipper*& clipper = Pick(objects.clippers, in);
    if (directDraw && in.Below(2)) directDraw->CreateClipper(AnyFlags(in, 0), &clipper, nullptr);
    if (!clipper) return;
    const DWORD count = in.Below(17);
    std::vector<uint8_t> region(sizeof(RGNDATAHEADER) + count * sizeof(RECT));
    RGNDATAHEADER header = {in.Below(8) ? DWORD(sizeof header) : in.Take<DWORD>(),
                            in.Below(8) ? DWORD(RDH_RECTANGLES) : in.Take<DWORD>(), count,
                            in.Take<DWORD>(), AnyRect(in)};
    std::memcpy(region.data(), &header, sizeof header);
    for (DWORD i = 0; i < count; ++i) {
        RECT rect = AnyRect(in);
        std::memcpy(region.data() + sizeof header + i * sizeof rect, &rect, sizeof rect);
    }
    clipper->SetClipList(in.Below(8) ? reinterpret_cast<RGNDATA*>(region.data()) : nullptr,
                         AnyFlags(in, 0));
    if (in.Below(2)) clipper->SetHWnd(0, objects.window);
    if (IDirectDrawSurface* surface = Pick(objects.surfaces, in))
        surface->SetClipper(in.Below(4) ? clipper : nullptr);
    DWORD size = 0;
    if (clipper->GetClipList(nullptr, nullptr, &size) == DD_OK && size <= 4096) {
        std::vector<uint8_t> read(size);
        clipper->GetClipList(nullptr, reinterpret_cast<RGNDATA*>(read.data()), &size);
    }
}

void Paint(Objects& objects, ByteStream& in) {
    IDirectDraw2* directDraw = SomeDirectDraw(objects, in);
    IDirectDrawPalette*& palette = Pick(objects.palettes, in);
    PALETTEENTRY entries[256];
    for (PALETTEENTRY& entry : entries) entry = {in.Take<uint8_t>(), 0, 0, 0};
    if (directDraw && in.Below(2))
        directDraw->CreatePalette(AnyFlags(in, DDPCAPS_8BIT | DDPCAPS_ALLOW256), entries, &palette,
                                  nullptr);
    if (!palette) return;
    const DWORD start = in.Below(2) ? in.Take<uint8_t>() : in.Take<DWORD>();
    const DWORD count = in.Below(2) ? in.Below(257) : in.Take<DWORD>();
    // Only ranges inside the 256 entries reach the caller's buffer: Windows reads what it is told.
    if (start <= 256 && count <= 256 - start) palette->SetEntries(0, start, count, entries);
    if (IDirectDrawSurface* surface = Pick(objects.surfaces, in))
        surface->SetPalette(in.Below(4) ? palette : nullptr);
}

// Writes every byte the lock hands out: the locked rectangle, rows a pitch apart.
void LockAndWrite(Objects& objects, ByteStream& in) {
    IDirectDrawSurface* surface = Pick(objects.surfaces, in);
    if (!surface) return;
    RECT area;
    RECT* rect = MaybeRect(in, &area);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->Lock(rect, &desc, AnyFlags(in, DDLOCK_WAIT | DDLOCK_READONLY), nullptr) != DD_OK)
        return;
    const int bytes = int(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    const LONG width = rect ? rect->right - rect->left : LONG(desc.dwWidth);
    const LONG height = rect ? rect->bottom - rect->top : LONG(desc.dwHeight);
    const uint8_t value = in.Take<uint8_t>();
    auto* row = static_cast<uint8_t*>(desc.lpSurface);
    for (LONG y = 0; y < height; ++y, row += desc.lPitch)
        std::memset(row, value, size_t(width) * bytes);
    surface->Unlock(in.Below(2) ? desc.lpSurface : nullptr);
}

void Context(Objects& objects, ByteStream& in) {
    const size_t slot = in.Below(8);
    IDirectDrawSurface* surface = objects.surfaces[slot];
    HDC& dc = objects.contexts[slot];
    if (!surface) return;
    if (!dc || in.Below(4) == 0) {
        if (surface->GetDC(&dc) != DD_OK) dc = nullptr;
    }
    if (dc) {
        const std::string text = in.Bytes(32);
        TextOutA(dc, in.Coordinate(), in.Coordinate(), text.data(), int(text.size()));
        if (in.Below(2)) {
            surface->ReleaseDC(dc);
            dc = nullptr;
        }
    }
}

void Other(Objects& objects, ByteStream& in) {
    IDirectDrawSurface* surface = Pick(objects.surfaces, in);
    IDirectDraw2* directDraw = SomeDirectDraw(objects, in);
    switch (in.Below(10)) {
        case 0:
            if (surface) surface->Flip(Pick(objects.surfaces, in), AnyFlags(in, DDFLIP_WAIT));
            break;
        case 1:
            if (surface) surface->Restore();
            break;
        case 2: vantor::testing::LoseSurfaces(); break;
        case 3:
            if (surface) {
                DDSCAPS caps = {AnyFlags(in, DDSCAPS_BACKBUFFER | DDSCAPS_FLIP)};
                IDirectDrawSurface* attached = nullptr;
                if (surface->GetAttachedSurface(&caps, &attached) == DD_OK)
                    Pick(objects.surfaces, in) = attached;
            }
            break;
        case 4:
            if (surface) {
                DDSURFACEDESC desc{};
                desc.dwSize = in.Below(8) ? DWORD(sizeof desc) : in.Take<DWORD>();
                surface->GetSurfaceDesc(&desc);
                surface->IsLost();
            }
            break;
        case 5:
            if (surface) surface->Release();
            break;
        case 6:
            if (IDirectDrawClipper* clipper = Pick(objects.clippers, in)) clipper->Release();
            if (IDirectDrawPalette* palette = Pick(objects.palettes, in)) palette->Release();
            break;
        case 7:
            if (directDraw) directDraw->RestoreDisplayMode();
            break;
        case 8:
            if (directDraw) directDraw->FlipToGDISurface();
            break;
        default:
            if (in.Below(2))
                vantor::testing::SendFocusLost();
            else
                vantor::testing::SendFocusGained();
            MSG message;
            while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
            break;
    }
}

void Step(Objects& objects, ByteStream& in) {
    IDirectDraw2* directDraw = SomeDirectDraw(objects, in);
    switch (in.Below(12)) {
        case 0: MakeDirectDraw(objects, in); break;
        case 1: ReleaseDirectDraw(objects, in); break;
        case 2:
            if (directDraw)
                directDraw->SetCooperativeLevel(
                    in.Below(4) ? objects.window : nullptr,
                    AnyFlags(in, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_NORMAL));
            break;
        case 3:
            if (directDraw) {
                static const DWORD kDepths[] = {8, 16, 24, 32};
                const DWORD depth = in.Below(8) ? kDepths[in.Below(4)] : in.Take<DWORD>();
                const DWORD width = in.Below(4) ? 640 : DWORD(in.Coordinate());
                const DWORD height = in.Below(4) ? 480 : DWORD(in.Coordinate());
                if (in.Below(4) == 0) vantor::testing::Use555(true);
                directDraw->SetDisplayMode(width, height, depth, in.Take<uint8_t>(),
                                           AnyFlags(in, 0));
            }
            break;
        case 4: MakeSurface(objects, in); break;
        case 5: Blit(objects, in); break;
        case 6: BlitFast(objects, in); break;
        case 7: SetKey(objects, in); break;
        case 8: Clip(objects, in); break;
        case 9: Paint(objects, in); break;
        case 10: LockAndWrite(objects, in); break;
        default:
            if (in.Below(2))
                Context(objects, in);
            else
                Other(objects, in);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vantor::fuzz::StartPlatform();
    ByteStream in(data, size);
    Objects objects;
    objects.window = vantor::fuzz::MakeWindow();
    for (int steps = 0; !in.Empty() && steps < 256; ++steps) Step(objects, in);
    // Releasing each DirectDraw object releases everything it made.
    for (size_t i = 0; i < objects.directDraws.size(); ++i)
        for (; objects.heldReferences[i] > 0; --objects.heldReferences[i])
            objects.directDraws[i]->Release();
    DestroyWindow(objects.window);
    vantor::fuzz::FinishInput("ddraw_calls");
    return 0;
}
