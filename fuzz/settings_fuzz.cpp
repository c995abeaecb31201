// The platform's settings: the input split at zero bytes into the values of VANTOR_VIDEO,
// VANTOR_KEYS, VANTOR_SCREENSHOT and VANTOR_FAIL, read and checked as at a program's start.
#include <cstdlib>

#include "environment.h"
#include "fuzz_support.h"
#include "user/user_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vantor;
    fuzz::StartPlatform();
    static const char* const kVariables[] = {"VANTOR_VIDEO", "VANTOR_KEYS", "VANTOR_SCREENSHOT",
                                             "VANTOR_FAIL"};
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    for (const char* variable : kVariables) {
        const size_t end = std::min(input.find('\0', start), input.size());
        const std::string value = start <= input.size() ? input.substr(start, end - start) : "";
        setenv(variable, value.c_str(), 1);
        start = end + 1;
    }
    if (platform::ReadEnvironment() && platform::CurrentEnvironment().keysScripted)
        platform::InstallKeyScript(platform::CurrentEnvironment().keySteps);
    for (const char* variable : kVariables) unsetenv(variable);
    setenv("VANTOR_VIDEO", "headless", 1);
    fuzz::FinishInput("settings");
    return 0;
}
