// The console functions of kernel32 a program uses to reach the terminal that started it.
// A program here always runs in its parent's terminal (or whatever its standard streams
// were given), as a console program on Windows does: it is attached already.
#pragma once

#include "../base_types.h"

constexpr DWORD ATTACH_PARENT_PROCESS = static_cast<DWORD>(-1);
constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);
constexpr DWORD FILE_TYPE_UNKNOWN = 0;
constexpr DWORD FILE_TYPE_DISK = 1;
constexpr DWORD FILE_TYPE_CHAR = 2;
constexpr DWORD FILE_TYPE_PIPE = 3;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))

// Fails with ERROR_ACCESS_DENIED, as Windows does for a process already attached.
BOOL WINAPI AttachConsole(DWORD processId);
// The standard stream's handle; null when the stream is closed.
HANDLE WINAPI GetStdHandle(DWORD which);
// FILE_TYPE_CHAR for a terminal, FILE_TYPE_DISK for a file, FILE_TYPE_PIPE for a pipe or
// socket; FILE_TYPE_UNKNOWN with ERROR_INVALID_HANDLE for anything else.
DWORD WINAPI GetFileType(HANDLE file);
