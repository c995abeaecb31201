#include "environment.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

#include "call_trace.h"
#include "kernel_choice.h"
#include "user/user.h"

namespace vantor::platform {
namespace {

struct Settings {
    Environment environment;
    bool read = false;
};

Settings& Current() {
    static Settings* settings = new Settings;
    return *settings;
}

// An empty variable counts as unset, as shells make it easy to leave one empty.
const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

std::string Lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The virtual key of a key name, or 0 when the name is unknown.
int KeyNamed(const std::string& name) {
    static const struct {
        const char* name;
        int key;
    } named[] = {{"up", VK_UP},         {"down", VK_DOWN},     {"left", VK_LEFT},
                 {"right", VK_RIGHT},   {"return", VK_RETURN}, {"enter", VK_RETURN},
                 {"escape", VK_ESCAPE}, {"space", VK_SPACE}};
    std::string lowered = Lowered(name);
    for (const auto& entry : named)
        if (lowered == entry.name) return entry.key;
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return std::toupper(static_cast<unsigned char>(name[0]));
    return 0;
}

// One step: "-" for no key, else key names joined by "+".
bool ParseStep(const std::string& step, size_t number, std::vector<int>* keys, std::string* error) {
    if (step == "-") return true;
    size_t start = 0;
    while (true) {
        size_t end = step.find('+', start);
        std::string name =
            step.substr(start, end == std::string::npos ? std::string::npos : end - start);
        int key = KeyNamed(name);
        if (!key) {
            *error = Format(
                "VANTOR_KEYS: unknown key \"%s\" in step %zu \"%s\" (keys are Up, Down, Left, "
                "Right, "
                "Return, Escape, Space, letters and digits, joined by +; - is no key)",
                name.c_str(), number, step.c_str());
            return false;
        }
        keys->push_back(key);
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

bool ParseKeys(const std::string& text, std::vector<std::vector<int>>* steps, std::string* error) {
    size_t position = 0;
    while (true) {
        position = text.find_first_not_of(" \t\r\n", position);
        if (position == std::string::npos) break;
        size_t end = text.find_first_of(" \t\r\n", position);
        std::string step =
            text.substr(position, end == std::string::npos ? std::string::npos : end - position);
        std::vector<int> keys;
        if (!ParseStep(step, steps->size() + 1, &keys, error)) return false;
        steps->push_back(std::move(keys));
        position = end;
    }
    if (steps->empty()) *error = "VANTOR_KEYS: no steps (use - for a pump without keys)";
    return !steps->empty();
}

// A screenshot goes to a file in an existing directory we may write to.
bool CheckScreenshotPath(const std::string& path, std::string* error) {
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
        *error = "VANTOR_SCREENSHOT: \"" + path + "\" is a directory, not a file";
        return false;
    }
    size_t slash = path.find_last_of('/');
    std::string directory = slash == std::string::npos ? "."
                            : slash == 0               ? "/"
                                                       : path.substr(0, slash);
    if (stat(directory.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        access(directory.c_str(), W_OK) != 0) {
        *error = "VANTOR_SCREENSHOT: cannot write into directory \"" + directory + "\"";
        return false;
    }
    return true;
}

// Reads the variables into `environment`; each bad one adds a line to `errors`.
void Parse(Environment* environment, std::vector<std::string>* errors) {
    std::string error;
    if (const char* video = Variable("VANTOR_VIDEO")) {
        std::string lowered = Lowered(video);
        if (lowered == "sdl" || lowered == "window" || lowered == "headless")
            environment->video = lowered;
        else
            errors->push_back(Format(
                "VANTOR_VIDEO: unknown presenter \"%s\" (use sdl, window or headless)", video));
    }
    if (const char* keys = Variable("VANTOR_KEYS")) {
        if (ParseKeys(keys, &environment->keySteps, &error))
            environment->keysScripted = true;
        else
            errors->push_back(error);
    }
    // The kernel dispatcher reads VANTOR_CPU itself, as the window module must too; here it is
    // only checked, so that a mistyped value does not pass for the default.
    if (const char* cpu = Variable("VANTOR_CPU"); cpu && std::string(cpu) != kBaselineCpu)
        errors->push_back(Format("VANTOR_CPU: unknown value \"%s\" (use %s, or leave it unset)",
                                 cpu, kBaselineCpu));
    if (const char* path = Variable("VANTOR_SCREENSHOT")) {
        if (CheckScreenshotPath(path, &error))
            environment->screenshotPath = path;
        else
            errors->push_back(error);
    }
}

}  // namespace

bool ReadEnvironment() {
    Environment environment;
    std::vector<std::string> errors;
    Parse(&environment, &errors);
    std::string problem;
    if (const char* faults = Variable("VANTOR_FAIL");
        faults && !ArmFaultsFromText(faults, &problem))
        errors.push_back("VANTOR_FAIL: " + problem);
    for (const std::string& error : errors) std::fprintf(stderr, "%s\n", error.c_str());
    if (!errors.empty()) return false;
    Current() = Settings{std::move(environment), true};
    return true;
}

// A program that never called ReadEnvironment (a test) still gets the presenter and
// screenshot the variables ask for; nothing is armed or installed then.
const Environment& CurrentEnvironment() {
    Settings& settings = Current();
    if (!settings.read) {
        std::vector<std::string> ignored;
        Parse(&settings.environment, &ignored);
        settings.environment.keysScripted = false;
        settings.environment.keySteps.clear();
        settings.read = true;
    }
    return settings.environment;
}

}  // namespace vantor::platform
