// The key state GetAsyncKeyState reads: the real keyboard as the presenter reports it, or
// a key script that replaces it; an orderly end asked for (present/orderly_end.h) holds
// Escape down from then on.
#include <algorithm>

#include "present/orderly_end.h"
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
    if (virtualKey == VK_ESCAPE && OrderlyEndRequested()) return true;
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

void ResetKeyboard() {
    Keys() = Keyboard{};
    ForgetOrderlyEnd();
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
