// Wine, the real implementation of the Windows platform these machines can run: a fresh
// prefix (Wine's C: drive and registry) in a temporary folder, and Windows programs run
// in it on a given X display.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace vantor::testing {

// A Windows program running under Wine.
class WineProcess {
public:
    explicit WineProcess(pid_t process) : process_(process) {}
    ~WineProcess();
    WineProcess(const WineProcess&) = delete;
    WineProcess& operator=(const WineProcess&) = delete;

    // The program's exit status, waiting up to the given time; -1 if it has not ended or
    // did not exit normally.
    int Wait(double seconds);

private:
    pid_t process_;
    int status_ = -1;
    bool ended_ = false;
};

class WinePrefix {
public:
    // Whether Wine is installed.
    static bool Installed();

    WinePrefix() = default;
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    // Makes the prefix for programs shown on the given X display, with its server kept
    // until this ends; false (with the step that failed in Error()) when Wine could not.
    bool Create(const std::string& display);
    const std::string& Error() const { return error_; }

    // Starts a Windows program with the given arguments in the given folder (empty: this
    // process's folder), its standard output into the named file (empty: this process's).
    pid_t Start(const std::vector<std::string>& command, const std::string& folder,
                const std::string& output = "") const;
    // Runs a Windows program to its end, waiting up to the given time; its exit status,
    // -1 if it did not end.
    int Run(const std::vector<std::string>& command, const std::string& folder,
            double seconds) const;

private:
    bool SetRenderer();
    // Whether a step's program ended with status 0; if not, the step is the error.
    bool Succeeded(const std::string& step, int status);

    std::string path_;
    std::string error_;
    pid_t serverGuard_ = -1;
};

}  // namespace vantor::testing
