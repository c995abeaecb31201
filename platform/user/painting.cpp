// Painting: the flag that says a window must be painted, WM_PAINT sent by UpdateWindow,
// and BeginPaint and EndPaint around a procedure's painting.
#include "user_state.h"

namespace vantor::platform {

void ValidateWindow(Window& window) { window.needsPaint = false; }

}  // namespace vantor::platform

using namespace vantor::platform;

BOOL WINAPI UpdateWindow(HWND window) {
    CallTicket ticket = BeginCall("UpdateWindow", window);
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        Window* record = FindWindowRecord(window);
        if (!record) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        if (record->visible && record->needsPaint) SendToWindow(window, WM_PAINT, 0, 0);
        return TRUE;
    });
}

// The stand-in's windows have no pixels of their own (the screen belongs to DirectDraw),
// so there is no display context to paint with: the region is validated and the
// context handed out is null.
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
    CallTicket ticket = BeginCall("BeginPaint", window);
    return RunCall(ticket, HDC(nullptr), LastError::Set, [&]() -> Ending<HDC> {
        Window* record = FindWindowRecord(window);
        if (!record) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        if (!paint) return Refused(ERROR_INVALID_PARAMETER);
        *paint = PAINTSTRUCT{};
        if (record->needsPaint) paint->rcPaint = RECT{0, 0, record->width, record->height};
        ValidateWindow(*record);
        return HDC(nullptr);
    });
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT*) {
    CallTicket ticket = BeginCall("EndPaint", window);
    EndCall(ticket, S_OK);
    return TRUE;
}

// A null window stands for every window. The stand-in keeps one flag per window rather
// than a region: any part invalid makes the whole window be painted.
BOOL WINAPI InvalidateRect(HWND window, const RECT* rect, BOOL) {
    CallTicket ticket =
        BeginCall("InvalidateRect", window, [&] { return "rect=" + FormatRect(rect); });
    auto invalidate = [rect](Window& record) {
        bool touchesClient =
            !rect || (rect->left < rect->right && rect->top < rect->bottom && rect->right > 0 &&
                      rect->bottom > 0 && rect->left < record.width && rect->top < record.height);
        if (record.visible && touchesClient) record.needsPaint = true;
    };
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        if (!window) {
            for (auto& entry : User().windows) invalidate(*entry.second);
        } else if (Window* record = FindWindowRecord(window)) {
            invalidate(*record);
        } else {
            return Refused(ERROR_INVALID_WINDOW_HANDLE);
        }
        return TRUE;
    });
}
