// Hooks into the platform stand-in for tests only: injected failures, a log of platform
// calls with their arguments, live object counts, focus and surface loss, the 5-5-5
// display layout, the last message box, the cursor counter, scripted keys and a reset.
// The system never includes this header.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "win32.h"

namespace vantor::testing {

// Puts the whole platform back to the state of a fresh process: every object, window,
// class, device context and font released, the queue and quit flag empty, the cursor
// counter at 0, no faults, the call log empty and off, the headless presenter in use, the
// timer back at the real time.
void Reset();

// ---- Injected failures ----------------------------------------------------------------

// Makes the nth call (counted from now, 1 = the next) of the named platform operation
// fail with code; code 0 means the operation's usual failure. Operation names are the
// Windows names ("SetDisplayMode", "CreateSurface", "Flip", "GetDC", ...).
void FailCall(const std::string& operation, int nth = 1, HRESULT code = 0);
// As FailCall, but every call from the nth on fails.
void FailCallsFrom(const std::string& operation, int nth = 1, HRESULT code = 0);
void ClearFaults();

// ---- Call log -------------------------------------------------------------------------

struct PlatformCall {
    std::string operation;  // Windows name, e.g. "BltFast"
    std::string detail;     // the arguments, e.g. "x=0 y=0 src=(0,0,640,480) flags=0x10"
    const void* object;     // the interface or handle the call was made on, or null
    HRESULT result;         // the code returned (for BOOL/handle calls: 0 success, else failure)
};

// Recording is off until a test turns it on, so that benchmarks and long runs pay nothing.
void RecordCalls(bool on);
const std::vector<PlatformCall>& CallLog();
std::vector<PlatformCall> CallsNamed(const std::string& operation);
// Operation names only, in order; handy for checking a sequence.
std::vector<std::string> CallSequence();
void ClearCallLog();

// ---- Kernels --------------------------------------------------------------------------

// True makes the platform's kernels (fill, keyed copy, stretch, frame conversion) run their
// plain C++ build, the reference, as VANTOR_CPU=baseline does; false gives back the best
// build the processor runs. Reset gives it back too.
void UsePlainKernels(bool on);

// ---- Census ---------------------------------------------------------------------------

// Live platform objects: DirectDraw objects, surfaces, palettes, clippers, windows,
// device contexts and fonts not yet released or destroyed.
int LiveObjects();
// DirectDraw objects, surfaces, palettes and clippers the platform holds, live or released:
// released ones are kept a while for stale pointers, then reused.
int DirectDrawShellsHeld();

// ---- Display and focus ----------------------------------------------------------------

// The next SetDisplayMode at 16 bits gives 5-5-5 instead of 5-6-5.
void Use555(bool on);
// What the presenter reports when the user switches away from or back to the program.
// The events are turned into messages and surface loss by the next PeekMessageA.
void SendFocusLost();
void SendFocusGained();
void SendCloseRequest();
// The person moved or sized the window shown on the desktop; its client area is now here.
void SendWindowPlaced(int x, int y, int width, int height);
// Makes every video-memory surface and the primary chain lost, as a mode change does.
void LoseSurfaces();
// The display mode the platform shows now (0 x 0 x 0 when the desktop mode is back).
struct DisplayMode {
    int width;
    int height;
    int bitsPerPixel;
};
DisplayMode CurrentDisplayMode();
bool ExclusiveMode();

// ---- Keyboard, cursor, message boxes --------------------------------------------------

// Presses or releases a key as the user would; GetAsyncKeyState sees it at once.
void SetKey(int virtualKey, bool down);
int CursorCounter();

struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
std::optional<MessageBoxRecord> LastMessageBox();

// ---- Fonts ----------------------------------------------------------------------------

// Font files opened and font directories scanned since the last reset; a warm frame of
// text must leave both unchanged.
int FontFilesOpened();
int FontDirectoryScans();
// Makes the platform read its font configuration and folders again at once, as when
// fontconfig reports a change (which it notices only a second after the last look).
void RescanFonts();
// What the fonts realised for text hold in memory: their glyphs and records, in bytes.
size_t RenderedFontBytes();

// ---- Timer ---------------------------------------------------------------------------

// Moves timeGetTime forward, as if that much time had passed: a test that needs a new
// millisecond (a new device generation, say) sets it instead of waiting for it.
void AdvanceTimer(DWORD milliseconds);

// ---- Presented frames -----------------------------------------------------------------

struct Frame {
    int width;
    int height;
    std::vector<uint32_t> rgb;  // 0x00RRGGBB per pixel, row by row
};
// Frames handed to the presenter by Flip since the last reset, as a viewer would see them.
// A process that never called Reset keeps no frame.
int PresentedFrameCount();
std::optional<Frame> LastPresentedFrame();

}  // namespace vantor::testing
