// The demo's pictures, drawn with the framework's operations only.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "demo/demo.h"

namespace {

Surface sprite;    // a ball on the colour key: keyed blits leave its corners out
Surface square;    // one colour, blended or checkered over the backdrop
Surface leftHalf;  // the dark half of the backdrop

constexpr uint8_t kKeyRed = 255, kKeyGreen = 0, kKeyBlue = 255;  // magenta marks "no pixel"

uint8_t* PixelOf(const Surface& surface, uint8_t* pixels, int32_t x, int32_t y) {
    return pixels + (surface.pixelOffsets[y] + x) * (surface.bitsPerPixel / 8);
}

void Store(uint8_t* pixel, int32_t bitsPerPixel, uint32_t value) {
    std::memcpy(pixel, &value,
                static_cast<size_t>(bitsPerPixel / 8));  // little-endian, as the display
}

// Fills a Surface pixel by pixel: `colour(x, y)` gives each raw value.
template <typename Colour>
bool Paint(Surface& surface, Colour colour) {
    uint8_t* pixels = surface.Lock(1);
    if (pixels == nullptr) return false;
    for (int32_t y = 0; y < surface.height; ++y)
        for (int32_t x = 0; x < surface.width; ++x)
            Store(PixelOf(surface, pixels, x, y), surface.bitsPerPixel, colour(x, y));
    surface.Unlock();
    return true;
}

// Channel value v (0..255) placed in a mask described by its lowest bit and bit count.
uint32_t Channel(uint8_t v, int32_t low, int32_t bits) {
    return static_cast<uint32_t>(v >> (8 - bits)) << low;
}

}  // namespace

uint32_t DemoColour(const DisplayDevice& display, uint8_t red, uint8_t green, uint8_t blue) {
    if (display.bitsPerPixel == 8) {
        // The colour cube: entry 42 r + 6 g + b holds red 42 r, green 36 g, blue 42 b; the
        // nearest level of each channel picks the entry.
        auto level = [](uint8_t v, int step, int top) {
            return std::min((v + step / 2) / step, top);
        };
        return static_cast<uint32_t>(42 * level(red, 42, 5) + 6 * level(green, 36, 6) +
                                     level(blue, 42, 5));
    }
    return Channel(red, display.redLow, display.redBits) |
           Channel(green, display.greenLow, display.greenBits) |
           Channel(blue, display.blueLow, display.blueBits);
}

bool MakeDemoSurfaces(DisplayDevice& display) {
    const uint32_t key = DemoColour(display, kKeyRed, kKeyGreen, kKeyBlue);
    const uint32_t ball = DemoColour(display, 255, 208, 0);
    const uint32_t red = DemoColour(display, 255, 0, 0);
    const uint32_t dark = DemoColour(display, 0, 0, 96);
    const int32_t r = kSpriteSide / 2;
    return display.MakeSurface(sprite, kSpriteSide, kSpriteSide, -1) &&
           display.MakeSurface(square, kSquareSide, kSquareSide, -1) &&
           display.MakeSurface(leftHalf, kDemoWidth / 2, kDemoHeight, -1) &&
           Paint(sprite,
                 [&](int32_t x, int32_t y) {
                     const int32_t dx = x - r, dy = y - r;
                     return dx * dx + dy * dy < r * r ? ball : key;
                 }) &&
           Paint(square, [&](int32_t, int32_t) { return red; }) &&
           Paint(leftHalf, [&](int32_t, int32_t) { return dark; });
}

void ReleaseDemoSurfaces() {
    sprite.Release();
    square.Release();
    leftHalf.Release();
}

void DrawDemoScene(DisplayDevice& display, DemoScene scene, int32_t frame) {
    display.Clear(DemoColour(display, 255, 255, 255));
    display.DrawSurface(leftHalf, 0, 0, -1, 1);
    if (scene == DemoScene::Blends) display.DrawBlended(square, kSquareX, kSquareY, -1, 1);
    if (scene == DemoScene::Checkerboard) display.DrawCheckered(square, kSquareX, kSquareY, -1, 1);
    // Three balls cross the screen at different speeds and heights, keyed over the rest.
    const int32_t key = static_cast<int32_t>(DemoColour(display, kKeyRed, kKeyGreen, kKeyBlue));
    for (int32_t i = 0; i < 3; ++i) {
        const int32_t travel = kDemoWidth - kSpriteSide;
        const int32_t x = (frame * (i + 1) * 8) % (2 * travel);
        display.DrawSurface(sprite, x < travel ? x : 2 * travel - x, 360 + i * 36 - kSpriteSide / 2,
                            key, 1);
    }
}

void DrawDemoLegend(DisplayDevice& display, DemoScene scene, bool trailOn, bool windowed) {
    HDC dc = nullptr;
    if (display.renderTarget == nullptr || display.renderTarget->GetDC(&dc) != DD_OK) return;
    SetBkColor(dc, 0x000000);
    SetTextColor(dc, 0xFFFFFF);
    static const char* const names[] = {"", "sprites", "blends", "checkerboard"};
    char lines[2][96];
    std::snprintf(lines[0], sizeof lines[0],
                  "1 sprites  2 blends  3 checkerboard  T trail  Esc quit");
    std::snprintf(lines[1], sizeof lines[1], "%s, trail %s, %s", names[static_cast<int>(scene)],
                  trailOn ? "on" : "off",
                  windowed                    ? "in a window"
                  : display.bitsPerPixel == 8 ? "full screen, 8-bit palette"
                                              : "full screen");
    for (int i = 0; i < 2; ++i)
        TextOutA(dc, 8, 8 + 18 * i, lines[i], static_cast<int>(std::strlen(lines[i])));
    display.renderTarget->ReleaseDC(dc);
}
