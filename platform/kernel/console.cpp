#include "console.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../user/user.h"

namespace {

// A standard stream's handle is its descriptor plus one, so that a null handle is none.
HANDLE HandleOfDescriptor(int descriptor) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(descriptor) + 1);
}

int DescriptorOfHandle(HANDLE handle) {
    const intptr_t value = reinterpret_cast<intptr_t>(handle);
    return value >= 1 && value <= 3 ? static_cast<int>(value - 1) : -1;
}

}  // namespace

BOOL WINAPI AttachConsole(DWORD) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

HANDLE WINAPI GetStdHandle(DWORD which) {
    int descriptor = -1;
    if (which == STD_INPUT_HANDLE) descriptor = STDIN_FILENO;
    if (which == STD_OUTPUT_HANDLE) descriptor = STDOUT_FILENO;
    if (which == STD_ERROR_HANDLE) descriptor = STDERR_FILENO;
    if (descriptor < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    return fcntl(descriptor, F_GETFD) == -1 ? nullptr : HandleOfDescriptor(descriptor);
}

DWORD WINAPI GetFileType(HANDLE file) {
    const int descriptor = DescriptorOfHandle(file);
    struct stat status;
    if (descriptor < 0 || fstat(descriptor, &status) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    if (isatty(descriptor)) return FILE_TYPE_CHAR;
    if (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode)) return FILE_TYPE_PIPE;
    return S_ISREG(status.st_mode) || S_ISBLK(status.st_mode) ? FILE_TYPE_DISK : FILE_TYPE_CHAR;
}
