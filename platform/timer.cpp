// The multimedia timer: milliseconds of a monotonic clock, wrapping as a DWORD does after
// 2^32 ms.
#include <chrono>

#include "call_trace.h"
#include "timer.h"
#include "win32.h"

namespace vantor::platform {
namespace {

// Milliseconds a test has moved the clock forward, so that it need not wait for a tick.
DWORD advanced = 0;

}  // namespace

DWORD MillisecondsNow() {
    auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
    auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    return static_cast<DWORD>(static_cast<uint64_t>(milliseconds)) + advanced;
}

void AdvanceClock(DWORD milliseconds) { advanced += milliseconds; }

void ResetClock() { advanced = 0; }

}  // namespace vantor::platform

DWORD WINAPI timeGetTime() {
    vantor::platform::CallTicket ticket = vantor::platform::BeginCall("timeGetTime", nullptr);
    DWORD now = vantor::platform::MillisecondsNow();
    vantor::platform::EndCall(ticket, S_OK);
    return now;
}
