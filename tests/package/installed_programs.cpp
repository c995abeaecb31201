// Programs run from where they were installed, in a real window: the example built on the
// installed package (its build folder gone), which finds the window module through its
// run path, and the installed demo, which finds it relative to itself.
#include <gtest/gtest.h>

#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"
#include "support/x_session.h"

namespace vantor::testing {
namespace {

// The last frame a program showed in a window on the session, after two frames and Escape.
BitmapImage LastFrame(const XSession& session, const char* program, const char* argument) {
    ScratchDirectory directory;
    FontsheetRun run = RunProgram(program, argument, directory.Path(),
                                  {{"VANTOR_VIDEO", "sdl"},
                                   {"DISPLAY", session.Display()},
                                   {"VANTOR_KEYS", "- -"},
                                   {"VANTOR_SCREENSHOT", directory.File("frame.bmp")}},
                                  false);
    EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
    EXPECT_EQ(run.errorOutput.find("window module"), std::string::npos) << run.errorOutput;
    return DecodeBitmap(ReadFileBytes(directory.File("frame.bmp")));
}

TEST(Package, InstalledProgramsRunInAWindow) {
    XSession session;
    ASSERT_TRUE(session.Start(kXScreenWidth, kXScreenHeight)) << session.Error();

    // The example's backdrop (0, 0, 96) and its stretched red tile (200, 0, 0), at 5-6-5.
    const BitmapImage example = LastFrame(session, VANTOR_INSTALLED_EXAMPLE, nullptr);
    ASSERT_EQ(example.width, kModeWidth) << example.error;
    ASSERT_EQ(example.height, kModeHeight);
    EXPECT_EQ(example.At(4, 4), 0x000063u);
    EXPECT_EQ(example.At(500, 280), 0xCE0000u);

    const BitmapImage demo = LastFrame(session, VANTOR_INSTALLED_DEMO, "-window");
    EXPECT_EQ(demo.width, kModeWidth) << demo.error;
}

}  // namespace
}  // namespace vantor::testing
