#include "launch/parent_console.h"

#include <cstdio>

#include "win32.h"

namespace {

bool StreamGiven(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

}  // namespace

void UseParentConsole() {
    // A stream redirected by the parent (to a file or a pipe) stays where it was sent.
    const bool outputGiven = StreamGiven(STD_OUTPUT_HANDLE);
    const bool errorsGiven = StreamGiven(STD_ERROR_HANDLE);
    // Fails where the program has a console already, or its parent has none.
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!outputGiven && std::freopen("CONOUT$", "w", stdout) == nullptr) return;
    if (!errorsGiven && std::freopen("CONOUT$", "w", stderr) == nullptr) return;
}
