// Every platform operation passes through here: the call is logged (when a test asks for
// it) and an injected failure, if one is armed for this call, is handed back.
#pragma once

#include <cstdarg>
#include <exception>
#include <string>

#include "base_types.h"

namespace vantor::platform {

struct CallTicket {
    long index;        // position in the call log, or -1 when not recording
    HRESULT injected;  // nonzero: the failure the call must return
};

// True while calls are recorded or a fault is armed. Otherwise, which is how programs run,
// an operation's bookkeeping is this one test: nothing is formatted, looked up or allocated.
inline bool callTraceWanted = false;

bool RecordingCalls();
CallTicket LogCall(const char* operation, const void* object, std::string detail);
CallTicket CheckFault(const char* operation, const void* object);
void RecordResult(long index, HRESULT result);

// Begins an operation. The detail is formatted only while calls are being recorded.
template <typename Describe>
CallTicket BeginCall(const char* operation, const void* object, Describe&& describe) {
    if (!callTraceWanted) return {-1, 0};
    if (RecordingCalls()) return LogCall(operation, object, describe());
    return CheckFault(operation, object);
}
inline CallTicket BeginCall(const char* operation, const void* object) {
    return BeginCall(operation, object, [] { return std::string(); });
}

// Ends an operation: records its result and hands it back.
inline HRESULT EndCall(const CallTicket& ticket, HRESULT result) {
    if (ticket.index >= 0) RecordResult(ticket.index, result);
    return result;
}

// Runs an operation's work; whatever is thrown inside (an allocation that fails) becomes
// the operation's own failure result, so that no exception ever leaves a platform call.
template <typename Result, typename Work>
Result WithoutExceptions(Result failure, Work&& work) noexcept {
    try {
        return work();
    } catch (const std::exception&) {
        return failure;
    }
}

// printf-style formatting for call details.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatRect(const RECT* rect);  // "(l,t,r,b)" or "null"

// The failure an operation returns when a fault names no code.
HRESULT UsualFailure(const std::string& operation);

// Arms faults from a VANTOR_FAIL value; false, with what is wrong in `problem`, when the
// text is malformed or names an operation the platform does not have.
bool ArmFaultsFromText(const std::string& text, std::string* problem);

}  // namespace vantor::platform
