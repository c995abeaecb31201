// Where windows are on the desktop: their rectangles, client-to-screen mapping, moving and
// sizing with the messages Windows sends, and the window a program drawing on the desktop
// shows there through the presenter.
//
// The stand-in's windows have no frame: the client area is the whole window, and its
// top-left corner is the window's position.
#include <algorithm>
#include <cstdint>

#include "modules.h"
#include "user_state.h"

namespace vantor::platform {
namespace {

// Windows keeps window coordinates and sizes within 16 bits, whatever a caller asks for.
constexpr int kCoordinateLimit = 32767;
int Coordinate(int value) { return std::clamp(value, -kCoordinateLimit - 1, kCoordinateLimit); }
int Extent(int value) { return std::clamp(value, 0, kCoordinateLimit); }

ScreenArea ClientArea(const Window& window) {
    return {window.x, window.y, window.width, window.height};
}

// The window's rectangle on the screen; a window made at a far position still gives a
// rectangle whose edges fit.
RECT Rectangle(const Window& window) {
    auto edge = [](int32_t origin, int32_t extent) {
        return static_cast<LONG>(std::min<int64_t>(int64_t(origin) + extent, INT32_MAX));
    };
    return RECT{window.x, window.y, edge(window.x, window.width), edge(window.y, window.height)};
}

}  // namespace

void PlaceWindow(HWND handle, int x, int y, int width, int height, bool fromPresenter) {
    const Window* before = FindWindowRecord(handle);
    if (!before) return;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (x == before->x && y == before->y) flags |= SWP_NOMOVE;
    if (width == before->width && height == before->height) flags |= SWP_NOSIZE;
    // The procedure may change the place it is told about, as on Windows.
    WINDOWPOS place{handle,        nullptr,        Coordinate(x), Coordinate(y),
                    Extent(width), Extent(height), flags};
    SendToWindow(handle, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&place));
    Window* window = FindWindowRecord(handle);
    if (!window) return;
    window->x = Coordinate(place.x);
    window->y = Coordinate(place.y);
    window->width = Extent(place.cx);
    window->height = Extent(place.cy);
    if (!fromPresenter && User().onDesktop == handle)
        CurrentPresenter().PlaceDesktopWindow(ClientArea(*window));
    WINDOWPOS placed{handle, nullptr, window->x, window->y, window->width, window->height, flags};
    SendToWindow(handle, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&placed));
}

// What DefWindowProcA does with WM_WINDOWPOSCHANGED: the window hears where its client
// area now is (screen coordinates for a top-level window) and how large it is. Both come
// from the window itself, not from the message's record.
void SendPlaceMessages(HWND handle) {
    const Window* window = FindWindowRecord(handle);
    if (!window) return;
    const int32_t width = window->width, height = window->height;
    SendToWindow(handle, WM_MOVE, 0, MAKELPARAM(window->x, window->y));
    SendToWindow(handle, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

void LeaveDesktop(HWND handle) {
    UserState& state = User();
    if (state.onDesktop != handle || !handle) return;
    state.onDesktop = nullptr;
    CurrentPresenter().CloseDesktopWindow();
}

bool ShowOnDesktop(HWND handle) {
    const Window* window = FindWindowRecord(handle);
    if (!window) return false;
    UserState& state = User();
    if (state.onDesktop && state.onDesktop != handle) LeaveDesktop(state.onDesktop);
    if (!CurrentPresenter().PlaceDesktopWindow(ClientArea(*window))) return false;
    state.onDesktop = handle;
    return true;
}

bool DesktopWindowArea(ScreenArea* client) {
    const Window* window = FindWindowRecord(User().onDesktop);
    if (!window) return false;
    *client = ClientArea(*window);
    return true;
}

bool WindowClientOnScreen(HWND handle, RECT* client) {
    const Window* window = FindWindowRecord(handle);
    if (!window || !window->visible) return false;
    *client = Rectangle(*window);
    return true;
}

}  // namespace vantor::platform

using namespace vantor::platform;

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    return AnswerAboutWindow("GetWindowRect", window, rect,
                             [](const Window& record, RECT& place) { place = Rectangle(record); });
}

BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    return AnswerAboutWindow(
        "ClientToScreen", window, point, [](const Window& record, POINT& mapped) {
            auto moved = [](LONG value, int32_t by) {
                return static_cast<LONG>(
                    std::clamp<int64_t>(int64_t(value) + by, INT32_MIN, INT32_MAX));
            };
            mapped.x = moved(mapped.x, record.x);
            mapped.y = moved(mapped.y, record.y);
        });
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    CallTicket ticket = BeginCall("MoveWindow", window, [&] {
        return Format("x=%d y=%d w=%d h=%d repaint=%d", x, y, width, height, repaint);
    });
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        if (!FindWindowRecord(window)) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        PlaceWindow(window, x, y, width, height, false);
        if (Window* record = FindWindowRecord(window); record && repaint && record->visible)
            record->needsPaint = true;
        return TRUE;
    });
}
