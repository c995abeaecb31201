// Bytes of a code page turned into UTF-16, for the single-byte code pages text reads.
#pragma once

#include "../base_types.h"

using WCHAR = char16_t;
using LPWSTR = WCHAR*;

constexpr UINT CP_ACP = 0;      // the system's ANSI code page: 1252, a Western system's
constexpr UINT CP_OEMCP = 1;    // the system's OEM code page: 437
constexpr UINT CP_SYMBOL = 42;  // byte b is U+F000 + b
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;

// Returns the characters written (or needed, with a wideLength of 0); 0 with
// ERROR_INVALID_PARAMETER for a code page this platform does not have (the multi-byte ones).
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int length, LPWSTR wide,
                               int wideLength);
