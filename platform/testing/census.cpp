#include "call_trace.h"
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
}

int LiveObjects() {
    return platform::DdrawLiveObjects() + platform::UserLiveObjects() + platform::GdiLiveObjects();
}

}  // namespace vantor::testing
