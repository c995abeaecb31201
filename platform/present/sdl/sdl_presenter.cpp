// The real screen: while the application holds a display mode, a window covering the
// desktop shows its frames, scaled by the largest whole multiple that fits, centred on
// black, with sharp pixels. The window's events become presenter events for USER.
#include <SDL.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "contained_presenter.h"
#include "display_loss.h"
#include "present/sdl_module.h"
#include "sdl_desktop_window.h"
#include "sdl_events.h"
#include "sdl_mode_window.h"
#include "sdl_video.h"

namespace vantor::platform {
namespace {

// Larger than any screen, and than the textures renderers can make.
constexpr int kLargestSide = 16384;

class SdlPresenter final : public Presenter {
public:
    // inWindow: a program's display mode is shown in an ordinary, resizable window on the
    // desktop instead of covering the screen; Alt+Enter switches between the two.
    explicit SdlPresenter(bool inWindow) : inWindow_(inWindow) {}
    // SDL's video stays up for the rest of the process: its system libraries (the session
    // bus, the GL driver) keep what they allocate until exit, and a later presenter uses it.
    ~SdlPresenter() override { CloseWindow(); }

    const char* Name() const override { return "sdl"; }

    bool SetMode(int width, int height, int bitsPerPixel) override;
    void RestoreDesktop() override;
    void Show(const PixelView& frame, bool waitForVsync) override;
    bool PollEvent(PresenterEvent* event) override;
    void SetCursorVisible(bool visible) override;
    // A dialog reaches the person whenever the display answers, also after the window has
    // gone: a fatal error gives the screen back first and then says why.
    bool CanShowDialogs() const override { return true; }
    void ShowDialog(const char* caption, const char* text) override;
    void NameWindow(const char* title, const char* className) override;

    ScreenArea Desktop() const override;
    bool PlaceDesktopWindow(const ScreenArea& client) override {
        return desktopWindow_.Place(client, title_.c_str());
    }
    void CloseDesktopWindow() override { desktopWindow_.Close(); }
    void ShowDesktop(const PixelView& desktop, const ScreenArea& client) override {
        desktopWindow_.Show(desktop, client);
    }

private:
    bool OpenWindow();
    bool MakeTexture(int width, int height);
    void CloseWindow();
    void ShowBlack();
    void UseVsync(bool on);

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    bool vsync_ = true;
    bool inBackground_ = false;  // the user switched to another program since the window came up
    bool cursorVisible_ = true;
    std::vector<uint32_t> rgb_;  // the frame being shown, as the texture takes it
    std::string title_ = "Vantor";
    std::string className_;  // "" until the application's window is named
    const bool inWindow_;
    WholeScreenSwitch wholeScreen_;  // Alt+Enter, for the mode in a window
    SdlDesktopWindow desktopWindow_;
};

// The desktop lists the window under the application's title and window class; the class
// takes effect when the window is next opened.
void SdlPresenter::NameWindow(const char* title, const char* className) {
    title_ = title;
    className_ = className;
    if (window_) SDL_SetWindowTitle(window_, title_.c_str());
}

bool SdlPresenter::OpenWindow() {
    UseWindowClass(className_);
    // Like a full-screen program on Windows, the window steps aside when the user switches
    // to another program, and the desktop shows again. In a window it stays where it is.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, inWindow_ ? "0" : "1");
    // The window is made as large as the screen, so that it covers it also where no
    // window manager is there to honour the full-screen request.
    SDL_Rect screen{0, 0, 640, 480};
    SDL_GetDisplayBounds(0, &screen);
    window_ = inWindow_ ? SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_CENTERED,
                                           SDL_WINDOWPOS_CENTERED, 640, 480, SDL_WINDOW_RESIZABLE)
                        : SDL_CreateWindow(title_.c_str(), screen.x, screen.y, screen.w, screen.h,
                                           SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
    if (!window_) return ReportSdlFailure("cannot open a window");
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) {
        ReportSdlFailure("cannot draw into the window");
        CloseWindow();
        return false;
    }
    vsync_ = true;
    inBackground_ = false;
    SDL_ShowCursor(cursorVisible_ ? SDL_ENABLE : SDL_DISABLE);
    SDL_RaiseWindow(window_);
    return true;
}

// The mode's frames are shown through a texture of the mode's size, stretched by a whole
// multiple and sampled at the nearest pixel, so that every pixel stays a sharp square.
bool SdlPresenter::MakeTexture(int width, int height) {
    if (texture_) SDL_DestroyTexture(texture_);
    textureWidth_ = textureHeight_ = 0;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "0");
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                                 width, height);
    if (!texture_) return ReportSdlFailure("cannot make the frame texture");
    SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
    if (SDL_RenderSetLogicalSize(renderer_, width, height) != 0 ||
        SDL_RenderSetIntegerScale(renderer_, SDL_TRUE) != 0) {
        return ReportSdlFailure("cannot scale the frame");
    }
    textureWidth_ = width;
    textureHeight_ = height;
    rgb_.assign(static_cast<size_t>(width) * height, 0);
    return true;
}

bool SdlPresenter::SetMode(int width, int height, int bitsPerPixel) {
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return false;
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) {
        return false;
    }
    if (window_) {
        // Back from the background: the window comes back in front.
        SDL_RestoreWindow(window_);
        SDL_RaiseWindow(window_);
    } else if (!OpenWindow()) {
        return false;
    } else if (inWindow_) {
        SizeModeWindow(window_, width, height);
    }
    if ((width != textureWidth_ || height != textureHeight_) && !MakeTexture(width, height)) {
        CloseWindow();
        return false;
    }
    ShowBlack();
    return true;
}

// A program in the background has already left the desktop to the person: the window
// steps aside (minimised, as Windows does with a full-screen program) but stays, so that
// they can switch back to it. Otherwise the program is done with the screen.
void SdlPresenter::RestoreDesktop() {
    if (window_ && inBackground_ && inWindow_) return;  // a window on the desktop stays as it is
    if (window_ && inBackground_) {
        SDL_MinimizeWindow(window_);
        return;
    }
    CloseWindow();
}

void SdlPresenter::CloseWindow() {
    DestroyWindowParts(texture_, renderer_, window_);
    textureWidth_ = textureHeight_ = 0;
    rgb_.clear();
    rgb_.shrink_to_fit();
    // The desktop gets its pointer back whatever the program's cursor counter says.
    SDL_ShowCursor(SDL_ENABLE);
}

void SdlPresenter::ShowBlack() {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
}

void SdlPresenter::UseVsync(bool on) {
    if (on == vsync_) return;
    if (SDL_RenderSetVSync(renderer_, on ? 1 : 0) == 0) vsync_ = on;
}

void SdlPresenter::Show(const PixelView& frame, bool waitForVsync) {
    if (!texture_ || !frame.pixels || frame.width <= 0 || frame.height <= 0) return;
    if ((frame.width != textureWidth_ || frame.height != textureHeight_) &&
        !MakeTexture(frame.width, frame.height)) {
        return;
    }
    FrameToRgb(frame, rgb_.data());
    SDL_UpdateTexture(texture_, nullptr, rgb_.data(), textureWidth_ * 4);
    UseVsync(waitForVsync);
    // Clearing the whole output each time keeps the bands around the frame black.
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

bool SdlPresenter::PollEvent(PresenterEvent* event) {
    SDL_Event sdlEvent;
    while (SDL_PollEvent(&sdlEvent)) {
        if (sdlEvent.type == SDL_WINDOWEVENT && desktopWindow_.Moved(sdlEvent.window, event))
            return true;
        if (inWindow_ && wholeScreen_.Switched(window_, sdlEvent)) continue;
        if (!TranslateSdlEvent(sdlEvent, event)) continue;
        if (event->kind == PresenterEventKind::FocusLost) inBackground_ = true;
        if (event->kind == PresenterEventKind::FocusGained) inBackground_ = false;
        return true;
    }
    return false;
}

void SdlPresenter::SetCursorVisible(bool visible) {
    cursorVisible_ = visible;
    // Without our window the pointer belongs to the desktop and stays visible.
    if (window_) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlPresenter::ShowDialog(const char* caption, const char* text) {
    // The pointer must be visible to reach the dialog's button.
    if (window_) SDL_ShowCursor(SDL_ENABLE);
    // A window that has stepped aside would take its dialog with it, out of sight.
    SDL_Window* parent = inBackground_ ? nullptr : window_;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, caption ? caption : "", text ? text : "",
                                 parent) != 0) {
        // A dialog that failed may be the first sign that the display is gone: reading
        // the connection now ends the program if so. Otherwise the text, already on
        // standard error, is all the person gets, and the program goes on.
        SDL_PumpEvents();
        ReportSdlFailure("cannot show a dialog");
    }
    if (window_) SDL_ShowCursor(cursorVisible_ ? SDL_ENABLE : SDL_DISABLE);
}

ScreenArea SdlPresenter::Desktop() const {
    SDL_Rect screen{0, 0, 640, 480};
    SDL_GetDisplayBounds(0, &screen);
    return {0, 0, screen.w, screen.h};
}

}  // namespace

// Nothing thrown here leaves the module (contained_presenter.h): a presenter that cannot be
// made is none.
Presenter* VantorMakeSdlPresenter(bool inWindow) {
    try {
        if (!StartSdlVideo()) return nullptr;
        EndProgramWhenDisplayIsLost();
        return Contained(std::make_unique<SdlPresenter>(inWindow)).release();
    } catch (...) {
        std::fprintf(stderr, "sdl: cannot make the presenter\n");
        return nullptr;
    }
}

}  // namespace vantor::platform
