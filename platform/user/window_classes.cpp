// Window classes: registering one, and finding one by atom, or by name regardless of case.
#include <algorithm>
#include <cctype>

#include "user_state.h"

namespace vantor::platform {
namespace {

constexpr ATOM kFirstClassAtom = 0xC000;
ATOM nextAtom = kFirstClassAtom;

bool IsAtomName(LPCSTR name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

std::string Folded(const std::string& name) {
    std::string folded = name;
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

}  // namespace

std::string DescribeClassName(LPCSTR name) {
    if (IsAtomName(name))
        return Format("#%u", static_cast<unsigned>(reinterpret_cast<uintptr_t>(name)));
    return name;
}

// A class is found by atom or by name regardless of case; the caller's own instance is
// searched first, as Windows searches the application's classes before others.
const WindowClass* FindClass(LPCSTR name, HINSTANCE instance) {
    const WindowClass* found = nullptr;
    std::string folded = IsAtomName(name) ? std::string() : Folded(name);
    for (const WindowClass& windowClass : User().classes) {
        bool matches = IsAtomName(name) ? windowClass.atom == reinterpret_cast<uintptr_t>(name)
                                        : windowClass.foldedName == folded;
        if (!matches) continue;
        if (windowClass.record.hInstance == instance) return &windowClass;
        if (!found) found = &windowClass;
    }
    return found;
}

}  // namespace vantor::platform

using namespace vantor::platform;

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
    CallTicket ticket = BeginCall("RegisterClassA", nullptr, [&] {
        if (!windowClass || !windowClass->lpszClassName) return std::string("null");
        return Format("class=\"%s\" style=0x%x instance=%p",
                      DescribeClassName(windowClass->lpszClassName).c_str(), windowClass->style,
                      static_cast<void*>(windowClass->hInstance));
    });
    return RunCall(ticket, ATOM(0), LastError::Set, [&]() -> Ending<ATOM> {
        if (!windowClass || !windowClass->lpfnWndProc || IsAtomName(windowClass->lpszClassName) ||
            !*windowClass->lpszClassName || windowClass->cbClsExtra < 0 ||
            windowClass->cbWndExtra < 0)
            return Refused(ERROR_INVALID_PARAMETER);
        const WindowClass* existing = FindClass(windowClass->lpszClassName, windowClass->hInstance);
        if (existing && existing->record.hInstance == windowClass->hInstance)
            return Refused(ERROR_CLASS_ALREADY_EXISTS);
        WindowClass added{windowClass->lpszClassName, Folded(windowClass->lpszClassName),
                          nextAtom++, *windowClass};
        added.record.lpszClassName = nullptr;
        added.record.lpszMenuName = nullptr;
        User().classes.push_back(added);
        return added.atom;
    });
}
