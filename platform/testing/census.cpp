#include "call_trace.h"
#include "modules.h"
#include "testing.h"
#include "timer.h"

namespace vantor::testing {

void Reset() {
    platform::ResetGdi();
    platform::ResetDdraw();
    platform::ResetUser();
    platform::ResetPresenter();
    platform::ResetClock();
    ClearFaults();
    ClearCallLog();
    RecordCalls(false);
}

void AdvanceTimer(DWORD milliseconds) { platform::AdvanceClock(milliseconds); }

int LiveObjects() {
    return platform::DdrawLiveObjects() + platform::UserLiveObjects() + platform::GdiLiveObjects();
}

}  // namespace vantor::testing
