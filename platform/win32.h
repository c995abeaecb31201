// The one header the system includes for the Windows platform. On Windows it stands for
// <windows.h>, <mmsystem.h> and <ddraw.h>; here it gathers the stand-in's declarations.
#pragma once

#ifdef _WIN32

// The system has names of its own called min and max.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <ddraw.h>

#else

// The system's include path holds this header alone, so the headers it gathers reach each
// other by paths relative to themselves.
#include "base_types.h"
#include "ddraw/ddraw.h"
#include "gdi/gdi.h"
#include "kernel/console.h"
#include "kernel/multibyte.h"
#include "kernel/processor.h"
#include "user/user.h"

// Milliseconds since an arbitrary start, wrapping after 2^32.
DWORD WINAPI timeGetTime();

// The program's entry point, defined by the application as on Windows.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand);

#endif
