// The font sheet tool's own work: one pass of the font list and the glyph sheet, in this
// process, and the whole job as a user runs it (start, two passes of the list, Return,
// "Font.bmp" written, exit), beside a Pillow script doing the same job the usual way.
//
// Every run uses the DejaVu faces (without the math face, so that font 0 is DejaVu Sans,
// the face the Pillow script gets) through a fontconfig file of the benchmark's own.
//
// The tool is a program rather than a library, so its sources are compiled in here.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "testing.h"
#include "tool/font_list.cpp"
#include "tool/glyph_sheet.cpp"
#include "tool/win_main.cpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;

const fs::path kFaceDirectory = "/usr/share/fonts/truetype/dejavu";
const fs::path kFirstFace = kFaceDirectory / "DejaVuSans.ttf";

// A scratch directory holding the fonts' configuration; the benchmark works inside it.
struct Workplace {
    fs::path directory;
    std::string fontConfig;

    Workplace() {
        directory = fs::temp_directory_path() / ("tool_bench-" + std::to_string(getpid()));
        fs::create_directories(directory / "fonts");
        for (const auto& entry : fs::directory_iterator(kFaceDirectory)) {
            const std::string name = entry.path().filename().string();
            if (entry.path().extension() == ".ttf" && name.find("Math") == std::string::npos)
                fs::create_symlink(entry.path(), directory / "fonts" / name);
        }
        fontConfig = (directory / "fonts.conf").string();
        std::ofstream(fontConfig) << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << (directory / "fonts").string()
                                  << "</dir>\n  <cachedir>" << (directory / "cache").string()
                                  << "</cachedir>\n</fontconfig>\n";
        setenv("FONTCONFIG_FILE", fontConfig.c_str(), 1);
        fs::current_path(directory);
    }
    ~Workplace() {
        std::error_code ignored;
        fs::remove_all(directory, ignored);
    }
};

Workplace& TheWorkplace() {
    static Workplace workplace;
    return workplace;
}

// The tool's device, with the display taken as WinMain takes it.
void StartDisplay() {
    TheWorkplace();
    if (displayDevice.initialized) return;
    HWND window = displayDevice.CreateAppWindow(nullptr, "Vantor Application", 640, 480);
    if (displayDevice.Initialize(window, 640, 480, 16, 1) != 1) std::abort();
    displayDevice.SelectOffscreen();
}

double Seconds(const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; }

// Runs a program to its end with the extra variables; true when it exited with 0. `cpu`
// gets the processor time it used, user and system.
bool RunToEnd(const std::vector<std::string>& arguments, const std::vector<std::string>& variables,
              double& cpu) {
    std::vector<std::string> environment(variables);
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    std::vector<char*> argv, envp;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    for (const std::string& variable : environment) envp.push_back(const_cast<char*>(variable.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return false;
    cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The time of a whole job is the processor time of its process, which the load of the
// machine leaves alone; the wall-clock time is kept beside it.
void WholeJob(benchmark::State& state, const std::vector<std::string>& arguments,
              const std::vector<std::string>& variables) {
    TheWorkplace();
    double wall = 0;
    for (auto _ : state) {
        fs::remove("Font.bmp");
        const auto start = std::chrono::steady_clock::now();
        double cpu = 0;
        if (!RunToEnd(arguments, variables, cpu) || fs::file_size("Font.bmp") != 245814) {
            state.SkipWithError("the job did not write Font.bmp");
            break;
        }
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(cpu);
    }
    state.counters["wall_ms"] = benchmark::Counter(wall * 1000, benchmark::Counter::kAvgIterations);
}

void OursWholeJob(benchmark::State& state) {
    WholeJob(state, {VANTOR_FONTSHEET},
             {"VANTOR_VIDEO=headless", "VANTOR_KEYS=- - Return", "FONTCONFIG_FILE=" + TheWorkplace().fontConfig});
}

void PillowWholeJob(benchmark::State& state) {
    WholeJob(state, {"/usr/bin/python3", VANTOR_SOURCE_DIR "/bench/pillow_sheet.py", kFirstFace.string()}, {});
}

// Steps 6 to 11 of a pass: clear, enumerate and draw the visible rows; the presentation
// that follows is paced by the display and measured with the device.
void OursListPass(benchmark::State& state) {
    StartDisplay();
    listY = 0;
    DrawFontList();  // warms the font caches
    for (auto _ : state) {
        listY = 0;
        DrawFontList();
    }
    state.SetItemsProcessed(state.iterations() * 30);  // rows
}

// The 255 characters of font 0 into the sheet, and the file written.
void OursGlyphSheet(benchmark::State& state) {
    StartDisplay();
    skipTableFill = 0;
    listY = 0;
    DrawFontList();  // records the fonts, as the second pass of the list does
    selectedFont = 0;
    Surface sheetSurface;
    displayDevice.MakeSurface(sheetSurface, 4096, 20, -1);
    for (auto _ : state) {
        if (RenderGlyphSheet(sheetSurface) != 0) {
            state.SkipWithError("Font.bmp was not written");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * 255);  // characters
}

const bool registered = [] {
    benchmark::RegisterBenchmark("BM_ListPass/ours/640x480", OursListPass)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_GlyphSheet/ours/4096x20", OursGlyphSheet)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_WholeJob/ours/process", OursWholeJob)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("BM_WholeJob/pillow/process", PillowWholeJob)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    return true;
}();

}  // namespace
