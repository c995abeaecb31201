// What the benchmarks of the font sheet tool share: a scratch directory to work in, with
// fontconfig files naming font sets of the benchmark's own, the tool's display taken as
// WinMain takes it, one pass of the font list, and programs run to their end as processes.
//
// Included after the tool's sources, which the benchmark programs compile in.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace vantor::bench {

namespace fs = std::filesystem;

// A scratch directory the benchmark works inside, removed at the end. Fonts' caches
// (fontconfig's and the platform's, through XDG_CACHE_HOME) are kept in it, so a second
// run of a process finds them warm and no run depends on the machine's caches.
class Workplace {
public:
    explicit Workplace(const std::string& name)
        : directory_(fs::temp_directory_path() / (name + "-" + std::to_string(getpid()))) {
        fs::create_directories(directory_);
        setenv("XDG_CACHE_HOME", (directory_ / "cache").c_str(), 1);
        fs::current_path(directory_);
    }
    ~Workplace() {
        std::error_code ignored;
        fs::remove_all(directory_, ignored);
    }
    Workplace(const Workplace&) = delete;
    Workplace& operator=(const Workplace&) = delete;

    fs::path Path(const std::string& name) const { return directory_ / name; }

    // Writes <name>.conf, a fontconfig file listing the directories, and returns its path.
    std::string FontConfig(const std::string& name,
                           const std::vector<fs::path>& directories) const {
        const std::string path = Path(name + ".conf").string();
        std::ofstream file(path);
        file << "<?xml version=\"1.0\"?>\n<fontconfig>\n";
        for (const fs::path& directory : directories)
            file << "  <dir>" << directory.string() << "</dir>\n";
        file << "  <cachedir>" << Path("fontconfig-cache").string()
             << "</cachedir>\n</fontconfig>\n";
        return path;
    }

private:
    fs::path directory_;
};

// The tool's device, with the display taken as WinMain takes it.
inline void StartDisplay() {
    if (displayDevice.initialized) return;
    HWND window = displayDevice.CreateAppWindow(nullptr, "Vantor Application", 640, 480);
    if (displayDevice.Initialize(window, 640, 480, 16, 1) != 1) std::abort();
    displayDevice.SelectOffscreen();
}

// Steps 6 to 11 of a pass: clear, enumerate and draw the visible rows; the presentation
// that follows is paced by the display and measured with the device. The fonts are those
// of the process's fontconfig file; "records" counts what one pass enumerates.
inline void ListPass(benchmark::State& state) {
    StartDisplay();
    displayDevice.SelectOffscreen();  // whatever a benchmark before this one drew on
    listY = 0;
    DrawFontList();  // warms the font caches
    for (auto _ : state) {
        listY = 0;
        DrawFontList();
    }
    state.counters["records"] = fontCount;
}

inline double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6;
}

// Runs a program to its end, its output discarded, with the extra variables and returns its exit status (-1 when
// it could not be run or did not exit). `cpu` gets the processor time it used, user and system.
inline int RunToEnd(const std::vector<std::string>& arguments,
                    const std::vector<std::string>& variables, double& cpu) {
    std::vector<std::string> environment(variables);
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    for (const std::string& variable : environment)
        envp.push_back(const_cast<char*>(variable.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    // What a program prints (the command line's summary) would break up the benchmark's table.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &quiet, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return -1;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return -1;
    cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vantor::bench
