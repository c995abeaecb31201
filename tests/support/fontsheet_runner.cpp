#include "support/fontsheet_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace vantor::testing {
namespace {

// A run that outlives this is stuck, not slow; it is killed so the suite can report it.
constexpr auto kRunLimit = std::chrono::minutes(8);

std::vector<std::string> ProgramEnvironment(const std::map<std::string, std::string>& variables) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const size_t equals = text.find('=');
        if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    merged["VANTOR_VIDEO"] = "headless";
    merged["FONTCONFIG_FILE"] = FixtureFontConfig();
    for (const auto& [name, value] : variables) {
        if (value.empty())
            merged.erase(name);
        else
            merged[name] = value;
    }
    std::vector<std::string> result;
    for (const auto& [name, value] : merged) result.push_back(name + "=" + value);
    return result;
}

// Reads the child's standard error and output until both close, or until the time limit.
void DrainUntilClosed(int errors, int output, pid_t child, FontsheetRun* run) {
    const auto deadline = std::chrono::steady_clock::now() + kRunLimit;
    char buffer[4096];
    pollfd watch[2] = {{errors, POLLIN, 0}, {output, POLLIN, 0}};
    std::string* text[2] = {&run->errorOutput, &run->output};
    while (watch[0].fd >= 0 || watch[1].fd >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(child, SIGKILL);
            run->errorOutput += "\n[fontsheet killed: it did not end]\n";
            break;
        }
        if (poll(watch, 2, static_cast<int>(left.count())) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (watch[i].fd < 0 || watch[i].revents == 0) continue;
            const ssize_t got = read(watch[i].fd, buffer, sizeof buffer);
            if (got <= 0)
                watch[i].fd = -1;  // closed: poll skips a negative descriptor
            else
                text[i]->append(buffer, static_cast<size_t>(got));
        }
    }
}

FontsheetRun RunWithArguments(const char* program, const std::vector<std::string>& arguments,
                              const std::string& directory,
                              const std::map<std::string, std::string>& variables,
                              bool removeDirectory) {
    const std::vector<std::string> environment = ProgramEnvironment(variables);
    std::vector<char*> environmentPointers;
    for (const std::string& entry : environment)
        environmentPointers.push_back(const_cast<char*>(entry.c_str()));
    environmentPointers.push_back(nullptr);
    std::vector<char*> argumentPointers = {const_cast<char*>(program)};
    for (const std::string& argument : arguments)
        argumentPointers.push_back(const_cast<char*>(argument.c_str()));
    argumentPointers.push_back(nullptr);

    int errorPipe[2];
    int outputPipe[2];
    if (pipe2(errorPipe, O_CLOEXEC) != 0 || pipe2(outputPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        const int nothing = open("/dev/null", O_RDWR);
        if (chdir(directory.c_str()) != 0 || nothing < 0) _exit(127);
        if (removeDirectory && rmdir(directory.c_str()) != 0) _exit(127);
        dup2(nothing, STDIN_FILENO);
        dup2(outputPipe[1], STDOUT_FILENO);
        dup2(errorPipe[1], STDERR_FILENO);
        execve(program, argumentPointers.data(), environmentPointers.data());
        _exit(127);
    }
    close(errorPipe[1]);
    close(outputPipe[1]);
    FontsheetRun run;
    DrainUntilClosed(errorPipe[0], outputPipe[0], child, &run);
    close(errorPipe[0]);
    close(outputPipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

ScratchDirectory::ScratchDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/fontsheet-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    // Tests take write permission away; give it back so everything can be removed.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string FixtureFontConfig() {
    const char* configured = std::getenv("FONTCONFIG_FILE");
    if (configured != nullptr && *configured != '\0') return configured;
    return std::string(VANTOR_BINARY_DIR) + "/fonts/fonts.conf";
}

FontsheetRun RunFontsheet(const std::string& directory,
                          const std::map<std::string, std::string>& variables,
                          bool removeDirectory) {
    return RunProgram(VANTOR_FONTSHEET, nullptr, directory, variables, removeDirectory);
}

FontsheetRun RunDemo(const char* argument, const std::string& directory,
                     const std::map<std::string, std::string>& variables) {
    return RunProgram(VANTOR_DEMO, argument, directory, variables, false);
}

FontsheetRun RunProgram(const char* program, const char* argument, const std::string& directory,
                        const std::map<std::string, std::string>& variables, bool removeDirectory) {
    std::vector<std::string> arguments;
    if (argument != nullptr) arguments.emplace_back(argument);
    return RunWithArguments(program, arguments, directory, variables, removeDirectory);
}

FontsheetRun RunFontsheetCommand(const std::string& directory,
                                 const std::vector<std::string>& arguments,
                                 std::map<std::string, std::string> variables) {
    for (const char* display : {"VANTOR_VIDEO", "DISPLAY", "WAYLAND_DISPLAY"})
        variables.emplace(display, "");
    return RunWithArguments(VANTOR_FONTSHEET, arguments, directory, variables, false);
}

}  // namespace vantor::testing
