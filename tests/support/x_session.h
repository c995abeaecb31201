// A private X server for tests that need a real screen, and what a person or a window
// manager does to the windows on it: look at the screen, move the keyboard focus, ask a
// window to close.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct _XDisplay;

namespace vantor::testing {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;  // 0x00RRGGBB per pixel, row by row

    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

using XWindow = unsigned long;

// The screen the X tests use, and how a 640 x 480 display mode sits on it: scaled by the
// largest whole multiple that fits, 2 (1280 x 960), centred between 32-row black bands.
inline constexpr int kXScreenWidth = 1280;
inline constexpr int kXScreenHeight = 1024;
inline constexpr int kModeWidth = 640;
inline constexpr int kModeHeight = 480;
inline constexpr int kModeScale = 2;
inline constexpr int kModeBand = 32;

// Waits until something that happens on another program's time holds; false if it still
// does not after the given time. The other program gives no signal to wait on, so the
// condition is looked at again after a short sleep; the sleep decides nothing.
template <typename Condition>
bool Eventually(Condition condition, double seconds = 20) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class XSession {
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts Xvfb with one screen of the given size and depth on a free display and waits
    // until it answers. False (with the reason in Error()) when it does not, or at once
    // when a program the session starts is missing.
    bool Start(int width, int height, int depth = 24);
    const std::string& Display() const { return display_; }
    const std::string& Error() const { return error_; }
    // Ends the server, as when the desktop session ends: every client's connection breaks.
    void Stop();
    // Leaves the server only its built-in fonts, as a bare X server has: a program that
    // draws text with the server's fonts finds none of its own.
    bool KeepOnlyBuiltInFonts() const;

    // The whole screen as a viewer sees it.
    std::optional<RgbImage> Screenshot() const;

    // The visible top-level windows of a process, waiting up to the given time for one.
    std::vector<XWindow> WindowsOf(pid_t process, double waitSeconds) const;
    // The visible top-level windows with exactly this title, waiting up to the given time
    // for one. Dialogs are found this way: they need not say which process made them.
    std::vector<XWindow> WindowsTitled(const std::string& title, double waitSeconds) const;

    // Gives the keyboard focus to a window, as a window manager does on a click.
    bool Focus(XWindow window) const;
    // Maps a small window of another client and gives it the focus: the user switched away.
    bool FocusOtherWindow();
    // The close request a window manager sends when the user closes a window.
    bool RequestClose(XWindow window) const;
    // Asks a window's program whether it is alive, as a window manager does, and waits up
    // to the given time for the answer. A program answers while handling its events, so
    // the answer also says that every event sent before the question has been handled.
    // False at once when the window is destroyed meanwhile.
    bool Ping(XWindow window, double waitSeconds) const;
    // Presses a key (an X key name: "Down", "Return", "3") and lets it go once the focused
    // window's program has handled the press, which a ping sent after it says. `queued`
    // presses and releases of Shift go with the key: each is one more message in the
    // program's queue, and a program that reads its X events only when its queue is empty
    // (a Wine program) sees the key down for one more pass. False when the window did not
    // answer; every key is let go either way.
    bool Tap(XWindow window, const std::string& key, int queued, double waitSeconds) const;

    // Runs an X command-line tool against this display; its exit status (-1 if it did
    // not run).
    int Run(const std::string& command) const;
    // What an X command-line tool prints when run against this display.
    std::string Output(const std::string& command) const;

private:
    pid_t server_ = -1;
    std::string display_;
    std::string error_;
    _XDisplay* otherClient_ = nullptr;  // the client owning the other window
    XWindow otherWindow_ = 0;
};

}  // namespace vantor::testing
