// Windows: creation and destruction, showing, the title, the default window procedure and
// sent messages. Classes are in window_classes.cpp, activation and focus in activation.cpp.
//
// Handles are numbers handed out once and looked up in a table, never addresses: a stale
// or made-up handle is simply not found. Windows of the stand-in are top-level and have
// no frame, so the client area is the whole window.
#include <algorithm>

#include "modules.h"
#include "user_state.h"

namespace vantor::platform {
namespace {

constexpr DWORD ERROR_INVALID_SHOWWIN_COMMAND = 1449;

// Never reused, so a handle kept after its window died stays invalid.
uintptr_t nextHandle = 0x10010;

void NameScreenFor(const Window& window) {
    const WindowClass* windowClass = FindClass(MAKEINTRESOURCEA(window.classAtom), nullptr);
    NameScreenWindow(window.title, windowClass ? windowClass->name : "");
}

LPARAM PackPoint(int32_t low, int32_t high) {
    return static_cast<LPARAM>(static_cast<uint32_t>(static_cast<uint16_t>(low)) |
                               static_cast<uint32_t>(static_cast<uint16_t>(high)) << 16);
}

// Ends a window: it loses activation and focus first, then hears WM_DESTROY and
// WM_NCDESTROY; whatever was posted to it is thrown away. The quit flag is not a posted
// message and survives.
void DestroyWindowNow(HWND handle) {
    UserState& state = User();
    FindWindowRecord(handle)->destroying = true;
    if (state.active == handle) DeactivateActiveWindow();
    if (state.lastActive == handle) state.lastActive = nullptr;
    if (state.onScreen == handle) state.onScreen = nullptr;
    if (state.focus == handle) {
        state.focus = nullptr;
        SendToWindow(handle, WM_KILLFOCUS, 0, 0);
    }
    SendToWindow(handle, WM_DESTROY, 0, 0);
    SendToWindow(handle, WM_NCDESTROY, 0, 0);
    LeaveDesktop(handle);
    DiscardMessagesFor(handle);
    state.windows.erase(handle);
}

void ShowNow(Window& window) {
    window.visible = true;
    window.needsPaint = true;
    SendToWindow(window.handle, WM_SHOWWINDOW, TRUE, 0);
}

void HideNow(Window& window) {
    HWND handle = window.handle;
    window.visible = false;
    window.needsPaint = false;
    SendToWindow(handle, WM_SHOWWINDOW, FALSE, 0);
    if (User().active == handle) DeactivateActiveWindow();
}

// The messages of creation after the window exists: WM_NCCREATE, WM_CREATE, then for a
// visible window showing and activation, then its size and position. False when the
// procedure refused creation or destroyed the window meanwhile.
bool RunCreation(HWND handle, CREATESTRUCTA& create) {
    LPARAM createArgument = reinterpret_cast<LPARAM>(&create);
    if (!SendToWindow(handle, WM_NCCREATE, 0, createArgument)) {
        if (FindWindowRecord(handle)) {
            SendToWindow(handle, WM_NCDESTROY, 0, 0);
            User().windows.erase(handle);
        }
        return false;
    }
    if (!FindWindowRecord(handle)) return false;
    if (SendToWindow(handle, WM_CREATE, 0, createArgument) == -1) {
        if (Window* window = FindWindowRecord(handle); window && !window->destroying)
            DestroyWindowNow(handle);
        return false;
    }
    Window* window = FindWindowRecord(handle);
    if (!window) return false;
    if (window->style & WS_VISIBLE) {
        ShowNow(*window);
        if (FindWindowRecord(handle)) MakeActive(handle);
    }
    if (!FindWindowRecord(handle)) return false;
    SendToWindow(handle, WM_SIZE, 0, PackPoint(create.cx, create.cy));
    SendToWindow(handle, WM_MOVE, 0, PackPoint(create.x, create.y));
    return FindWindowRecord(handle) != nullptr;
}

}  // namespace

Window* FindWindowRecord(HWND window) {
    auto& windows = User().windows;
    auto found = windows.find(window);
    return found == windows.end() ? nullptr : found->second.get();
}

LRESULT SendToWindow(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = FindWindowRecord(handle);
    if (!window) return 0;
    return window->procedure(handle, message, wParam, lParam);
}

void PutWindowOnScreen(HWND window) {
    const Window* record = FindWindowRecord(window);
    if (!record) return;
    User().onScreen = window;
    NameScreenFor(*record);
}

}  // namespace vantor::platform

using namespace vantor::platform;

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    CallTicket ticket = BeginCall("CreateWindowExA", nullptr, [&] {
        return Format("class=\"%s\" title=\"%s\" style=0x%x x=%d y=%d w=%d h=%d",
                      className ? DescribeClassName(className).c_str() : "null", title ? title : "",
                      style, x, y, width, height);
    });
    return RunCall(ticket, HWND(nullptr), LastError::Set, [&]() -> Ending<HWND> {
        const WindowClass* windowClass = className ? FindClass(className, instance) : nullptr;
        if (!windowClass) return Refused(ERROR_CANNOT_FIND_WND_CLASS);
        if (parent && !FindWindowRecord(parent)) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        // Negative sizes become empty windows, as on Windows.
        width = std::max(width, 0);
        height = std::max(height, 0);
        HWND handle = reinterpret_cast<HWND>(nextHandle);
        nextHandle += 0x10;
        auto window = std::make_unique<Window>();
        window->handle = handle;
        window->procedure = windowClass->record.lpfnWndProc;
        window->classAtom = windowClass->atom;
        window->title = title ? title : "";
        window->style = style;
        window->x = x;
        window->y = y;
        window->width = width;
        window->height = height;
        User().windows[handle] = std::move(window);

        CREATESTRUCTA create{
            param, instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
            title, className, exStyle};
        if (!RunCreation(handle, create)) return Refused();
        return handle;
    });
}

BOOL WINAPI DestroyWindow(HWND window) {
    CallTicket ticket = BeginCall("DestroyWindow", window);
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        Window* record = FindWindowRecord(window);
        if (!record || record->destroying) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        DestroyWindowNow(window);
        return TRUE;
    });
}

BOOL WINAPI IsWindow(HWND window) {
    CallTicket ticket = BeginCall("IsWindow", window);
    bool valid = FindWindowRecord(window) != nullptr;
    EndCall(ticket, valid ? S_OK : MAKE_HRESULT(1, 7, ERROR_INVALID_WINDOW_HANDLE));
    return valid;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    return AnswerAboutWindow("GetClientRect", window, rect, [](const Window& record, RECT& client) {
        client = RECT{0, 0, record.width, record.height};
    });
}

// Returns whether the window was visible before. Hiding takes activation away; showing
// activates unless the command says not to.
BOOL WINAPI ShowWindow(HWND window, int command) {
    CallTicket ticket =
        BeginCall("ShowWindow", window, [&] { return Format("command=%d", command); });
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        Window* record = FindWindowRecord(window);
        if (!record) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        constexpr int kShowNoActivate = 4, kShowMinNoActive = 7, kShowNa = 8, kLastCommand = 11;
        if (command < SW_HIDE || command > kLastCommand)
            return Refused(ERROR_INVALID_SHOWWIN_COMMAND);
        bool wasVisible = record->visible;
        if (command == SW_HIDE) {
            if (wasVisible) HideNow(*record);
        } else {
            if (!wasVisible) ShowNow(*record);
            bool activates =
                command != kShowNoActivate && command != kShowMinNoActive && command != kShowNa;
            if (activates && User().active != window && FindWindowRecord(window))
                MakeActive(window);
        }
        return wasVisible;
    });
}

// The window's procedure sets the text, as it does on Windows: DefWindowProcA stores it.
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    CallTicket ticket = BeginCall("SetWindowTextA", window,
                                  [&] { return Format("text=\"%s\"", text ? text : ""); });
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        if (!FindWindowRecord(window)) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        return SendToWindow(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
    });
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CallTicket ticket = BeginCall("DefWindowProcA", window, [&] {
        return Format("msg=0x%x wParam=0x%zx lParam=0x%zx", message, static_cast<size_t>(wParam),
                      static_cast<size_t>(lParam));
    });
    LRESULT result = 0;
    Window* record = FindWindowRecord(window);
    switch (message) {
        case WM_NCCREATE:
        case WM_NCACTIVATE: result = TRUE; break;
        case WM_CLOSE:
            if (record && !record->destroying) DestroyWindowNow(window);
            break;
        case WM_SETTEXT:
            if (record) {
                record->title = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
                if (User().onScreen == window) NameScreenFor(*record);
            }
            result = TRUE;
            break;
        case WM_PAINT:
            if (record) ValidateWindow(*record);
            break;
        case WM_ACTIVATE:
            // Activation that is not of a minimised window brings the keyboard focus.
            if (record && LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) SetFocusTo(window);
            break;
        case WM_WINDOWPOSCHANGED: SendPlaceMessages(window); break;
        case WM_ERASEBKGND:
            // Erased when the class has a brush; the window has no pixels of its own to fill.
            if (const WindowClass* windowClass =
                    record ? FindClass(MAKEINTRESOURCEA(record->classAtom), nullptr) : nullptr)
                result = windowClass->record.hbrBackground != nullptr;
            break;
        default: break;
    }
    EndCall(ticket, S_OK);
    return result;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CallTicket ticket = BeginCall("SendMessageA", window, [&] {
        return Format("msg=0x%x wParam=0x%zx lParam=0x%zx", message, static_cast<size_t>(wParam),
                      static_cast<size_t>(lParam));
    });
    return RunCall(ticket, LRESULT(0), LastError::Set, [&]() -> Ending<LRESULT> {
        if (!FindWindowRecord(window)) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        return SendToWindow(window, message, wParam, lParam);
    });
}
