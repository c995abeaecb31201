// main() of every program built on the platform: reads the platform's settings and installs
// the key script they give, then runs the application's WinMain as Windows would.
#include <string>

#include "environment.h"
#include "modules.h"
#include "user/user_state.h"
#include "win32.h"

int main(int argc, char** argv) {
    if (!vantor::platform::ReadEnvironment()) return 2;
    const vantor::platform::Environment& settings = vantor::platform::CurrentEnvironment();
    if (settings.keysScripted) vantor::platform::InstallKeyScript(settings.keySteps);
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(vantor::platform::ProgramInstance(), nullptr, commandLine.data(), SW_SHOWNORMAL);
}
