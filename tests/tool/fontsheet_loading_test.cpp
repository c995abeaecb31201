// A run without a window must not load the window system's libraries: they cost the
// job more time than anything it does. The dynamic loader's own trace says what is loaded.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/fontsheet_runner.h"

namespace vantor::testing {
namespace {

std::string LoadedLibraries(const std::map<std::string, std::string>& display) {
    ScratchDirectory scratch;
    std::map<std::string, std::string> variables = display;
    variables["VANTOR_KEYS"] = "- - Return";
    variables["LD_DEBUG"] = "files";
    FontsheetRun run = RunFontsheet(scratch.Path(), variables);
    EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
    // The trace must be there at all, or its silence about SDL would prove nothing.
    EXPECT_NE(run.errorOutput.find("libfreetype"), std::string::npos) << run.errorOutput;
    return run.errorOutput;
}

TEST(FontsheetLoadingTest, HeadlessRunsNeverLoadTheWindowSystem) {
    const std::map<std::string, std::string> headlessRuns[] = {
        {{"VANTOR_VIDEO", "headless"}, {"DISPLAY", ":0"}},
        {{"VANTOR_VIDEO", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}},
    };
    for (const auto& display : headlessRuns) {
        std::string trace = LoadedLibraries(display);
        EXPECT_EQ(trace.find("libSDL2"), std::string::npos) << trace;
        EXPECT_EQ(trace.find("vantor_sdl_presenter"), std::string::npos) << trace;
    }
}

}  // namespace
}  // namespace vantor::testing
