// The display mode shown in an ordinary window on the desktop instead of covering the
// screen: the window's first size, and Alt+Enter switching between it and the whole screen.
#pragma once

#include <SDL.h>

namespace vantor::platform {

// Sizes the window to the largest whole multiple of the mode that leaves a margin of the
// screen free, centred; the person may size it as they like from there.
void SizeModeWindow(SDL_Window* window, int width, int height);

class WholeScreenSwitch {
public:
    // True when the event was part of an Alt+Enter, which then switched the window to the
    // whole screen or back, and must not reach the program.
    bool Switched(SDL_Window* window, const SDL_Event& sdlEvent);

private:
    bool swallowReturnUp_ = false;           // the Return of an Alt+Enter is not the program's
    SDL_Rect windowedSize_{0, 0, 640, 480};  // the window's size before it took the screen
};

}  // namespace vantor::platform
