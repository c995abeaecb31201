// A surface to draw text on through the platform's own calls: a window, DirectDraw in
// exclusive mode at the asked depth, an off-screen system-memory surface and its device
// context; pixels are read straight from the surface's memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win32.h"

namespace vantor::testing {

class TextCanvas {
public:
    TextCanvas() = default;
    TextCanvas(const TextCanvas&) = delete;
    TextCanvas& operator=(const TextCanvas&) = delete;
    ~TextCanvas();

    // 16 bits per pixel is 5-6-5 unless use555. False when any step fails.
    bool Open(int width, int height, int bitsPerPixel = 16, bool use555 = false);

    HDC dc() const { return dc_; }
    IDirectDrawSurface* surface() const { return surface_; }
    int width() const { return width_; }
    int height() const { return height_; }

    uint32_t Pixel(int x, int y) const;
    void Fill(uint32_t value);
    // The smallest box holding every pixel that differs from value: left, top, right,
    // bottom (exclusive); all zero when none does.
    RECT BoundsOfPixelsOtherThan(uint32_t value) const;
    // How many pixels of row y hold value.
    int CountInRow(int y, uint32_t value) const;
    // The face name of every font EnumFontFamiliesExA lists for all character sets, in order.
    std::vector<std::string> EnumeratedFaces() const;

private:
    HWND window_ = nullptr;
    IDirectDraw2* directDraw_ = nullptr;
    IDirectDrawSurface* surface_ = nullptr;
    HDC dc_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace vantor::testing
