#include "sdl_video.h"

#include <SDL.h>

#include <cstdio>

namespace vantor::platform {
namespace {

// SDL takes the X class of its windows from this variable when its video starts (later
// versions also read it, as a hint, for each new window).
constexpr char kWindowClassVariable[] = "SDL_VIDEO_X11_WMCLASS";
std::string videoWindowClass;  // the class SDL's video was started with, once we chose one

bool WindowSystemDriver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (SDL_strcmp(driver, "x11") == 0 || SDL_strcmp(driver, "wayland") == 0);
}

}  // namespace

bool StartSdlVideo() {
    // A display is named but does not answer: say why, since the program falls back.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return ReportSdlFailure("the display does not answer");
    if (!WindowSystemDriver()) {
        std::fprintf(stderr,
                     "sdl: the display does not answer (only SDL's \"%s\" driver started)\n",
                     SDL_GetCurrentVideoDriver());
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    return true;
}

void UseWindowClass(const std::string& className) {
    if (className.empty() || className == videoWindowClass) return;
    SDL_setenv(kWindowClassVariable, className.c_str(), 1);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (!SDL_WasInit(SDL_INIT_VIDEO)) videoWindowClass = className;
    SDL_InitSubSystem(SDL_INIT_VIDEO);
}

bool ReportSdlFailure(const char* step) {
    std::fprintf(stderr, "sdl: %s: %s\n", step, SDL_GetError());
    return false;
}

}  // namespace vantor::platform
