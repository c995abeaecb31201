// The device under the built tool, black-box and headless: a scripted session presents
// frames and ends with Escape's exit status; the screenshot is the last frame shown.
#include <gtest/gtest.h>

#include <fstream>

#include "support/bitmap_reader.h"
#include "support/device_fixture.h"

namespace {

namespace hooks = vantor::testing;

hooks::BitmapImage RunToEscape(const std::string& directory, const std::string& environment) {
    const std::string shot = directory + "/frame.bmp";
    const hooks::ToolRun run =
        hooks::RunTool(environment + " VANTOR_KEYS='- - Escape' VANTOR_SCREENSHOT='" + shot + "'", directory);
    EXPECT_EQ(run.exitCode, 1) << run.errorOutput;
    return hooks::DecodeBitmap(hooks::ReadFileBytes(shot));
}

TEST(ToolRunTest, WithNoFontsTheLastFrameIsAClearedBlackScreen) {
    const std::string directory = hooks::MakeScratchDirectory("tool_run_no_fonts");
    std::ofstream(directory + "/fonts.conf")
        << "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" << directory << "/cache</cachedir></fontconfig>\n";
    const hooks::BitmapImage frame = RunToEscape(directory, "FONTCONFIG_FILE='" + directory + "/fonts.conf'");
    ASSERT_TRUE(frame.error.empty()) << frame.error;
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    size_t lit = 0;
    for (uint32_t pixel : frame.rgb) lit += pixel != 0;
    EXPECT_EQ(lit, 0u);
}

TEST(ToolRunTest, WithFontsTheListIsPresentedAtTheScreensSize) {
    const std::string directory = hooks::MakeScratchDirectory("tool_run_fonts");
    const hooks::BitmapImage frame = RunToEscape(directory, "");
    ASSERT_TRUE(frame.error.empty()) << frame.error;
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    size_t lit = 0;
    for (uint32_t pixel : frame.rgb) lit += pixel != 0;
    EXPECT_GT(lit, 0u);  // rows were drawn into the off-screen buffer and reached the screen
}

}  // namespace
