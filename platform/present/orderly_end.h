// The orderly end a program is asked for while it shows itself: by a close request of the
// presenter's window or by SIGINT or SIGTERM. USER's keyboard turns it into a held Escape
// (user/keyboard.cpp), so that the program ends by its own path and gives the screen back.
#pragma once

namespace vantor::platform {

// From now on the program is asked to end.
void RequestOrderlyEnd();
bool OrderlyEndRequested();
void ForgetOrderlyEnd();  // for the platform's reset
// SIGINT and SIGTERM ask for an orderly end; a second one ends the process at once.
// Installed when the program first takes the screen or places a window on the desktop.
void InstallInterruptHandlers();

}  // namespace vantor::platform
