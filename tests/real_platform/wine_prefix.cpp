#include "real_platform/wine_prefix.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/x_session.h"

namespace vantor::testing {
namespace {

// Debian's wine64 package puts its loader here and nothing on the PATH.
constexpr char kWine[] = "/usr/lib/wine/wine64";
constexpr char kWineServer[] = "/usr/lib/wine/wineserver";

// Making a prefix installs Wine's own programs into it, by far the slowest step; every
// other step gets the usual bound.
constexpr double kCreateSeconds = 120;
constexpr double kStepSeconds = 30;

// Runs a program with arguments in a folder; the child goes with the test program.
pid_t Launch(const std::vector<std::string>& command, const std::string& folder) {
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t child = fork();
    if (child != 0) return child;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
    execv(arguments[0], arguments.data());
    _exit(127);
}

}  // namespace

WineProcess::~WineProcess() {
    if (ended_ || process_ <= 0) return;
    kill(process_, SIGKILL);
    waitpid(process_, nullptr, 0);
}

int WineProcess::Wait(double seconds) {
    if (!ended_ && process_ > 0) {
        int status = 0;
        ended_ =
            Eventually([&] { return waitpid(process_, &status, WNOHANG) == process_; }, seconds);
        if (ended_) status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return status_;
}

bool WinePrefix::Installed() { return access(kWine, X_OK) == 0; }

WinePrefix::~WinePrefix() {
    if (path_.empty()) return;
    // The prefix's server and the services it started end with it.
    WineProcess(Launch({kWineServer, "-k"}, "")).Wait(kStepSeconds);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

bool WinePrefix::Create(const std::string& display) {
    char path[] = "/tmp/vantor-wine-XXXXXX";
    if (!mkdtemp(path)) {
        error_ = "no temporary folder for the prefix";
        return false;
    }
    path_ = path;
    // Every program Wine starts from here on uses this prefix and display. Wine's .NET and
    // HTML engines are left out (their installers would download them), and its
    // diagnostics stay quiet.
    setenv("WINEPREFIX", path, 1);
    setenv("WINEARCH", "win64", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("DISPLAY", display.c_str(), 1);
    if (Run({"wineboot", "-i"}, "", kCreateSeconds) != 0) {
        error_ = "wineboot did not make the prefix";
        return false;
    }
    // Direct3D's CPU renderer point-samples stretched blits, as DirectDraw does; the
    // default renderer filters them.
    if (Run({"reg", "add", "HKCU\\Software\\Wine\\Direct3D", "/v", "renderer", "/t", "REG_SZ", "/d",
             "no3d", "/f"},
            "", kStepSeconds) != 0) {
        error_ = "the renderer could not be set in Wine's registry";
        return false;
    }
    // The registry is written when the server is idle: wait for that.
    if (WineProcess(Launch({kWineServer, "-w"}, "")).Wait(kStepSeconds) != 0) {
        error_ = "Wine's server did not settle";
        return false;
    }
    return true;
}

pid_t WinePrefix::Start(const std::vector<std::string>& command, const std::string& folder) const {
    std::vector<std::string> line = {kWine};
    line.insert(line.end(), command.begin(), command.end());
    return Launch(line, folder);
}

int WinePrefix::Run(const std::vector<std::string>& command, const std::string& folder,
                    double seconds) const {
    return WineProcess(Start(command, folder)).Wait(seconds);
}

}  // namespace vantor::testing
