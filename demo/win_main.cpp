// The demo's entry point: start-up full screen or in a window, then one frame per pass
// until Escape; keys switch the scene and the trail.
#include "demo/demo.h"

DisplayDevice displayDevice;

namespace {

// A key that went down since the last pass.
class KeyPresses {
public:
    bool Pressed(int virtualKey) {
        const bool down = (GetAsyncKeyState(virtualKey) & 0x8000) != 0;
        const bool pressed = down && !wasDown_[virtualKey & 0xFF];
        wasDown_[virtualKey & 0xFF] = down;
        return pressed;
    }

private:
    bool wasDown_[256] = {};
};

// Takes the display at the given depth (full screen) or in the window, and makes the
// scene's Surfaces in its format.
bool Start(HWND window, bool windowed, int32_t bitsPerPixel) {
    const int32_t started =
        windowed ? displayDevice.InitializeWindowed(window, kDemoWidth, kDemoHeight)
                 : displayDevice.Initialize(window, kDemoWidth, kDemoHeight, bitsPerPixel, 1);
    return started == 1 && MakeDemoSurfaces(displayDevice);
}

// Full screen, the checkerboard is shown in an 8-bit palette mode and the rest at 16 bits:
// the display is taken again at the other depth. A window keeps the desktop's format.
bool Restart(HWND window, int32_t bitsPerPixel) {
    ReleaseDemoSurfaces();
    displayDevice.Shutdown();
    return Start(window, false, bitsPerPixel);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const DemoCommand command = ParseDemoCommandLine(commandLine);
    if (command.exitStatus >= 0) return command.exitStatus;
    const bool windowed = command.windowed;
    HWND window = displayDevice.CreateAppWindow(instance, "Vantor Demo", kDemoWidth, kDemoHeight);
    if (window == nullptr || !Start(window, windowed, 16)) {
        MessageBoxA(window, "Failed to Initialize the Vantor demo", "Error", MB_ICONWARNING);
        return 1;
    }

    DemoScene scene = DemoScene::Sprites;
    bool trailOn = false;
    KeyPresses keys;
    for (int32_t frame = 0; (GetAsyncKeyState(VK_ESCAPE) & 0x8000) == 0; ++frame) {
        displayDevice.PumpMessages();
        DemoScene chosen = scene;
        if (keys.Pressed('1')) chosen = DemoScene::Sprites;
        if (keys.Pressed('2')) chosen = DemoScene::Blends;
        if (keys.Pressed('3')) chosen = DemoScene::Checkerboard;
        const int32_t bits = chosen == DemoScene::Checkerboard ? 8 : 16;
        if (!windowed && bits != displayDevice.bitsPerPixel && !Restart(window, bits)) {
            MessageBoxA(window, "Failed to change the display mode", "Error", MB_ICONWARNING);
            return 1;
        }
        scene = chosen;
        if (keys.Pressed('T')) {
            trailOn = !trailOn;
            displayDevice.SetFrameTrail(trailOn ? kTrailLength : 0);
        }
        DrawDemoScene(displayDevice, scene, frame);
        DrawDemoLegend(displayDevice, scene, trailOn, windowed);
        displayDevice.Present(1);
    }
    ReleaseDemoSurfaces();
    displayDevice.Shutdown();
    return 0;
}
