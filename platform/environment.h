// The platform's own settings, read from VANTOR_* variables as a driver reads its
// configuration: VANTOR_VIDEO, VANTOR_KEYS, VANTOR_SCREENSHOT, VANTOR_FAIL and VANTOR_CPU.
#pragma once

#include <string>
#include <vector>

namespace vantor::platform {

struct Environment {
    std::string video;  // "", "sdl", "window" or "headless"
    bool keysScripted = false;
    std::vector<std::vector<int>> keySteps;  // virtual keys held at each pump
    std::string screenshotPath;              // "" when frames are not saved
};

// Reads and checks the variables and arms VANTOR_FAIL's faults; the program's entry point
// then installs the key script in USER's keyboard (the settings know nothing of USER).
// On a bad value prints "<VARIABLE>: <reason>" on standard error and returns false.
bool ReadEnvironment();
const Environment& CurrentEnvironment();

}  // namespace vantor::platform
