// Every platform operation passes through here: the call is logged (when a test asks for
// it) and an injected failure, if one is armed for this call, is handed back.
#pragma once

#include <cstdarg>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "base_types.h"
#include "ddraw/ddraw.h"

namespace vantor::testing {
struct PlatformCall;
}

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

// Runs work that may throw (an allocation that fails); what is thrown becomes `failure`.
template <typename Result, typename Work>
Result WithoutExceptions(Result failure, Work&& work) noexcept {
    try {
        return work();
    } catch (const std::exception&) {
        return failure;
    }
}

// ---- Running an operation ----------------------------------------------------------------
//
// Every operation that can fail runs its work through RunCall, which ends it one way for all
// of DirectDraw, GDI and USER: a fault armed for the call fails it before any work is done,
// with the injected code; whatever the work throws fails it with E_OUTOFMEMORY, so that no
// exception ever leaves a platform call; and the call log records how it ended. The few
// that cannot fail (AddRef, Release, IsWindow, GetActiveWindow, DefWindowProcA, ...) only
// record their result with EndCall.
//
// DirectDraw's methods return an HRESULT, which is also what the log records. The Win32
// calls of GDI and USER return a value the caller tests (FALSE, null, 0) and the log records
// S_OK or the failure as an HRESULT; USER's calls also leave the failure's error code for
// GetLastError, as on Windows, while GDI's leave the thread's code as it was.

constexpr DWORD ERROR_OUTOFMEMORY = 14;

// The thread's last-error code: GetLastError reads it, failed USER calls set it.
inline DWORD lastErrorCode = 0;

// A Win32 call's failure, with the error code GetLastError is to give (0: none named).
struct Refusal {
    DWORD error;
};
inline Refusal Refused(DWORD error = 0) { return {error}; }

// How a Win32 call's work ended: the value the caller gets, or a refusal; and what the call
// log records.
template <typename Value>
struct Ending {
    Ending(Value handedBack, HRESULT logged = S_OK) : value(handedBack), result(logged) {}
    Ending(Refusal refusal)
        : failed(true),
          error(refusal.error),
          result(refusal.error ? MAKE_HRESULT(1, 7, refusal.error) : E_FAIL) {}
    // An injected fault; a Win32 error wrapped as an HRESULT (0x8007xxxx) gives its own
    // code back to GetLastError.
    static Ending Faulted(HRESULT injected) {
        const uint32_t code = static_cast<uint32_t>(injected);
        Ending ending(Refused((code & 0xFFFF0000u) == 0x80070000u ? code & 0xFFFFu : code));
        ending.result = injected;
        return ending;
    }

    Value value{};
    bool failed = false;
    DWORD error = 0;
    HRESULT result;
};

// Ends an operation: a fault fails it before the work runs, a throw fails it after, and the
// log records the ending.
template <typename Value, typename Work>
Ending<Value> Conclude(const CallTicket& call, Work&& work) noexcept {
    const Ending<Value> ending = call.injected
                                     ? Ending<Value>::Faulted(call.injected)
                                     : WithoutExceptions(Ending<Value>(Refused(ERROR_OUTOFMEMORY)),
                                                         std::forward<Work>(work));
    EndCall(call, ending.result);
    return ending;
}

// Whether a failed Win32 call sets the thread's last-error code.
enum class LastError { Set, Untouched };

// Runs a Win32 call's work: the caller gets the value the work hands back, or `failure`
// when it was refused, faulted or threw.
template <typename Value, typename Work>
Value RunCall(const CallTicket& call, Value failure, LastError lastError, Work&& work) noexcept {
    const Ending<Value> ending = Conclude<Value>(call, std::forward<Work>(work));
    if (!ending.failed) return ending.value;
    if (lastError == LastError::Set) lastErrorCode = ending.error;
    return failure;
}

// Runs a DirectDraw method's work, which returns the method's HRESULT.
template <typename Work>
HRESULT RunCall(const CallTicket& call, Work&& work) noexcept {
    return Conclude<HRESULT>(call,
                             [&] {
                                 const HRESULT result = work();
                                 return Ending<HRESULT>(result, result);
                             })
        .result;
}

// The same on an object that may have been released: a program may call through its pointer
// after the final Release (released_shells.h), and every method then answers
// DDERR_INVALIDOBJECT without running its work, unless a fault armed for the call comes
// first.
template <typename Work>
HRESULT RunCall(const CallTicket& call, bool released, Work&& work) noexcept {
    if (released && !call.injected) return EndCall(call, DDERR_INVALIDOBJECT);
    return RunCall(call, std::forward<Work>(work));
}

// printf-style formatting for call details.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatRect(const RECT* rect);  // "(l,t,r,b)" or "null"

// The failure an operation returns when a fault names no code.
HRESULT UsualFailure(const std::string& operation);

// Arms faults from a VANTOR_FAIL value; false, with what is wrong in `problem`, when the
// text is malformed or names an operation the platform does not have.
bool ArmFaultsFromText(const std::string& text, std::string* problem);

// For the testing hooks: faults armed from code, recording turned on and off, the log kept.
void ArmFault(const std::string& operation, int nth, HRESULT code, bool repeat);
void DisarmFaults();
void SetRecordingCalls(bool on);
std::vector<testing::PlatformCall>& RecordedCalls();

}  // namespace vantor::platform
