#include "support/ddraw_fixture.h"

#include <cstring>

#include "modules.h"
#include "testing.h"

namespace vantor::testing {
namespace {

constexpr const char* kClassName = "Ddraw Test Window";

struct Locked {
    DDSURFACEDESC desc{};
    IDirectDrawSurface* surface;
    bool ok;
    explicit Locked(IDirectDrawSurface* s) : surface(s) {
        desc.dwSize = sizeof desc;
        ok = surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK;
    }
    ~Locked() {
        if (ok) surface->Unlock(nullptr);
    }
    int Bytes() const { return int(desc.ddpfPixelFormat.dwRGBBitCount / 8); }
    uint8_t* PixelAt(DWORD x, DWORD y) const {
        return static_cast<uint8_t*>(desc.lpSurface) + ptrdiff_t(y) * desc.lPitch +
               ptrdiff_t(x) * Bytes();
    }
};

}  // namespace

void DdrawTest::SetUp() {
    Reset();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = platform::ProgramInstance();
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    window = CreateWindowExA(0, kClassName, "ddraw", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                             nullptr, platform::ProgramInstance(), nullptr);
    ASSERT_NE(window, nullptr);
}

void DdrawTest::TearDown() {
    if (directDraw) directDraw->Release();
    directDraw = nullptr;
    if (window && IsWindow(window)) DestroyWindow(window);
    Reset();
}

void DdrawTest::TakeDisplay(int bitsPerPixel) {
    IDirectDraw* first = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw)),
              DD_OK);
    first->Release();
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, bitsPerPixel, 0, 0), DD_OK);
}

IDirectDrawSurface* DdrawTest::MakeFlipChain(IDirectDrawSurface** backBuffer) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface* primary = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    if (primary && backBuffer) {
        EXPECT_EQ(primary->GetAttachedSurface(&caps, backBuffer), DD_OK);
    }
    return primary;
}

IDirectDrawSurface* DdrawTest::MakePlain(int width, int height, bool systemMemory) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (systemMemory ? DDSCAPS_SYSTEMMEMORY : 0);
    IDirectDrawSurface* surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
}

IDirectDrawClipper* DdrawTest::MakeClipper(const RECT& clip) {
    IDirectDrawClipper* clipper = nullptr;
    EXPECT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    std::vector<uint8_t> region = MakeRegion({clip});
    if (clipper) {
        EXPECT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(region.data()), 0), DD_OK);
    }
    return clipper;
}

void DdrawTest::Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

std::vector<uint32_t> ReadAllPixels(IDirectDrawSurface* surface) {
    Locked lock(surface);
    if (!lock.ok) return {};
    std::vector<uint32_t> pixels;
    for (DWORD y = 0; y < lock.desc.dwHeight; ++y)
        for (DWORD x = 0; x < lock.desc.dwWidth; ++x) {
            uint32_t value = 0;
            std::memcpy(&value, lock.PixelAt(x, y), lock.Bytes());
            pixels.push_back(value);
        }
    return pixels;
}

bool WriteAllPixels(IDirectDrawSurface* surface, const std::vector<uint32_t>& pixels) {
    Locked lock(surface);
    if (!lock.ok || pixels.size() != size_t(lock.desc.dwWidth) * lock.desc.dwHeight) return false;
    size_t i = 0;
    for (DWORD y = 0; y < lock.desc.dwHeight; ++y)
        for (DWORD x = 0; x < lock.desc.dwWidth; ++x)
            std::memcpy(lock.PixelAt(x, y), &pixels[i++], lock.Bytes());
    return true;
}

std::vector<uint8_t> MakeRegion(const std::vector<RECT>& rects) {
    std::vector<uint8_t> bytes(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    RGNDATAHEADER header = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, DWORD(rects.size()),
                            DWORD(rects.size() * sizeof(RECT)),
                            rects.empty() ? RECT{} : rects.front()};
    std::memcpy(bytes.data(), &header, sizeof header);
    if (!rects.empty())
        std::memcpy(bytes.data() + sizeof header, rects.data(), rects.size() * sizeof(RECT));
    return bytes;
}

}  // namespace vantor::testing
