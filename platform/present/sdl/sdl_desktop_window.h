// The window of a program that draws on the desktop (windowed DirectDraw): an ordinary
// window without a frame, at the place of the program's client area, showing what the
// desktop holds under it. Moving or sizing it by hand is reported back as an event.
#pragma once

#include <SDL.h>

#include <vector>

#include "present/presenter.h"

namespace vantor::platform {

// Destroys what a window is shown with, each part only if it exists, and forgets them.
void DestroyWindowParts(SDL_Texture*& texture, SDL_Renderer*& renderer, SDL_Window*& window);

class SdlDesktopWindow {
public:
    SdlDesktopWindow() = default;
    ~SdlDesktopWindow() { Close(); }
    SdlDesktopWindow(const SdlDesktopWindow&) = delete;
    SdlDesktopWindow& operator=(const SdlDesktopWindow&) = delete;

    // Opens the window at the client area's place, or moves and sizes it there.
    bool Place(const ScreenArea& client, const char* title);
    void Close();
    // Shows the desktop's pixels under the client area; where the client area reaches
    // past the desktop, black.
    void Show(const PixelView& desktop, const ScreenArea& client);
    // True, with the event made, when an SDL window event says this window now stands
    // somewhere else than where it was placed.
    bool Moved(const SDL_WindowEvent& windowEvent, PresenterEvent* event);

private:
    bool MakeTexture(int width, int height);

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    ScreenArea placed_{0, 0, 0, 0};
    std::vector<uint32_t> rgb_;  // the client area as the texture takes it
};

}  // namespace vantor::platform
