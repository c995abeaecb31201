// main() of every program built on the platform: reads the platform's settings, then runs
// the application's WinMain as Windows would.
#include <string>

#include "environment.h"
#include "modules.h"
#include "win32.h"

int main(int argc, char** argv) {
    if (!vantor::platform::ReadEnvironment()) return 2;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(vantor::platform::ProgramInstance(), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
