// The window presenter lives in a module of its own, loaded only when a window is wanted:
// a run without a screen then never loads SDL and the many libraries it brings in.
#pragma once

#include "presenter.h"

namespace vantor::platform {

// The module's file name (sdl_module.cpp says where it is looked for).
inline constexpr char kSdlPresenterModule[] = "libvantor_sdl_presenter.so";

// The module's one entry: a new presenter the caller owns, or null (the reason on
// standard error) when the named display does not answer. inWindow: display modes are
// shown in a window on the desktop rather than over the whole screen.
extern "C" Presenter* VantorMakeSdlPresenter(bool inWindow);
inline constexpr char kSdlPresenterEntry[] = "VantorMakeSdlPresenter";

}  // namespace vantor::platform
