// Activation and the keyboard focus: which window is active, and the messages a change of
// either sends to the windows that lose and gain it.
#include "modules.h"
#include "user_state.h"

namespace vantor::platform {

void MakeActive(HWND window) {
    UserState& state = User();
    state.lastActive = window;
    if (!state.foreground) return;
    HWND previous = state.active;
    if (previous && previous != window) {
        SendToWindow(previous, WM_NCACTIVATE, FALSE, 0);
        SendToWindow(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window));
    }
    if (!FindWindowRecord(window)) return;
    state.active = window;
    if (!previous) SendToWindow(window, WM_ACTIVATEAPP, TRUE, 0);
    SendToWindow(window, WM_NCACTIVATE, TRUE, 0);
    SendToWindow(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
}

void DeactivateActiveWindow() {
    UserState& state = User();
    HWND window = state.active;
    if (!window) return;
    state.active = nullptr;
    SendToWindow(window, WM_NCACTIVATE, FALSE, 0);
    SendToWindow(window, WM_ACTIVATE, WA_INACTIVE, 0);
    SendToWindow(window, WM_ACTIVATEAPP, FALSE, 0);
    if (state.focus == window) {
        state.focus = nullptr;
        SendToWindow(window, WM_KILLFOCUS, 0, 0);
    }
}

void SetFocusTo(HWND window) {
    UserState& state = User();
    if (state.focus == window) return;
    HWND previous = state.focus;
    state.focus = window;
    if (previous) SendToWindow(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    SendToWindow(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
}

void ActivateWindow(HWND window) {
    if (FindWindowRecord(window)) MakeActive(window);
}

}  // namespace vantor::platform

using namespace vantor::platform;

HWND WINAPI GetActiveWindow() {
    CallTicket ticket = BeginCall("GetActiveWindow", nullptr);
    EndCall(ticket, S_OK);
    return User().active;
}
