#include "real_platform/wine_prefix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// Runs a program with arguments in a folder, its standard output into a file when one is
// named; the child goes with the test program.
pid_t Launch(const std::vector<std::string>& command, const std::string& folder,
             const std::string& output = "") {
    std::vector<char*> arguments;
    for (const std::string& argument : command)
        arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    pid_t child = fork();
    if (child != 0) return child;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (!folder.empty() && chdir(folder.c_str()) != 0) _exit(127);
    if (!output.empty()) {
        const int file = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (file < 0 || dup2(file, STDOUT_FILENO) < 0) _exit(127);
    }
    execv(arguments[0], arguments.data());
    _exit(127);
}

// A process that ends the prefix's server when told to, or when the test program ends
// however it ends: the server is kept alive on purpose and would outlive a test program
// that was killed.
pid_t LaunchServerGuard() {
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGTERM);
    const pid_t parent = getpid();
    pid_t guard = fork();
    if (guard != 0) return guard;
    sigprocmask(SIG_BLOCK, &ending, nullptr);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    int signal = 0;
    if (getppid() == parent) sigwait(&ending, &signal);
    execl(kWineServer, kWineServer, "-k", static_cast<char*>(nullptr));
    _exit(127);
}

// How a step that ran a program went, for the reason a set-up failed.
std::string Outcome(int status) {
    return status < 0 ? "it did not end, or ended by a signal"
                      : "it ended with status " + std::to_string(status);
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
    // The prefix's server and the services it started end with it; the server is gone
    // when the guard has ended.
    if (serverGuard_ > 0) {
        kill(serverGuard_, SIGTERM);
        WineProcess(serverGuard_).Wait(kStepSeconds);
    }
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
    // Left to itself the server ends the session as soon as no program runs (Debian starts
    // it so), and a program started in the seconds the session takes to end joins it: its
    // desktop already gone, so no window can be made, or the program killed with the rest.
    // One server kept from here to the end serves every step and every program instead,
    // with the desktop the set-up made on this display.
    serverGuard_ = LaunchServerGuard();
    return Succeeded("Wine's server did not start for the prefix",
                     WineProcess(Launch({kWineServer, "--persistent"}, "")).Wait(kStepSeconds)) &&
           Succeeded("wineboot did not make the prefix",
                     Run({"wineboot", "-i"}, "", kCreateSeconds)) &&
           SetRenderer();
}

// Direct3D's CPU renderer point-samples stretched blits, as DirectDraw does; the default
// renderer filters them. The value is read back: a program that ended well need not have
// written it.
bool WinePrefix::SetRenderer() {
    const std::string key = "HKCU\\Software\\Wine\\Direct3D";
    if (!Succeeded("the renderer could not be set in Wine's registry",
                   Run({"reg", "add", key, "/v", "renderer", "/t", "REG_SZ", "/d", "no3d", "/f"},
                       "", kStepSeconds)))
        return false;
    const std::string answer = path_ + "/renderer.txt";
    const int status =
        WineProcess(Start({"reg", "query", key, "/v", "renderer"}, "", answer)).Wait(kStepSeconds);
    std::ifstream in(answer);
    const std::string value{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (status == 0 && value.find("no3d") != std::string::npos) return true;
    error_ = "Wine's registry does not give the renderer back: " + Outcome(status) + ", \"" +
             value + "\"";
    return false;
}

bool WinePrefix::Succeeded(const std::string& step, int status) {
    if (status != 0) error_ = step + ": " + Outcome(status);
    return status == 0;
}

pid_t WinePrefix::Start(const std::vector<std::string>& command, const std::string& folder,
                        const std::string& output) const {
    std::vector<std::string> line = {kWine};
    line.insert(line.end(), command.begin(), command.end());
    return Launch(line, folder, output);
}

int WinePrefix::Run(const std::vector<std::string>& command, const std::string& folder,
                    double seconds) const {
    return WineProcess(Start(command, folder)).Wait(seconds);
}

}  // namespace vantor::testing
