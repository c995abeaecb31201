// The insides of the USER stand-in shared by its files: classes, windows, activation and
// focus, the message queue and the keyboard.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "call_trace.h"
#include "present/presenter.h"
#include "user.h"

namespace vantor::platform {

constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;

// As on Windows, a thread's queue holds at most this many posted messages.
constexpr size_t kPostedMessageQuota = 10000;

struct WindowClass {
    std::string name;        // as registered
    std::string foldedName;  // lower case, for the case-insensitive lookup
    ATOM atom;
    WNDCLASSA record;  // lpszClassName and lpszMenuName not kept: the caller owns them
};

struct Window {
    HWND handle;
    WNDPROC procedure;
    ATOM classAtom;
    std::string title;
    DWORD style;
    int32_t x;  // screen position and size
    int32_t y;
    int32_t width;
    int32_t height;
    bool visible = false;
    bool needsPaint = false;
    bool destroying = false;  // DestroyWindow has begun: no second destruction
};

struct ShownMessageBox {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};

struct UserState {
    std::vector<WindowClass> classes;
    std::map<HWND, std::unique_ptr<Window>> windows;
    HWND active = nullptr;      // the window that has activation, if any
    HWND lastActive = nullptr;  // reactivated when the application comes back to the front
    HWND focus = nullptr;
    HWND onScreen =
        nullptr;  // the window exclusive mode shows: the presenter's window bears its name
    bool foreground = true;  // a freshly started program may take the foreground

    std::deque<MSG> posted;
    std::deque<MSG> input;
    std::vector<PresenterEvent>
        focusEvents;  // focus and window places taken from the presenter, handled by PeekMessageA
    HWND onDesktop = nullptr;  // the window a program drawing on the desktop shows there
    bool quitPending = false;
    int quitCode = 0;

    int cursorCounter = 0;  // the cursor shows while it is 0 or more
    std::optional<ShownMessageBox> lastMessageBox;
};

// Never destroyed: static objects of the program still call USER while the process ends.
UserState& User();

// ---- window_classes.cpp ---------------------------------------------------------------

// The class a name or an atom (MAKEINTRESOURCEA) names for the instance, or null.
const WindowClass* FindClass(LPCSTR name, HINSTANCE instance);
// A class name as the call log shows it: the name, or "#<atom>".
std::string DescribeClassName(LPCSTR name);

// ---- windows.cpp ----------------------------------------------------------------------

Window* FindWindowRecord(HWND window);
// A call that answers a question about a window into the caller's record: refused for an
// unknown window or a null record, else `answer(window, record)`.
template <typename Out, typename Answer>
BOOL AnswerAboutWindow(const char* operation, HWND window, Out* out, Answer answer) {
    CallTicket ticket = BeginCall(operation, window);
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        const Window* record = FindWindowRecord(window);
        if (!record) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        if (!out) return Refused(ERROR_INVALID_PARAMETER);
        answer(*record, *out);
        return TRUE;
    });
}
// Calls the window's procedure, if the window still exists; 0 otherwise.
LRESULT SendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// ---- activation.cpp -------------------------------------------------------------------

// Makes `window` the active window (and tells the one it replaces), unless the application
// is in the background: then it is only remembered for when the application comes back.
void MakeActive(HWND window);
// The active window loses activation and nothing takes its place.
void DeactivateActiveWindow();
void SetFocusTo(HWND window);

// ---- window_placement.cpp ------------------------------------------------------------

// Moves and sizes a window: WM_WINDOWPOSCHANGING, the new place, WM_WINDOWPOSCHANGED
// (whose default processing sends WM_MOVE and WM_SIZE). The presenter's window follows
// the window shown on the desktop, unless the new place came from the presenter.
void PlaceWindow(HWND window, int x, int y, int width, int height, bool fromPresenter);
// DefWindowProcA's part of WM_WINDOWPOSCHANGED.
void SendPlaceMessages(HWND window);

// ---- painting.cpp ---------------------------------------------------------------------

void ValidateWindow(Window& window);

// ---- messages.cpp ---------------------------------------------------------------------

void DiscardMessagesFor(HWND window);
// Takes what the presenter reports: keys change the key state at once and queue input
// messages; focus changes are kept for PeekMessageA; a close request asks for an end.
void DrainPresenterEvents();

// ---- keyboard.cpp ---------------------------------------------------------------------

// Applies a key event of the presenter to the live key state; ignored while scripted.
void ApplyKeyEvent(int virtualKey, bool down);
// One step of the key script passes: called once per PeekMessageA.
void AdvanceKeyScript();
// The scripted keyboard in use from now on (replacing the real one).
void InstallKeyScript(const std::vector<std::vector<int>>& steps);
bool KeyboardScripted();
bool KeyIsDown(int virtualKey);
void ResetKeyboard();

}  // namespace vantor::platform
