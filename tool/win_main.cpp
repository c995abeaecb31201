// The tool's entry point: with arguments, the command line's job; without, start-up, then
// the main loop until Escape or Enter.
#include "launch/command_line_words.h"
#include "tool/batch.h"
#include "tool/fontsheet.h"

namespace {

bool KeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    const std::vector<std::string> arguments = SplitCommandLine(commandLine);
    if (!arguments.empty()) return RunCommandLine(arguments);

    HWND window = displayDevice.CreateAppWindow(instance, "Vantor Application", 640, 480);
    if (displayDevice.Initialize(window, 640, 480, 16, 1) == 0) {
        MessageBoxA(window, "Failed to Initialize Vantor", "Error", MB_ICONWARNING);
        return 0;
    }

    // Made before the first Enter, while surfaceMemory is still 0: in system memory.
    Surface sheetSurface;
    displayDevice.MakeSurface(sheetSurface, kSheetWidth, kSheetHeight, -1);
    displayDevice.SelectSurfaceTarget(sheetSurface);
    displayDevice.Clear(0);
    displayDevice.SelectOffscreen();

    // listOrigin is the y of row 0 in the next pass; it stays -16 * selectedFont, so the
    // selected row lands at y 0 one pass after the key that moved it.
    listY = 0;
    int32_t listOrigin = 0;
    while (!KeyDown(VK_ESCAPE)) {
        displayDevice.PumpMessages();
        listY = listOrigin;
        if (KeyDown(VK_UP)) {
            selectedFont -= 1;
            listOrigin += kRowHeight;
        }
        if (KeyDown(VK_DOWN)) {
            selectedFont += 1;
            listOrigin -= kRowHeight;
        }
        if (KeyDown(VK_RETURN)) return RenderGlyphSheet(sheetSurface);
        DrawFontList();
        displayDevice.Present(1);
        skipTableFill = 0;
    }
    displayDevice.Shutdown();
    return 1;
}
