#include "sdl_events.h"

#include "sdl_keys.h"

namespace vantor::platform {
namespace {

bool EventFromWindowEvent(const SDL_WindowEvent& window, PresenterEvent* event) {
    switch (window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            *event = {PresenterEventKind::FocusGained, 0};
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST: *event = {PresenterEventKind::FocusLost, 0}; return true;
        case SDL_WINDOWEVENT_CLOSE: *event = {PresenterEventKind::CloseRequested, 0}; return true;
        default: return false;
    }
}

bool EventFromKey(const SDL_KeyboardEvent& key, PresenterEvent* event) {
    int virtualKey = VirtualKeyFromSdl(key.keysym.sym);
    if (virtualKey == 0) return false;
    PresenterEventKind kind =
        key.type == SDL_KEYDOWN ? PresenterEventKind::KeyDown : PresenterEventKind::KeyUp;
    *event = {kind, virtualKey};
    return true;
}

}  // namespace

bool TranslateSdlEvent(const SDL_Event& sdlEvent, PresenterEvent* event) {
    switch (sdlEvent.type) {
        case SDL_WINDOWEVENT: return EventFromWindowEvent(sdlEvent.window, event);
        case SDL_KEYDOWN:
        case SDL_KEYUP: return EventFromKey(sdlEvent.key, event);
        // A window-manager close, or SIGINT / SIGTERM, which SDL reports as a quit.
        case SDL_QUIT: *event = {PresenterEventKind::CloseRequested, 0}; return true;
        default: return false;
    }
}

}  // namespace vantor::platform
