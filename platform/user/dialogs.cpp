// Message boxes, the cursor counter, and the system's stock icons and cursors.
#include <cstdio>

#include "user_state.h"

namespace vantor::platform {
namespace {

constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

// Stock icons and cursors are shared system objects: handles made from their resource
// numbers, never created or destroyed.
constexpr uintptr_t kStockIconBase = 0x7F000000;
constexpr uintptr_t kStockCursorBase = 0x7E000000;

constexpr WORD kSystemIcons[] = {32512, 32513, 32514, 32515, 32516, 32517, 32518};
constexpr WORD kSystemCursors[] = {32512, 32513, 32514, 32515, 32516, 32640, 32641, 32642,
                                   32643, 32644, 32645, 32646, 32648, 32649, 32650, 32651};

bool IsResourceNumber(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

std::string DescribeResource(LPCSTR name) {
    if (!name) return "null";
    if (IsResourceNumber(name))
        return Format("#%u", static_cast<unsigned>(reinterpret_cast<uintptr_t>(name)));
    return Format("\"%s\"", name);
}

template <size_t N>
bool Lists(const WORD (&numbers)[N], LPCSTR name) {
    if (!name || !IsResourceNumber(name)) return false;
    for (WORD number : numbers)
        if (number == reinterpret_cast<uintptr_t>(name)) return true;
    return false;
}

// The program has no resources of its own, so only the system's objects (asked for with
// a null instance) are found.
uintptr_t LoadStock(const CallTicket& ticket, HINSTANCE instance, LPCSTR name, bool listed,
                    uintptr_t base) {
    return RunCall(ticket, uintptr_t(0), LastError::Set, [&]() -> Ending<uintptr_t> {
        if (instance) return Refused(ERROR_RESOURCE_TYPE_NOT_FOUND);
        if (!listed) return Refused(ERROR_RESOURCE_NAME_NOT_FOUND);
        return base + reinterpret_cast<uintptr_t>(name);
    });
}

}  // namespace
}  // namespace vantor::platform

using namespace vantor::platform;

// Always printed on standard error as "<caption>: <text>", before any dialog, so that the
// text is said even where the dialog cannot be shown. A real dialog is shown only when a
// person can see it and no key script drives the program, so automated runs never block.
// Unlike Windows, a pending quit does not close the box unseen.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    // A null caption is shown as Windows shows it.
    std::string shownCaption = caption ? caption : "Error";
    std::string shownText = text ? text : "";
    CallTicket ticket = BeginCall("MessageBoxA", owner, [&] {
        return Format("owner=%p text=\"%s\" caption=\"%s\" type=0x%x", static_cast<void*>(owner),
                      shownText.c_str(), shownCaption.c_str(), type);
    });
    return RunCall(ticket, 0, LastError::Set, [&]() -> Ending<int> {
        if (owner && !FindWindowRecord(owner)) return Refused(ERROR_INVALID_WINDOW_HANDLE);
        std::fprintf(stderr, "%s: %s\n", shownCaption.c_str(), shownText.c_str());
        std::fflush(stderr);
        User().lastMessageBox = ShownMessageBox{owner, shownText, shownCaption, type};
        Presenter& presenter = CurrentPresenter();
        if (presenter.CanShowDialogs() && !KeyboardScripted())
            presenter.ShowDialog(shownCaption.c_str(), shownText.c_str());
        return IDOK;
    });
}

int WINAPI ShowCursor(BOOL show) {
    int counter = User().cursorCounter + (show ? 1 : -1);
    CallTicket ticket = BeginCall("ShowCursor", nullptr,
                                  [&] { return Format("show=%d counter=%d", show, counter); });
    User().cursorCounter = counter;
    CurrentPresenter().SetCursorVisible(counter >= 0);
    EndCall(ticket, S_OK);
    return counter;
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    CallTicket ticket = BeginCall("LoadIconA", instance, [&] {
        return Format("instance=%p name=%s", static_cast<void*>(instance),
                      DescribeResource(name).c_str());
    });
    return reinterpret_cast<HICON>(
        LoadStock(ticket, instance, name, Lists(kSystemIcons, name), kStockIconBase));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    CallTicket ticket = BeginCall("LoadCursorA", instance, [&] {
        return Format("instance=%p name=%s", static_cast<void*>(instance),
                      DescribeResource(name).c_str());
    });
    return reinterpret_cast<HCURSOR>(
        LoadStock(ticket, instance, name, Lists(kSystemCursors, name), kStockCursorBase));
}
