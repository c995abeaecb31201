#include "multibyte.h"

#include <cstring>

#include "../gdi/code_pages.h"
#include "../user/user.h"

namespace {

UINT ConcreteCodePage(UINT codePage) {
    if (codePage == CP_ACP) return 1252;
    if (codePage == CP_OEMCP) return 437;
    return codePage;
}

}  // namespace

int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR bytes, int length, LPWSTR wide,
                               int wideLength) {
    char32_t character = 0;
    codePage = ConcreteCodePage(codePage);
    if (bytes == nullptr || length < -1 || wideLength < 0 || (wideLength > 0 && !wide) ||
        !vantor::platform::CharacterOfCodePageByte(codePage, 0, &character)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // -1: the bytes up to their zero byte, which is converted too.
    const size_t count = length == -1 ? std::strlen(bytes) + 1 : static_cast<size_t>(length);
    if (wideLength == 0) return static_cast<int>(count);
    if (count > static_cast<size_t>(wideLength)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (size_t i = 0; i < count; ++i) {
        vantor::platform::CharacterOfCodePageByte(codePage, static_cast<uint8_t>(bytes[i]),
                                                  &character);
        wide[i] = static_cast<WCHAR>(character);
    }
    return static_cast<int>(count);
}
