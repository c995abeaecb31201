#include "call_trace.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "ddraw/ddraw.h"
#include "testing.h"

namespace vantor::platform {
namespace {

struct Fault {
    std::string operation;
    int countdown;  // calls of the operation still to pass before it fires
    bool repeat;    // keeps firing once reached
    HRESULT code;
};

struct TraceState {
    bool recording = false;
    std::vector<testing::PlatformCall> log;
    std::vector<Fault> faults;
};

// Never destroyed: the static device's destructor still makes platform calls at exit.
TraceState& State() {
    static TraceState* state = new TraceState;
    return *state;
}

// Every armed fault of the operation counts this call; the first that reaches its call
// decides the result.
HRESULT TakeFault(const char* operation) {
    HRESULT result = DD_OK;
    for (Fault& fault : State().faults) {
        if (fault.operation != operation || fault.countdown < 0) continue;
        if (fault.countdown > 1) {
            --fault.countdown;
            continue;
        }
        if (!fault.repeat) fault.countdown = -1;
        if (result == DD_OK) result = fault.code ? fault.code : UsualFailure(fault.operation);
    }
    return result;
}

// Every operation that passes through BeginCall, so that a fault list naming another (a
// typo, say) is refused instead of arming a fault that never fires.
// The names stay packed, several to a line.
// clang-format off
constexpr const char* kOperations[] = {
    "AddRef", "BeginPaint", "Blt", "BltFast", "CreateClipper", "CreateFontIndirectA", "CreatePalette",
    "CreateSurface", "CreateWindowExA", "DefWindowProcA", "DeleteObject", "DestroyWindow", "DirectDrawCreate",
    "DispatchMessageA", "EndPaint", "EnumFontFamiliesExA", "Flip", "FlipToGDISurface", "GetActiveWindow",
    "GetAsyncKeyState", "GetAttachedSurface", "GetBkMode", "GetCaps", "GetClientRect", "GetClipList",
    "GetClipper", "GetColorKey", "GetDC", "GetDisplayMode", "GetEntries", "GetHWnd", "GetPalette",
    "GetPixelFormat", "GetStockObject", "GetSurfaceDesc", "GetTextExtentPoint32A", "GetTextFaceA",
    "GetTextMetricsA", "InvalidateRect", "IsLost", "IsWindow", "LoadCursorA", "LoadIconA", "Lock", "MessageBoxA",
    "MoveWindow", "PeekMessageA", "PostMessageA", "PostQuitMessage", "QueryInterface", "RegisterClassA",
    "Release", "ReleaseDC", "Restore", "RestoreDisplayMode", "SelectObject", "SendMessageA", "SetBkColor",
    "SetBkMode", "SetClipList", "SetClipper", "SetColorKey", "SetCooperativeLevel", "SetDisplayMode",
    "SetEntries", "SetHWnd", "SetPalette", "SetTextAlign", "SetTextColor", "SetWindowTextA", "ShowCursor",
    "ShowWindow", "TextOutA", "TranslateMessage", "Unlock", "UpdateWindow", "timeGetTime",
};
// clang-format on

bool KnownOperation(const std::string& name) {
    for (const char* operation : kOperations)
        if (name == operation) return true;
    return false;
}

std::string KnownOperationList() {
    std::string list;
    for (const char* operation : kOperations)
        list += (list.empty() ? "" : ", ") + std::string(operation);
    return list;
}

void NoteWhetherWanted() { callTraceWanted = State().recording || !State().faults.empty(); }

}  // namespace

void ArmFault(const std::string& operation, int nth, HRESULT code, bool repeat) {
    State().faults.push_back({operation, nth < 1 ? 1 : nth, repeat, code});
    NoteWhetherWanted();
}

void DisarmFaults() {
    State().faults.clear();
    NoteWhetherWanted();
}

void SetRecordingCalls(bool on) {
    State().recording = on;
    NoteWhetherWanted();
}

std::vector<testing::PlatformCall>& RecordedCalls() { return State().log; }

bool RecordingCalls() { return State().recording; }

CallTicket CheckFault(const char* operation, const void*) {
    if (State().faults.empty()) return {-1, DD_OK};
    return {-1, TakeFault(operation)};
}

CallTicket LogCall(const char* operation, const void* object, std::string detail) {
    TraceState& state = State();
    HRESULT injected = state.faults.empty() ? DD_OK : TakeFault(operation);
    state.log.push_back({operation, std::move(detail), object, injected});
    return {static_cast<long>(state.log.size()) - 1, injected};
}

void RecordResult(long index, HRESULT result) {
    TraceState& state = State();
    if (index < static_cast<long>(state.log.size())) state.log[index].result = result;
}

std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

std::string FormatRect(const RECT* rect) {
    if (!rect) return "null";
    return Format("(%d,%d,%d,%d)", rect->left, rect->top, rect->right, rect->bottom);
}

HRESULT UsualFailure(const std::string& operation) {
    static const std::map<std::string, HRESULT> usual = {
        {"CreateSurface", DDERR_OUTOFVIDEOMEMORY},
        {"SetDisplayMode", DDERR_UNSUPPORTEDMODE},
        {"SetCooperativeLevel", DDERR_EXCLUSIVEMODEALREADYSET},
        {"QueryInterface", E_NOINTERFACE},
        {"GetAttachedSurface", DDERR_NOTFOUND},
        {"Flip", DDERR_SURFACELOST},
        {"Restore", DDERR_WRONGMODE},
        {"Lock", DDERR_SURFACEBUSY},
        {"GetDC", DDERR_CANTCREATEDC},
        {"CreatePalette", DDERR_OUTOFMEMORY},
        {"CreateClipper", DDERR_OUTOFMEMORY},
        {"SetPalette", DDERR_INVALIDPIXELFORMAT},
        {"BltFast", DDERR_SURFACEBUSY},
        {"Blt", DDERR_SURFACEBUSY},
    };
    auto found = usual.find(operation);
    return found == usual.end() ? DDERR_GENERIC : found->second;
}

// Grammar: Operation[:n][=code], comma-separated; code in decimal or 0x-hex.
bool ArmFaultsFromText(const std::string& text, std::string* problem) {
    *problem = "malformed fault list \"" + text + "\" (use Operation[:n][=code], comma-separated)";
    std::vector<Fault> parsed;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(start, end - start);
        start = end + 1;
        HRESULT code = 0;
        int nth = 1;
        if (size_t eq = item.find('='); eq != std::string::npos) {
            char* stop = nullptr;
            std::string value = item.substr(eq + 1);
            unsigned long parsedCode = std::strtoul(value.c_str(), &stop, 0);
            if (value.empty() || *stop || parsedCode == 0 || parsedCode > 0xFFFFFFFFul)
                return false;
            code = static_cast<HRESULT>(static_cast<uint32_t>(parsedCode));
            item.resize(eq);
        }
        if (size_t colon = item.find(':'); colon != std::string::npos) {
            char* stop = nullptr;
            std::string value = item.substr(colon + 1);
            long parsedNth = std::strtol(value.c_str(), &stop, 10);
            if (value.empty() || *stop || parsedNth < 1 || parsedNth > 1000000) return false;
            nth = static_cast<int>(parsedNth);
            item.resize(colon);
        }
        if (item.empty()) return false;
        for (char c : item)
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')))
                return false;
        if (!KnownOperation(item)) {
            *problem = "unknown operation \"" + item + "\" (known: " + KnownOperationList() + ")";
            return false;
        }
        parsed.push_back({item, nth, false, code});
        if (end == text.size()) break;
    }
    for (Fault& fault : parsed) State().faults.push_back(fault);
    NoteWhetherWanted();
    return !parsed.empty();
}

}  // namespace vantor::platform
