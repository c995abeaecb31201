// The real screen: while the application holds a display mode, a window covering the
// desktop shows its frames, scaled by the largest whole multiple that fits, centred on
// black, with sharp pixels. The window's events become presenter events for USER.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "display_loss.h"
#include "present/sdl_module.h"
#include "sdl_desktop_window.h"
#include "sdl_keys.h"

namespace vantor::platform {
namespace {

// Larger than any screen, and than the textures renderers can make.
constexpr int kLargestSide = 16384;

// SDL takes the X class of its windows from this variable when its video starts (later
// versions also read it, as a hint, for each new window).
constexpr char kWindowClassVariable[] = "SDL_VIDEO_X11_WMCLASS";
std::string videoWindowClass;  // the class SDL's video was started with, once we chose one

bool WindowSystemDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (SDL_strcmp(driver, "x11") == 0 || SDL_strcmp(driver, "wayland") == 0);
}

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
    void UseWindowClass();
    bool OpenWindow();
    bool MakeTexture(int width, int height);
    void CloseWindow();
    void ShowBlack();
    void UseVsync(bool on);
    // The mode in a window: its first size, and Alt+Enter.
    void SizeModeWindow(int width, int height);
    bool SwitchedWholeScreen(const SDL_Event& sdlEvent);

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
    bool swallowReturnUp_ = false;           // the Return of an Alt+Enter is not the program's
    SDL_Rect windowedSize_{0, 0, 640, 480};  // the window's size before it took the screen
    SdlDesktopWindow desktopWindow_;
};

bool ReportSdlFailure(const char* step) {
    std::fprintf(stderr, "sdl: %s: %s\n", step, SDL_GetError());
    return false;
}

// The desktop lists the window under the application's title and window class. The class
// must be set before the window is made: video starts anew, while no window of ours is
// open, when it was started with another. Where others still hold SDL's video the window
// keeps the class SDL gave it.
void SdlPresenter::NameWindow(const char* title, const char* className) {
    title_ = title;
    className_ = className;
    if (window_) SDL_SetWindowTitle(window_, title_.c_str());
}

void SdlPresenter::UseWindowClass() {
    if (className_.empty() || className_ == videoWindowClass) return;
    SDL_setenv(kWindowClassVariable, className_.c_str(), 1);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) videoWindowClass = className_;
    SDL_InitSubSystem(SDL_INIT_VIDEO);
}

bool SdlPresenter::OpenWindow() {
    UseWindowClass();
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
        SizeModeWindow(width, height);
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

bool EventFromWindowEvent(const SDL_WindowEvent& window, PresenterEvent* event) {
    switch (window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            *event = {PresenterEventKind::FocusGained, 0};
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: *event = {PresenterEventKind::FocusLost, 0}; return true;
        case SDL_WINDOWEVENT_CLOSE: *event = {PresenterEventKind::CloseRequested, 0}; return true;
        default: return false;
    }
}

bool EventFromKey(const SDL_KeyboardEvent& key, PresenterEvent* event) {
    int virtualKey = VirtualKeyFromSdl(key.keysym.sym);
    if (virtualKey == 0) return false;
    PresenterEventKind kind =
        key.type == SDL_KEYDOWN ? PresenterEventKind::KeyDown : PresenterEventKind::KeyUp;
    *event = {kind, virtualKey};
    return true;
}

// Turns one SDL event into a presenter event; false for events the platform ignores.
bool Translate(const SDL_Event& sdlEvent, PresenterEvent* event) {
    switch (sdlEvent.type) {
        case SDL_WINDOWEVENT: return EventFromWindowEvent(sdlEvent.window, event);
        case SDL_KEYDOWN:
        case SDL_KEYUP: return EventFromKey(sdlEvent.key, event);
        // A window-manager close, or SIGINT / SIGTERM, which SDL reports as a quit.
        case SDL_QUIT: *event = {PresenterEventKind::CloseRequested, 0}; return true;
        default: return false;
    }
}

bool SdlPresenter::PollEvent(PresenterEvent* event) {
    SDL_Event sdlEvent;
    while (SDL_PollEvent(&sdlEvent)) {
        if (sdlEvent.type == SDL_WINDOWEVENT && desktopWindow_.Moved(sdlEvent.window, event))
            return true;
        if (SwitchedWholeScreen(sdlEvent)) continue;
        if (!Translate(sdlEvent, event)) continue;
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

// ---- The display mode in a window -----------------------------------------------------

// The window starts at the largest whole multiple of the mode that leaves a margin of the
// screen free, centred; the person may size it as they like from there.
void SdlPresenter::SizeModeWindow(int width, int height) {
    SDL_Rect usable{0, 0, width, height};
    SDL_GetDisplayUsableBounds(0, &usable);
    const int scale = std::max(1, std::min(usable.w * 7 / 8 / width, usable.h * 7 / 8 / height));
    SDL_SetWindowSize(window_, width * scale, height * scale);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

// Alt+Enter switches between the window and the whole screen. Neither its Return nor the
// Return's release reaches the program, which would take it for its own Enter.
bool SdlPresenter::SwitchedWholeScreen(const SDL_Event& sdlEvent) {
    if (!inWindow_ || !window_ || (sdlEvent.type != SDL_KEYDOWN && sdlEvent.type != SDL_KEYUP))
        return false;
    const SDL_Keysym& key = sdlEvent.key.keysym;
    if (key.sym != SDLK_RETURN && key.sym != SDLK_KP_ENTER) return false;
    if (sdlEvent.type == SDL_KEYUP) {
        const bool swallowed = swallowReturnUp_;
        swallowReturnUp_ = false;
        return swallowed;
    }
    if (!(key.mod & KMOD_ALT)) return false;
    swallowReturnUp_ = true;
    if (sdlEvent.key.repeat) return true;
    if (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) {
        SDL_SetWindowFullscreen(window_, 0);
        SDL_SetWindowBordered(window_, SDL_TRUE);
        // Back at its size, centred: where it stood is not known reliably without a window
        // manager.
        SDL_SetWindowSize(window_, windowedSize_.w, windowedSize_.h);
        SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
        SDL_GetWindowSize(window_, &windowedSize_.w, &windowedSize_.h);
        // Placed over the screen first, so that it covers it also where no window manager
        // honours the full-screen request.
        SDL_Rect screen{0, 0, 640, 480};
        SDL_GetDisplayBounds(0, &screen);
        SDL_SetWindowBordered(window_, SDL_FALSE);
        SDL_SetWindowPosition(window_, screen.x, screen.y);
        SDL_SetWindowSize(window_, screen.w, screen.h);
        SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    return true;
}

}  // namespace

Presenter* VantorMakeSdlPresenter(bool inWindow) {
    // A display is named but does not answer: say why, since the program falls back.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        ReportSdlFailure("the display does not answer");
        return nullptr;
    }
    if (!WindowSystemDriver()) {
        std::fprintf(stderr,
                     "sdl: the display does not answer (only SDL's \"%s\" driver started)\n",
                     SDL_GetCurrentVideoDriver());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return nullptr;
    }
    EndProgramWhenDisplayIsLost();
    return new SdlPresenter(inWindow);
}

}  // namespace vantor::platform
