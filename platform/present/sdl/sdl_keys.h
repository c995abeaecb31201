// The keyboard as Windows names it: SDL's key codes turned into virtual-key codes.
#pragma once

#include <SDL.h>

namespace vantor::platform {

// The virtual-key code Windows gives the key, or 0 for a key it has no code for.
// Letters and digits follow the keyboard layout, as Windows' codes do.
int VirtualKeyFromSdl(SDL_Keycode key);

}  // namespace vantor::platform
