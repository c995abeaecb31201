// SDL's video, as the window presenter starts and uses it: only a real window system will
// do, and the X class of the windows is chosen when video starts.
#pragma once

#include <string>

namespace vantor::platform {

// Starts SDL's video; false, saying why on standard error, when no window system answers.
bool StartSdlVideo();

// Starts video anew with the given X class for the windows made from now on, when it was
// started with another; "" keeps the class SDL gives. Call it while no window of ours is
// open: where others still hold SDL's video the windows keep the class they had.
void UseWindowClass(const std::string& className);

// Says on standard error which step failed and SDL's reason; returns false.
bool ReportSdlFailure(const char* step);

}  // namespace vantor::platform
