#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "modules.h"
#include "testing.h"

namespace vantor::fuzz {
namespace {

constexpr const char* kClassName = "Fuzz Window";
constexpr const char* kDejaVuFolder = "/usr/share/fonts/truetype/dejavu";

}  // namespace

std::string UseOnlyFontsIn(const std::string& fontFolder) {
    char pattern[] = "/tmp/vantor-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) return "";
    const std::string folder = pattern;
    std::ofstream(folder + "/fonts.conf")
        << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << fontFolder << "</dir>\n  <cachedir>"
        << folder << "/cache</cachedir>\n</fontconfig>\n";
    setenv("FONTCONFIG_FILE", (folder + "/fonts.conf").c_str(), 1);
    return folder;
}

void StartPlatform() {
    static const bool started = [] {
        setenv("VANTOR_VIDEO", "headless", 1);
        const char* configured = std::getenv("FONTCONFIG_FILE");
        if (!configured || !*configured) UseOnlyFontsIn(kDejaVuFolder);
        testing::Reset();
        return true;
    }();
    (void)started;
}

HWND MakeWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = platform::ProgramInstance();
    windowClass.lpszClassName = kClassName;
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, kClassName, "fuzz", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr,
                           nullptr, platform::ProgramInstance(), nullptr);
}

bool TextSurface::Open(HWND window, int bitsPerPixel, int width, int height) {
    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK) return false;
    const HRESULT asked =
        first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw));
    first->Release();
    if (asked != DD_OK) return false;
    if (directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK ||
        directDraw->SetDisplayMode(640, 480, bitsPerPixel, 0, 0) != DD_OK)
        return false;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    if (directDraw->CreateSurface(&desc, &surface, nullptr) != DD_OK) return false;
    return surface->GetDC(&dc) == DD_OK;
}

void TextSurface::Close() {
    if (dc) surface->ReleaseDC(dc);
    if (surface) surface->Release();
    if (directDraw) directDraw->Release();
    *this = {};
}

void FinishInput(const char* target) {
    const int live = testing::LiveObjects();
    if (live != 0) {
        std::fprintf(stderr,
                     "%s: %d platform objects still alive after the input released everything\n",
                     target, live);
        std::abort();
    }
    testing::Reset();
}

}  // namespace vantor::fuzz
