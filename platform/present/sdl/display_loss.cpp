// When the X server goes away (the desktop session ends, the server stops, a remote
// connection drops), Xlib calls its I/O error handler from whichever call met the break,
// and that call cannot go on. Xlib's own handler ends the process with exit(), which runs
// the exit handlers: the display device's destructor then gives the screen back through
// SDL, whose window calls wait for replies from the dead connection and spin for ever.
// Ours ends the process at once instead, with nothing left to run. Nothing is lost by
// skipping the exit handlers: the display is gone with everything shown on it, and a
// sheet on disk is written to a temporary file and renamed, so it is whole or absent.
#include "display_loss.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <unistd.h>

namespace vantor::platform {
namespace {

// The process that watches the display. A dialog's process, which SDL forks from it with
// a connection of its own, loses the display at the same moment and ends without a word:
// the program reports the loss itself when the dialog comes back failed.
pid_t watchingProcess = 0;

int EndWithLostDisplay(Display*) {
    if (getpid() == watchingProcess) {
        static const char kLine[] = "vantor: the display was lost; ending\n";
        ssize_t written = write(STDERR_FILENO, kLine, sizeof kLine - 1);
        static_cast<void>(written);  // nothing more can be done about a broken standard error
    }
    _exit(1);
}

}  // namespace

void EndProgramWhenDisplayIsLost() {
    if (watchingProcess != 0) return;
    // The library SDL loaded to talk to the X server, if it did: taken from the process,
    // never loaded here.
    void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!xlib) return;
    auto setHandler =
        reinterpret_cast<decltype(&XSetIOErrorHandler)>(dlsym(xlib, "XSetIOErrorHandler"));
    if (setHandler) {
        watchingProcess = getpid();
        setHandler(EndWithLostDisplay);
    }
    dlclose(xlib);
}

}  // namespace vantor::platform
