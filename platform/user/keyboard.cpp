// The key state GetAsyncKeyState reads: the real keyboard as the presenter reports it, or
// a key script that replaces it; and the orderly end asked for by a close request or a
// signal, which holds Escape down from then on.
#include <algorithm>
#include <csignal>

#include "user_state.h"

namespace vantor::platform {
namespace {

constexpr int kKeyCount = 256;
constexpr SHORT kDownNow = static_cast<SHORT>(0x8000);

struct Keyboard {
    bool down[kKeyCount] = {};
    bool scripted = false;
    std::vector<std::vector<int>> steps;
    size_t pumps = 0;  // PeekMessageA calls since the script was installed
};

Keyboard& Keys() {
    static Keyboard* keyboard = new Keyboard;
    return *keyboard;
}

// Set from a signal handler, so a plain flag of the one type such a handler may write.
volatile std::sig_atomic_t endRequested = 0;

// The first signal asks the program to end by its own path (which gives the screen
// back); a second one, for a program that does not listen, ends it at once.
extern "C" void OnInterruptSignal(int number) {
    if (endRequested) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    endRequested = 1;
}

// Before the first pump no key is down; each pump moves to the next step; after the last
// step Escape is held, so a script always ends the program.
bool ScriptHolds(const Keyboard& keys, int virtualKey) {
    if (keys.pumps == 0) return false;
    if (keys.pumps > keys.steps.size()) return virtualKey == VK_ESCAPE;
    const std::vector<int>& step = keys.steps[keys.pumps - 1];
    return std::find(step.begin(), step.end(), virtualKey) != step.end();
}

}  // namespace

bool KeyIsDown(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= kKeyCount) return false;
    if (virtualKey == VK_ESCAPE && endRequested) return true;
    const Keyboard& keys = Keys();
    return keys.scripted ? ScriptHolds(keys, virtualKey) : keys.down[virtualKey];
}

void ApplyKeyEvent(int virtualKey, bool down) {
    Keyboard& keys = Keys();
    if (keys.scripted || virtualKey < 0 || virtualKey >= kKeyCount) return;
    keys.down[virtualKey] = down;
}

void AdvanceKeyScript() {
    Keyboard& keys = Keys();
    if (keys.scripted && keys.pumps <= keys.steps.size()) ++keys.pumps;
}

void InstallKeyScript(const std::vector<std::vector<int>>& steps) {
    Keyboard& keys = Keys();
    keys.scripted = true;
    keys.steps = steps;
    keys.pumps = 0;
    std::fill(std::begin(keys.down), std::end(keys.down), false);
}

bool KeyboardScripted() { return Keys().scripted; }

void RequestOrderlyEnd() { endRequested = 1; }

void InstallInterruptHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::signal(SIGINT, OnInterruptSignal);
    std::signal(SIGTERM, OnInterruptSignal);
}

void ResetKeyboard() {
    Keys() = Keyboard{};
    endRequested = 0;
}

}  // namespace vantor::platform

using namespace vantor::platform;

// Bit 15 is the key's state at this moment; what the presenter reported so far is taken
// in first. The "pressed since last time" bit is not kept: Windows documents it as
// unreliable.
SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    DrainPresenterEvents();
    bool down = KeyIsDown(virtualKey);
    CallTicket ticket = BeginCall("GetAsyncKeyState", nullptr,
                                  [&] { return Format("vk=0x%x down=%d", virtualKey, down); });
    return RunCall(ticket, SHORT(0), LastError::Set,
                   [&]() -> Ending<SHORT> { return down ? kDownNow : SHORT(0); });
}
