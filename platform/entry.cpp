// main() of every program built on the platform: reads the platform's settings and installs
// the key script they give, then runs the application's WinMain as Windows would.
#include <cstdio>
#include <cstring>
#include <string>

#include "environment.h"
#include "modules.h"
#include "present/presenter.h"
#include "user/user_state.h"
#include "win32.h"
#include "windows_command_line.h"

namespace {

const char* ProgramName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

}  // namespace

int main(int argc, char** argv) {
    if (!vantor::platform::ReadEnvironment()) return 2;
    const vantor::platform::Environment& settings = vantor::platform::CurrentEnvironment();
    if (settings.keysScripted) vantor::platform::InstallKeyScript(settings.keySteps);
    // Started without arguments, a program waits for keys; where none can come it would
    // wait for ever, so it says why it does not start.
    if (argc < 2 && !vantor::platform::KeysCanArrive()) {
        const char* name = ProgramName(argv[0]);
        std::fprintf(stderr,
                     "%s: no display answers and VANTOR_KEYS is not set, so no key could reach "
                     "it; try '%s --help'\n",
                     name, name);
        return 2;
    }
    std::string commandLine = vantor::platform::WindowsCommandLine(argc, argv);
    return WinMain(vantor::platform::ProgramInstance(), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
