// The tool's entry point: start-up, then the main loop until Escape or Enter.
#include "tool/fontsheet.h"

DisplayDevice device;

int32_t listY = 0;
int32_t fontCount = 0;
int32_t selectedFont = 0;
int32_t skipTableFill = 1;
LOGFONTA fontTable[kFontTableSize] = {};

namespace {

bool KeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HWND window = device.CreateAppWindow(instance, "Vantor Application", 640, 480);
    if (device.Initialize(window, 640, 480, 16, 1) == 0) {
        MessageBoxA(window, "Failed to Initialize Vantor", "Error", MB_ICONWARNING);
        return 0;
    }

    Surface sheetSurface;
    device.MakeSurface(sheetSurface, 4096, 20, -1);
    device.SelectSurfaceTarget(sheetSurface);
    device.Clear(0);
    device.SelectOffscreen();

    while (!KeyDown(VK_ESCAPE)) {
        device.PumpMessages();
        device.Clear(0);
        device.Present(1);
    }
    device.Shutdown();
    return 1;
}
