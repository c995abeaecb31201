#include "call_trace.h"
#include "kernel_choice.h"
#include "modules.h"
#include "testing.h"

namespace vantor::testing {

void Reset() {
    platform::ResetGdi();
    platform::ResetDdraw();
    platform::ResetUser();
    platform::ResetPresenter();
    ClearFaults();
    ClearCallLog();
    RecordCalls(false);
    UsePlainKernels(false);
}

void UsePlainKernels(bool on) { platform::ForcePlainKernels(on); }

int LiveObjects() {
    return platform::DdrawLiveObjects() + platform::UserLiveObjects() + platform::GdiLiveObjects();
}

}  // namespace vantor::testing
