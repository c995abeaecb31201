// The screen behind the stand-in: a real window (sdl) or none at all (headless). DirectDraw
// takes and gives back the display mode and shows flipped frames through it; USER reads
// its events, shows the cursor and message boxes through it.
#pragma once

#include <memory>
#include <string>

#include "pixel_view.h"

namespace vantor::platform {

enum class PresenterEventKind { FocusLost, FocusGained, KeyDown, KeyUp, CloseRequested };

struct PresenterEvent {
    PresenterEventKind kind;
    int virtualKey;  // for KeyDown and KeyUp
};

class Presenter {
public:
    virtual ~Presenter() = default;
    virtual const char* Name() const = 0;
    // The display mode is taken (exclusive full screen) or given back to the desktop.
    virtual bool SetMode(int width, int height, int bitsPerPixel) = 0;
    virtual void RestoreDesktop() = 0;
    // Shows a frame; with waitForVsync the call returns after the next vertical blank.
    virtual void Show(const PixelView& frame, bool waitForVsync) = 0;
    virtual bool PollEvent(PresenterEvent* event) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    // True when a person can see a window of ours, so a dialog would reach them.
    virtual bool CanShowDialogs() const = 0;
    // Shows a modal dialog and waits for the person to close it; returns at once when no
    // dialog can be shown.
    virtual void ShowDialog(const char* caption, const char* text) = 0;
    // The title and window class of the application's window the screen shows, for the
    // desktop's window lists; a presenter without a window of its own ignores them.
    virtual void NameWindow(const char* /*title*/, const char* /*className*/) {}
};

// The presenter in use; chosen on first use from VANTOR_VIDEO, else sdl when a display
// answers, else headless.
Presenter& CurrentPresenter();
void UsePresenter(std::unique_ptr<Presenter> presenter);
// Names the window the screen shows, in the presenter in use and in any chosen later;
// naming it does not choose one.
void NameScreenWindow(const std::string& title, const std::string& className);

std::unique_ptr<Presenter> MakeHeadlessPresenter();
std::unique_ptr<Presenter> MakeSdlPresenter();  // null when no display answers

// 0x00RRGGBB of every pixel of a frame, as a viewer sees it (8-bit through the palette).
void FrameToRgb(const PixelView& frame, uint32_t* rgbOut);
// Writes a frame as a 24-bit BMP; false when the file cannot be written.
bool WriteScreenshot(const char* path, const PixelView& frame);

}  // namespace vantor::platform
