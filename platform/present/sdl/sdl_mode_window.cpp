#include "sdl_mode_window.h"

#include <algorithm>

namespace vantor::platform {

void SizeModeWindow(SDL_Window* window, int width, int height) {
    SDL_Rect usable{0, 0, width, height};
    SDL_GetDisplayUsableBounds(0, &usable);
    const int scale = std::max(1, std::min(usable.w * 7 / 8 / width, usable.h * 7 / 8 / height));
    SDL_SetWindowSize(window, width * scale, height * scale);
    SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
}

// Neither the Return of an Alt+Enter nor the Return's release reaches the program, which
// would take it for its own Enter.
bool WholeScreenSwitch::Switched(SDL_Window* window, const SDL_Event& sdlEvent) {
    if (!window || (sdlEvent.type != SDL_KEYDOWN && sdlEvent.type != SDL_KEYUP)) return false;
    const SDL_Keysym& key = sdlEvent.key.keysym;
    if (key.sym != SDLK_RETURN && key.sym != SDLK_KP_ENTER) return false;
    if (sdlEvent.type == SDL_KEYUP) {
        const bool swallowed = swallowReturnUp_;
        swallowReturnUp_ = false;
        return swallowed;
    }
    if (!(key.mod & KMOD_ALT)) return false;
    swallowReturnUp_ = true;
    if (sdlEvent.key.repeat) return true;
    if (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) {
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowBordered(window, SDL_TRUE);
        // Back at its size, centred: where it stood is not known reliably without a window
        // manager.
        SDL_SetWindowSize(window, windowedSize_.w, windowedSize_.h);
        SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    } else {
        SDL_GetWindowSize(window, &windowedSize_.w, &windowedSize_.h);
        // Placed over the screen first, so that it covers it also where no window manager
        // honours the full-screen request.
        SDL_Rect screen{0, 0, 640, 480};
        SDL_GetDisplayBounds(0, &screen);
        SDL_SetWindowBordered(window, SDL_FALSE);
        SDL_SetWindowPosition(window, screen.x, screen.y);
        SDL_SetWindowSize(window, screen.w, screen.h);
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    }
    return true;
}

}  // namespace vantor::platform
