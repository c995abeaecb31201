// The presenter layer whatever presenter is in use: frames counted and kept as a viewer
// saw them, screenshots written whole, injected events first, and the presenter choice.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "environment.h"
#include "modules.h"
#include "present/presenter.h"
#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"
#include "testing.h"

namespace {

namespace platform = vantor::platform;
using platform::PixelView;

// A small 5-6-5 frame with padded rows and a distinct colour in every pixel, so that a
// flipped row order, a mirrored row or a red/blue swap all show.
struct Frame565 {
    static constexpr int kWidth = 3, kHeight = 2, kPitch = 8;
    uint16_t pixels[kHeight][kPitch / 2] = {{0xF800, 0x07E0, 0x001F, 0xDEAD},
                                            {0xFFFF, 0x0000, 0x8410, 0xBEEF}};
    PixelView View() {
        return PixelView{reinterpret_cast<uint8_t*>(pixels),
                         kWidth,
                         kHeight,
                         kPitch,
                         16,
                         0xF800,
                         0x07E0,
                         0x001F,
                         nullptr};
    }
};
// The same pixels as a viewer sees them, row by row: each channel's top bits repeated below.
const std::vector<uint32_t> kFrame565Rgb = {0xFF0000, 0x00FF00, 0x0000FF,
                                            0xFFFFFF, 0x000000, 0x848284};

std::vector<std::string> FilesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    return names;
}

class PresenterLayerTest : public ::testing::Test {
protected:
    void SetUp() override { vantor::testing::Reset(); }
    void TearDown() override {
        unsetenv("VANTOR_SCREENSHOT");
        platform::ReadEnvironment();
        vantor::testing::Reset();
    }

    vantor::testing::ScratchDirectory scratch;
};

TEST_F(PresenterLayerTest, ScreenshotIsABottomUpPaddedBitmapOfWhatWasShown) {
    Frame565 frame;
    std::string path = scratch.File("shot.bmp");
    std::ofstream(path) << "an older picture";
    ASSERT_TRUE(platform::WriteScreenshot(path.c_str(), frame.View()));

    std::vector<uint8_t> bytes = vantor::testing::ReadFileBytes(path);
    EXPECT_EQ(bytes.size(), 54u + 2 * 12);  // rows of 9 bytes padded to 12
    vantor::testing::BitmapImage image = vantor::testing::DecodeBitmap(bytes);
    ASSERT_EQ(image.error, "");
    EXPECT_TRUE(vantor::testing::SameImage(image.View(),
                                           {Frame565::kWidth, Frame565::kHeight, kFrame565Rgb}));
    EXPECT_EQ(FilesIn(scratch.Path()), std::vector<std::string>{"shot.bmp"});  // no temporary left
}

TEST_F(PresenterLayerTest, ScreenshotThatCannotBeWrittenLeavesNothing) {
    Frame565 frame;
    EXPECT_FALSE(platform::WriteScreenshot(scratch.File("missing/shot.bmp").c_str(), frame.View()));

    std::string path = scratch.File("shot.bmp");
    std::ofstream(path) << "old";
    PixelView broken = frame.View();
    broken.pitch = 4;  // shorter than a row
    EXPECT_FALSE(platform::WriteScreenshot(path.c_str(), broken));
    EXPECT_EQ(vantor::testing::ReadFileBytes(path).size(), 3u);
    EXPECT_EQ(FilesIn(scratch.Path()), std::vector<std::string>{"shot.bmp"});
}

TEST_F(PresenterLayerTest, ShownFramesAreCountedAndTheLastIsKept) {
    Frame565 frame;
    platform::Presenter& presenter = platform::CurrentPresenter();
    EXPECT_FALSE(vantor::testing::LastPresentedFrame().has_value());
    presenter.Show(frame.View(), false);
    frame.pixels[0][0] = 0x001F;  // the kept frame is a copy, not a view of the memory
    presenter.Show(frame.View(), true);
    frame.pixels[0][0] = 0x0000;

    EXPECT_EQ(vantor::testing::PresentedFrameCount(), 2);
    auto kept = vantor::testing::LastPresentedFrame();
    ASSERT_TRUE(kept.has_value());
    std::vector<uint32_t> expected = kFrame565Rgb;
    expected[0] = 0x0000FF;
    EXPECT_TRUE(vantor::testing::SameImage({kept->width, kept->height, kept->rgb},
                                           {Frame565::kWidth, Frame565::kHeight, expected}));
}

TEST_F(PresenterLayerTest, MalformedFramesAreNeitherShownNorRead) {
    Frame565 frame;
    PixelView views[4] = {frame.View(), frame.View(), frame.View(), frame.View()};
    views[0].pixels = nullptr;
    views[1].bitsPerPixel = 12;
    views[2].width = -3;
    views[3].pitch = 5;
    for (const PixelView& view : views) {
        platform::CurrentPresenter().Show(view, false);
        uint32_t untouched = 0x123456;
        platform::FrameToRgb(view, &untouched);
        EXPECT_EQ(untouched, 0x123456u);
    }
    EXPECT_EQ(vantor::testing::PresentedFrameCount(), 0);
}

TEST_F(PresenterLayerTest, EveryShownFrameGoesToTheScreenshotFile) {
    std::string path = scratch.File("screen.bmp");
    setenv("VANTOR_SCREENSHOT", path.c_str(), 1);
    ASSERT_TRUE(platform::ReadEnvironment());
    Frame565 frame;
    platform::CurrentPresenter().Show(frame.View(), false);
    frame.pixels[1][2] = 0xF800;
    platform::CurrentPresenter().Show(frame.View(), false);
    auto image = vantor::testing::DecodeBitmap(vantor::testing::ReadFileBytes(path));
    ASSERT_EQ(image.error, "");
    EXPECT_EQ(image.At(2, 1), 0xFF0000u);

    // A file that can no longer be written is reported once, and showing goes on.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    ::testing::internal::CaptureStderr();
    platform::CurrentPresenter().Show(frame.View(), false);
    platform::CurrentPresenter().Show(frame.View(), false);
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, "VANTOR_SCREENSHOT: cannot write \"" + path + "\"\n");
    EXPECT_EQ(vantor::testing::PresentedFrameCount(), 4);
}

// A presenter with one event of its own waiting.
class OneEventScreen final : public platform::Presenter {
public:
    const char* Name() const override { return "one event"; }
    bool SetMode(int, int, int) override { return true; }
    void RestoreDesktop() override {}
    void Show(const PixelView&, bool) override {}
    bool PollEvent(platform::PresenterEvent* event) override {
        if (given_) return false;
        given_ = true;
        *event = {platform::PresenterEventKind::KeyDown, VK_UP};
        return true;
    }
    void SetCursorVisible(bool) override {}
    bool CanShowDialogs() const override { return true; }
    void ShowDialog(const char*, const char*) override {}

private:
    bool given_ = false;
};

TEST_F(PresenterLayerTest, InjectedEventsComeBeforeThePresentersOwn) {
    platform::UsePresenter(std::make_unique<OneEventScreen>());
    vantor::testing::SendFocusLost();
    platform::PresenterEvent event{};
    ASSERT_TRUE(platform::CurrentPresenter().PollEvent(&event));
    EXPECT_EQ(event.kind, platform::PresenterEventKind::FocusLost);
    ASSERT_TRUE(platform::CurrentPresenter().PollEvent(&event));
    EXPECT_EQ(event.kind, platform::PresenterEventKind::KeyDown);
    EXPECT_FALSE(platform::CurrentPresenter().PollEvent(&event));

    vantor::testing::Reset();
    EXPECT_STREQ(platform::CurrentPresenter().Name(), "headless");
    EXPECT_FALSE(platform::CurrentPresenter().CanShowDialogs());
}

TEST_F(PresenterLayerTest, AutomaticChoiceWithoutADisplaySaysItRunsHeadless) {
    vantor::testing::ScratchDirectory directory;
    vantor::testing::FontsheetRun run = vantor::testing::RunFontsheet(
        directory.Path(),
        {{"VANTOR_VIDEO", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"VANTOR_KEYS", "-"}});
    const std::string line = "vantor: no display answers; running headless\n";
    EXPECT_EQ(run.exitStatus, 1);
    size_t said = run.errorOutput.find(line);
    EXPECT_NE(said, std::string::npos) << run.errorOutput;
    EXPECT_EQ(run.errorOutput.find(line, said + 1), std::string::npos) << "said more than once";

    run = vantor::testing::RunFontsheet(directory.Path(), {{"VANTOR_KEYS", "-"}});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.errorOutput.find("running headless"),
              std::string::npos);  // asked for: nothing to say
}

}  // namespace
