#include "user_state.h"

#include "call_trace.h"
#include "modules.h"

namespace vantor::platform {

UserState& User() {
    static UserState* state = new UserState;
    return *state;
}

void ResetUser() {
    UserState& state = User();
    state.classes.clear();
    state.windows.clear();
    state.active = state.lastActive = state.focus = state.onScreen = nullptr;
    state.foreground = true;
    state.posted.clear();
    state.input.clear();
    state.focusEvents.clear();
    state.onDesktop = nullptr;
    state.quitPending = false;
    state.quitCode = 0;
    state.cursorCounter = 0;
    state.lastMessageBox.reset();
    lastErrorCode = 0;
    ResetKeyboard();
}

int UserLiveObjects() { return static_cast<int>(User().windows.size()); }

bool ValidWindow(HWND window) { return FindWindowRecord(window) != nullptr; }

bool ApplicationInForeground() { return User().foreground; }

// The image base a Windows program is usually loaded at; only ever compared, never read.
HINSTANCE ProgramInstance() { return reinterpret_cast<HINSTANCE>(uintptr_t{0x400000}); }

}  // namespace vantor::platform

using namespace vantor::platform;

DWORD WINAPI GetLastError() { return lastErrorCode; }

void WINAPI SetLastError(DWORD error) { lastErrorCode = error; }
