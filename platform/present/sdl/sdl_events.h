// The window's events as the platform takes them: focus, close requests and keys.
#pragma once

#include <SDL.h>

#include "present/presenter.h"

namespace vantor::platform {

// Turns one SDL event into a presenter event; false for events the platform ignores.
bool TranslateSdlEvent(const SDL_Event& sdlEvent, PresenterEvent* event);

}  // namespace vantor::platform
