#include "orderly_end.h"

#include <csignal>

namespace vantor::platform {
namespace {

// Set from a signal handler, so a plain flag of the one type such a handler may write.
volatile std::sig_atomic_t endRequested = 0;

// The first signal asks the program to end by its own path (which gives the screen
// back); a second one, for a program that does not listen, ends it at once.
extern "C" void OnInterruptSignal(int number) {
    if (endRequested) {
        std::signal(number, SIG_DFL);
        std::raise(number);
        return;
    }
    endRequested = 1;
}

}  // namespace

void RequestOrderlyEnd() { endRequested = 1; }

bool OrderlyEndRequested() { return endRequested != 0; }

void ForgetOrderlyEnd() { endRequested = 0; }

void InstallInterruptHandlers() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    std::signal(SIGINT, OnInterruptSignal);
    std::signal(SIGTERM, OnInterruptSignal);
}

}  // namespace vantor::platform
