// The clock behind timeGetTime, for the platform's own use (message times) without
// counting as a call of the program.
#pragma once

#include "base_types.h"

namespace vantor::platform {

DWORD MillisecondsNow();

}  // namespace vantor::platform
