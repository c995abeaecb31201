// The thread's message queue: posted messages, input, the quit flag and painting, in the
// order GetMessage and PeekMessage hand them out; presenter events are taken in first.
#include "modules.h"
#include "present/orderly_end.h"
#include "timer.h"
#include "user_state.h"

namespace vantor::platform {
namespace {

constexpr HRESULT kNothingPending = 1;  // PeekMessageA found nothing: not a failure
constexpr UINT VK_SHIFT = 0x10;
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
// lParam of key messages: a repeat count of 1; a release also sets the previous-state
// and transition bits.
constexpr LPARAM kKeyDownBits = 1;
constexpr LPARAM kKeyUpBits = static_cast<LPARAM>(0xC0000001u);

HWND const kThreadMessagesOnly = reinterpret_cast<HWND>(intptr_t{-1});

enum class Source { None, Posted, Input, Quit, Paint };

struct Candidate {
    Source source = Source::None;
    size_t index = 0;
    MSG message{};
};

const char* MessageName(UINT message) {
    switch (message) {
        case WM_CREATE: return "WM_CREATE";
        case WM_DESTROY: return "WM_DESTROY";
        case WM_ACTIVATE: return "WM_ACTIVATE";
        case WM_PAINT: return "WM_PAINT";
        case WM_CLOSE: return "WM_CLOSE";
        case WM_QUIT: return "WM_QUIT";
        case WM_KEYDOWN: return "WM_KEYDOWN";
        case WM_KEYUP: return "WM_KEYUP";
        case WM_CHAR: return "WM_CHAR";
        default: return nullptr;
    }
}

std::string DescribeMessage(const MSG& message) {
    const char* name = MessageName(message.message);
    std::string shown = name ? name : Format("0x%x", message.message);
    return Format("msg=%s hwnd=%p wParam=0x%zx lParam=0x%zx", shown.c_str(),
                  static_cast<void*>(message.hwnd), static_cast<size_t>(message.wParam),
                  static_cast<size_t>(message.lParam));
}

bool PassesFilter(const MSG& message, HWND window, UINT first, UINT last) {
    if (window == kThreadMessagesOnly) {
        if (message.hwnd) return false;
    } else if (window && message.hwnd != window) {
        return false;
    }
    return (first == 0 && last == 0) || (message.message >= first && message.message <= last);
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return MSG{window, message, wParam, lParam, MillisecondsNow(), POINT{0, 0}};
}

bool FindIn(const std::deque<MSG>& queue, Source source, HWND window, UINT first, UINT last,
            Candidate* found) {
    for (size_t i = 0; i < queue.size(); ++i) {
        if (!PassesFilter(queue[i], window, first, last)) continue;
        *found = Candidate{source, i, queue[i]};
        return true;
    }
    return false;
}

// The message PeekMessageA would hand out now, without taking it. The quit flag ignores
// the filters but waits for every posted message to be gone; painting comes last.
Candidate NextMessage(HWND window, UINT first, UINT last) {
    UserState& state = User();
    Candidate next;
    if (FindIn(state.posted, Source::Posted, window, first, last, &next)) return next;
    if (FindIn(state.input, Source::Input, window, first, last, &next)) return next;
    if (state.quitPending && state.posted.empty())
        return Candidate{Source::Quit, 0,
                         MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0)};
    for (auto& entry : state.windows) {
        const Window& record = *entry.second;
        if (!record.visible || !record.needsPaint) continue;
        MSG paint = MakeMessage(record.handle, WM_PAINT, 0, 0);
        if (PassesFilter(paint, window, first, last)) return Candidate{Source::Paint, 0, paint};
    }
    return next;
}

void Take(const Candidate& taken) {
    UserState& state = User();
    switch (taken.source) {
        case Source::Posted: state.posted.erase(state.posted.begin() + taken.index); break;
        case Source::Input: state.input.erase(state.input.begin() + taken.index); break;
        case Source::Quit: state.quitPending = false; break;
        // WM_PAINT keeps coming until the window is validated.
        case Source::Paint:
        case Source::None: break;
    }
}

void QueueKeyMessage(int virtualKey, bool down) {
    UserState& state = User();
    HWND target = state.focus ? state.focus : state.active;
    if (!target) return;
    state.input.push_back(MakeMessage(target, down ? WM_KEYDOWN : WM_KEYUP,
                                      static_cast<WPARAM>(virtualKey),
                                      down ? kKeyDownBits : kKeyUpBits));
}

// The application goes to the background: its active window is told, then DirectDraw
// loses the screen. Coming back, DirectDraw takes the mode again before the window
// that was active is reactivated.
void EnterBackground() {
    UserState& state = User();
    if (!state.foreground) return;
    state.foreground = false;
    DeactivateActiveWindow();
    DdrawFocusLost();
}

void ReturnToForeground() {
    UserState& state = User();
    if (state.foreground) return;
    state.foreground = true;
    DdrawFocusGained();
    if (state.lastActive && FindWindowRecord(state.lastActive)) MakeActive(state.lastActive);
}

// Focus changes run window procedures, which may pump messages themselves: the pending
// list is taken as a whole before any of it is handled.
void HandleFocusEvents() {
    std::vector<PresenterEvent> events;
    events.swap(User().focusEvents);
    for (const PresenterEvent& event : events) {
        if (event.kind == PresenterEventKind::FocusLost)
            EnterBackground();
        else if (event.kind == PresenterEventKind::FocusGained)
            ReturnToForeground();
        else if (User().onDesktop)
            PlaceWindow(User().onDesktop, event.x, event.y, event.width, event.height, true);
    }
}

int CharacterOfKey(int virtualKey) {
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return KeyIsDown(VK_SHIFT) ? virtualKey : virtualKey - 'A' + 'a';
    if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == VK_SPACE ||
        virtualKey == VK_ESCAPE || virtualKey == static_cast<int>(VK_BACK) ||
        virtualKey == static_cast<int>(VK_TAB))
        return virtualKey;
    if (virtualKey == VK_RETURN) return '\r';
    return 0;
}

}  // namespace

void DiscardMessagesFor(HWND window) {
    UserState& state = User();
    auto addressed = [window](const MSG& message) { return message.hwnd == window; };
    std::erase_if(state.posted, addressed);
    std::erase_if(state.input, addressed);
}

void DrainPresenterEvents() {
    PresenterEvent event;
    while (CurrentPresenter().PollEvent(&event)) {
        switch (event.kind) {
            case PresenterEventKind::KeyDown:
            case PresenterEventKind::KeyUp: {
                if (KeyboardScripted()) break;
                bool down = event.kind == PresenterEventKind::KeyDown;
                ApplyKeyEvent(event.virtualKey, down);
                QueueKeyMessage(event.virtualKey, down);
                break;
            }
            case PresenterEventKind::FocusLost:
            case PresenterEventKind::FocusGained:
            case PresenterEventKind::WindowPlaced: User().focusEvents.push_back(event); break;
            case PresenterEventKind::CloseRequested: RequestOrderlyEnd(); break;
        }
    }
}

}  // namespace vantor::platform

using namespace vantor::platform;

BOOL WINAPI PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT removeFlags) {
    AdvanceKeyScript();
    DrainPresenterEvents();
    HandleFocusEvents();
    bool windowKnown = !window || window == kThreadMessagesOnly || FindWindowRecord(window);
    Candidate next = windowKnown ? NextMessage(window, first, last) : Candidate{};
    CallTicket ticket = BeginCall("PeekMessageA", window, [&] {
        std::string taken =
            next.source == Source::None ? std::string("none") : DescribeMessage(next.message);
        return Format("filter=0x%x..0x%x remove=%u ", first, last, removeFlags) + taken;
    });
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        if (!windowKnown) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        if (!message) return Refused(ERROR_INVALID_PARAMETER);
        if (next.source == Source::None) return Ending<BOOL>(FALSE, kNothingPending);
        *message = next.message;
        if (removeFlags & PM_REMOVE) Take(next);
        return TRUE;
    });
}

// Key presses that make a character get a WM_CHAR, handed out before anything else.
BOOL WINAPI TranslateMessage(const MSG* message) {
    CallTicket ticket = BeginCall("TranslateMessage", nullptr, [&] {
        return message ? DescribeMessage(*message) : std::string("null");
    });
    bool keyMessage = message && (message->message == WM_KEYDOWN || message->message == WM_KEYUP);
    if (keyMessage && message->message == WM_KEYDOWN) {
        int character = CharacterOfKey(static_cast<int>(message->wParam));
        if (character && FindWindowRecord(message->hwnd))
            User().posted.push_front(MakeMessage(message->hwnd, WM_CHAR,
                                                 static_cast<WPARAM>(character), message->lParam));
    }
    EndCall(ticket, keyMessage ? S_OK : kNothingPending);
    return keyMessage;
}

// A message without a window (WM_QUIT among them) reaches no procedure.
LRESULT WINAPI DispatchMessageA(const MSG* message) {
    CallTicket ticket = BeginCall("DispatchMessageA", nullptr, [&] {
        return message ? DescribeMessage(*message) : std::string("null");
    });
    return RunCall(ticket, LRESULT(0), LastError::Set, [&]() -> Ending<LRESULT> {
        if (!message || !message->hwnd) return LRESULT(0);
        if (!FindWindowRecord(message->hwnd)) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        return SendToWindow(message->hwnd, message->message, message->wParam, message->lParam);
    });
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CallTicket ticket = BeginCall("PostMessageA", window, [&] {
        return DescribeMessage(MSG{window, message, wParam, lParam, 0, POINT{0, 0}});
    });
    return RunCall(ticket, FALSE, LastError::Set, [&]() -> Ending<BOOL> {
        UserState& state = User();
        if (window && !FindWindowRecord(window)) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        if (state.posted.size() >= kPostedMessageQuota) return Refused(ERROR_NOT_ENOUGH_QUOTA);
        state.posted.push_back(MakeMessage(window, message, wParam, lParam));
        return TRUE;
    });
}

// Not a posted message but a flag: calls coalesce and the last code wins.
void WINAPI PostQuitMessage(int exitCode) {
    CallTicket ticket =
        BeginCall("PostQuitMessage", nullptr, [&] { return Format("code=%d", exitCode); });
    User().quitPending = true;
    User().quitCode = exitCode;
    EndCall(ticket, S_OK);
}
