// What a character set stands for: its code page.
#include <cstdint>

#include "code_pages.h"

BOOL WINAPI TranslateCharsetInfo(DWORD* source, CHARSETINFO* info, DWORD flags) {
    const uintptr_t charset = reinterpret_cast<uintptr_t>(source);
    UINT codePage = 0;
    if (flags != TCI_SRCCHARSET || info == nullptr || charset > 0xFF ||
        !vantor::platform::CodePageOfCharset(static_cast<BYTE>(charset), &codePage))
        return FALSE;
    *info = {};
    info->ciCharset = static_cast<UINT>(charset);
    info->ciACP = codePage;
    return TRUE;
}
