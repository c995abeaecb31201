#include "sdl_keys.h"

namespace vantor::platform {
namespace {

// Virtual-key codes of Windows (winuser.h values).
enum : int {
    kBack = 0x08,
    kTab = 0x09,
    kReturn = 0x0D,
    kShift = 0x10,
    kControl = 0x11,
    kMenu = 0x12,  // Alt
    kPause = 0x13,
    kCapital = 0x14,
    kEscape = 0x1B,
    kSpace = 0x20,
    kPrior = 0x21,  // Page Up
    kNext = 0x22,   // Page Down
    kEnd = 0x23,
    kHome = 0x24,
    kLeft = 0x25,
    kUp = 0x26,
    kRight = 0x27,
    kDown = 0x28,
    kInsert = 0x2D,
    kDelete = 0x2E,
    kNumpad0 = 0x60,
    kMultiply = 0x6A,
    kAdd = 0x6B,
    kSubtract = 0x6D,
    kDecimal = 0x6E,
    kDivide = 0x6F,
    kF1 = 0x70,
};

int KeypadKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_KP_0: return kNumpad0;
        case SDLK_KP_1:
        case SDLK_KP_2:
        case SDLK_KP_3:
        case SDLK_KP_4:
        case SDLK_KP_5:
        case SDLK_KP_6:
        case SDLK_KP_7:
        case SDLK_KP_8:
        case SDLK_KP_9: return kNumpad0 + 1 + (key - SDLK_KP_1);
        case SDLK_KP_ENTER: return kReturn;  // Windows reports both Enter keys as VK_RETURN
        case SDLK_KP_MULTIPLY: return kMultiply;
        case SDLK_KP_PLUS: return kAdd;
        case SDLK_KP_MINUS: return kSubtract;
        case SDLK_KP_PERIOD: return kDecimal;
        case SDLK_KP_DIVIDE: return kDivide;
        default: return 0;
    }
}

int NamedKey(SDL_Keycode key) {
    switch (key) {
        case SDLK_BACKSPACE: return kBack;
        case SDLK_TAB: return kTab;
        case SDLK_RETURN: return kReturn;
        case SDLK_ESCAPE: return kEscape;
        case SDLK_SPACE: return kSpace;
        case SDLK_PAGEUP: return kPrior;
        case SDLK_PAGEDOWN: return kNext;
        case SDLK_END: return kEnd;
        case SDLK_HOME: return kHome;
        case SDLK_LEFT: return kLeft;
        case SDLK_UP: return kUp;
        case SDLK_RIGHT: return kRight;
        case SDLK_DOWN: return kDown;
        case SDLK_INSERT: return kInsert;
        case SDLK_DELETE: return kDelete;
        case SDLK_PAUSE: return kPause;
        case SDLK_CAPSLOCK: return kCapital;
        // GetAsyncKeyState's generic modifier codes answer for either side.
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return kShift;
        case SDLK_LCTRL:
        case SDLK_RCTRL: return kControl;
        case SDLK_LALT:
        case SDLK_RALT: return kMenu;
        default: return KeypadKey(key);
    }
}

}  // namespace

int VirtualKeyFromSdl(SDL_Keycode key) {
    // Windows names letter keys by their capital and digit keys by their digit.
    if (key >= SDLK_a && key <= SDLK_z) return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return kF1 + (key - SDLK_F1);
    return NamedKey(key);
}

}  // namespace vantor::platform
