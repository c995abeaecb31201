// The clock behind timeGetTime, for the platform's own use (message times) without
// counting as a call of the program.
#pragma once

#include "base_types.h"

namespace vantor::platform {

DWORD MillisecondsNow();
// For the testing hooks: moves the clock forward, and back to the real time.
void AdvanceClock(DWORD milliseconds);
void ResetClock();

}  // namespace vantor::platform
