// A first program on the Vantor framework: it takes the screen at 640 x 480, makes three
// surfaces, blits them about every frame and flips, until Escape is pressed.
#include "display/display_device.h"
#include "surfaces/surface.h"

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

DisplayDevice display;

// The display's raw pixel value for a colour, from the channel masks it decoded.
uint32_t Colour(uint8_t red, uint8_t green, uint8_t blue) {
    auto channel = [](uint8_t value, int32_t low, int32_t bits) {
        return static_cast<uint32_t>(value >> (8 - bits)) << low;
    };
    return channel(red, display.redLow, display.redBits) |
           channel(green, display.greenLow, display.greenBits) |
           channel(blue, display.blueLow, display.blueBits);
}

// A surface of one colour: made, selected as the render target and cleared.
bool MakeFilled(Surface& surface, int32_t width, int32_t height, uint32_t colour) {
    return display.MakeSurface(surface, width, height, -1) &&
           display.SelectSurfaceTarget(surface) && display.Clear(colour);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = display.CreateAppWindow(instance, "Vantor Example", kWidth, kHeight);
    if (window == nullptr || display.Initialize(window, kWidth, kHeight, 16, 1) != 1) {
        MessageBoxA(window, "Cannot take the screen at 640 x 480", "Error", MB_ICONWARNING);
        return 1;
    }
    // A red tile, a white square, and a frame: the white square on magenta, which the
    // keyed blit leaves out, so that only the square shows.
    const uint32_t key = Colour(255, 0, 255);
    Surface tile, square, framed;
    if (!MakeFilled(tile, 96, 96, Colour(200, 0, 0)) ||
        !MakeFilled(square, 40, 40, Colour(255, 255, 255)) || !MakeFilled(framed, 80, 80, key) ||
        !display.DrawSurface(square, 20, 20, -1, 1) || !display.SelectOffscreen()) {
        MessageBoxA(window, "Cannot make the surfaces", "Error", MB_ICONWARNING);
        return 1;
    }

    for (int32_t frame = 0; (GetAsyncKeyState(VK_ESCAPE) & 0x8000) == 0; ++frame) {
        display.PumpMessages();
        display.Clear(Colour(0, 0, 96));
        display.DrawSurface(tile, 32 + frame * 4 % (kWidth - 160), 64, -1, 1);
        display.DrawStretched(tile, 400, 240, 192, 96, -1, 1);
        display.DrawSurface(framed, 280, 200 + frame * 2 % 200, static_cast<int32_t>(key), 1);
        display.Present(1);
    }
    tile.Release();
    square.Release();
    framed.Release();
    display.Shutdown();
    return 0;
}
