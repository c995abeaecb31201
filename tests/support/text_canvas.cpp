#include "support/text_canvas.h"

#include <algorithm>
#include <cstring>

#include "pixel_view.h"
#include "testing.h"

namespace vantor::testing {
namespace {

LRESULT CALLBACK CanvasProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

platform::PixelView ViewOf(IDirectDrawSurface* surface) {
    platform::PixelView view{};
    platform::ViewSurfacePixels(surface, &view);
    return view;
}

}  // namespace

TextCanvas::~TextCanvas() {
    if (dc_) surface_->ReleaseDC(dc_);
    if (surface_) surface_->Release();
    if (directDraw_) directDraw_->Release();
    if (window_) DestroyWindow(window_);
}

bool TextCanvas::Open(int width, int height, int bitsPerPixel, bool use555) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = CanvasProc;
    windowClass.lpszClassName = "Text Canvas";
    RegisterClassA(&windowClass);  // may exist already from an earlier test
    window_ = CreateWindowExA(0, "Text Canvas", "canvas", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480,
                              nullptr, nullptr, nullptr, nullptr);
    IDirectDraw* first = nullptr;
    if (!window_ || FAILED(DirectDrawCreate(nullptr, &first, nullptr))) return false;
    HRESULT queried =
        first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw_));
    first->Release();
    if (FAILED(queried)) return false;
    Use555(use555);
    if (FAILED(directDraw_->SetCooperativeLevel(window_, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)) ||
        FAILED(directDraw_->SetDisplayMode(640, 480, bitsPerPixel, 0, 0)))
        return false;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    if (FAILED(directDraw_->CreateSurface(&desc, &surface_, nullptr))) return false;
    width_ = width;
    height_ = height;
    return SUCCEEDED(surface_->GetDC(&dc_));
}

uint32_t TextCanvas::Pixel(int x, int y) const {
    platform::PixelView view = ViewOf(surface_);
    if (!view.pixels || x < 0 || y < 0 || x >= view.width || y >= view.height) return 0xDEADBEEF;
    uint32_t value = 0;
    std::memcpy(&value, view.pixels + y * view.pitch + x * (view.bitsPerPixel / 8),
                view.bitsPerPixel / 8);
    return value;
}

void TextCanvas::Fill(uint32_t value) {
    platform::PixelView view = ViewOf(surface_);
    const int bytes = view.bitsPerPixel / 8;
    for (int y = 0; y < view.height; ++y)
        for (int x = 0; x < view.width; ++x)
            std::memcpy(view.pixels + y * view.pitch + x * bytes, &value, bytes);
}

RECT TextCanvas::BoundsOfPixelsOtherThan(uint32_t value) const {
    RECT bounds{width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            if (Pixel(x, y) == value) continue;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    if (bounds.right == 0) return RECT{0, 0, 0, 0};
    return bounds;
}

int TextCanvas::CountInRow(int y, uint32_t value) const {
    int count = 0;
    for (int x = 0; x < width_; ++x) count += Pixel(x, y) == value;
    return count;
}

std::vector<std::string> TextCanvas::EnumeratedFaces() const {
    std::vector<std::string> faces;
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(
        dc_, &all,
        [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM context) {
            reinterpret_cast<std::vector<std::string>*>(context)->push_back(font->lfFaceName);
            return 1;
        },
        reinterpret_cast<LPARAM>(&faces), 0);
    return faces;
}

}  // namespace vantor::testing
