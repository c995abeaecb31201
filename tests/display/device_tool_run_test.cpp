// The device under the built tool, black-box and headless: a scripted session presents
// frames and ends with Escape's exit status; the screenshot is the last frame shown.
#include <gtest/gtest.h>

#include <fstream>

#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"

namespace {

namespace hooks = vantor::testing;

hooks::BitmapImage RunToEscape(const hooks::ScratchDirectory& directory,
                               std::map<std::string, std::string> environment = {}) {
    environment["VANTOR_KEYS"] = "- - Escape";
    environment["VANTOR_SCREENSHOT"] = directory.File("frame.bmp");
    const hooks::FontsheetRun run = hooks::RunFontsheet(directory.Path(), environment);
    EXPECT_EQ(run.exitStatus, 1) << run.errorOutput;
    return hooks::DecodeBitmap(hooks::ReadFileBytes(directory.File("frame.bmp")));
}

TEST(ToolRunTest, WithNoFontsTheLastFrameIsAClearedBlackScreen) {
    const hooks::ScratchDirectory directory;
    std::ofstream(directory.File("fonts.conf"))
        << "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" << directory.Path()
        << "/cache</cachedir></fontconfig>\n";
    const hooks::BitmapImage frame =
        RunToEscape(directory, {{"FONTCONFIG_FILE", directory.File("fonts.conf")}});
    ASSERT_TRUE(frame.error.empty()) << frame.error;
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    size_t lit = 0;
    for (uint32_t pixel : frame.rgb) lit += pixel != 0;
    EXPECT_EQ(lit, 0u);
}

TEST(ToolRunTest, WithFontsTheListIsPresentedAtTheScreensSize) {
    const hooks::ScratchDirectory directory;
    const hooks::BitmapImage frame = RunToEscape(directory);
    ASSERT_TRUE(frame.error.empty()) << frame.error;
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
    size_t lit = 0;
    for (uint32_t pixel : frame.rgb) lit += pixel != 0;
    EXPECT_GT(lit, 0u);  // rows were drawn into the off-screen buffer and reached the screen
}

}  // namespace
