// What happens when the connection to the display breaks: the program ends at once with
// status 1, saying so in one line on standard error.
#pragma once

namespace vantor::platform {

// Takes over Xlib's report of a broken connection for the rest of the process, once SDL
// has opened the display. Does nothing when SDL does not talk to an X server.
void EndProgramWhenDisplayIsLost();

}  // namespace vantor::platform
