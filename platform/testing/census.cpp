#include "call_trace.h"
#include "kernel_choice.h"
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
    UsePlainKernels(false);
}

void AdvanceTimer(DWORD milliseconds) { platform::AdvanceClock(milliseconds); }

void UsePlainKernels(bool on) { platform::ForcePlainKernels(on); }

int LiveObjects() {
    return platform::DdrawLiveObjects() + platform::UserLiveObjects() + platform::GdiLiveObjects();
}

}  // namespace vantor::testing
