// The testing hooks over the platform's call bookkeeping: injected failures and the call log.
#include "call_trace.h"
#include "testing.h"

namespace vantor::testing {

void FailCall(const std::string& operation, int nth, HRESULT code) {
    platform::ArmFault(operation, nth, code, false);
}
void FailCallsFrom(const std::string& operation, int nth, HRESULT code) {
    platform::ArmFault(operation, nth, code, true);
}
void ClearFaults() { platform::DisarmFaults(); }

void RecordCalls(bool on) { platform::SetRecordingCalls(on); }
const std::vector<PlatformCall>& CallLog() { return platform::RecordedCalls(); }
std::vector<PlatformCall> CallsNamed(const std::string& operation) {
    std::vector<PlatformCall> calls;
    for (const PlatformCall& call : CallLog())
        if (call.operation == operation) calls.push_back(call);
    return calls;
}
std::vector<std::string> CallSequence() {
    std::vector<std::string> names;
    for (const PlatformCall& call : CallLog()) names.push_back(call.operation);
    return names;
}
void ClearCallLog() { platform::RecordedCalls().clear(); }

}  // namespace vantor::testing
