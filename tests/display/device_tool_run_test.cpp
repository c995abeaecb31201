// The device under the built tool, black-box and headless: a scripted session presents
// frames and ends with Escape's exit status; the screenshot is the last frame shown.
#include <gtest/gtest.h>

#include "support/bitmap_reader.h"
#include "support/device_fixture.h"

namespace {

namespace hooks = vantor::testing;

TEST(ToolRunTest, AScriptedSessionPresentsFramesAndEndsOnEscape) {
    const std::string directory = hooks::MakeScratchDirectory("tool_run_escape");
    const std::string shot = directory + "/frame.bmp";
    const hooks::ToolRun run =
        hooks::RunTool("VANTOR_KEYS='- - Escape' VANTOR_SCREENSHOT='" + shot + "'", directory);
    EXPECT_EQ(run.exitCode, 1) << run.errorOutput;
    const hooks::BitmapImage frame = hooks::DecodeBitmap(hooks::ReadFileBytes(shot));
    ASSERT_TRUE(frame.error.empty()) << frame.error;
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
}

}  // namespace
