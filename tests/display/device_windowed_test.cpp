// The display in a window: the desktop keeps its mode, frames are blitted into the
// window's client area through a clipper bound to the window, windowRect follows the
// window, nothing is written outside it, and Shutdown lets the clipper go.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "testing.h"

namespace {

namespace hooks = vantor::testing;
using ::testing::HasSubstr;

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;
constexpr int32_t kDesktopWidth = 640;  // the headless desktop
constexpr int32_t kDesktopHeight = 480;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A picture no shift or mirror maps onto itself: every pixel its own value.
void DrawPicture(DisplayDevice& display) {
    uint8_t* pixels = display.LockTarget(1);
    ASSERT_NE(pixels, nullptr);
    for (int32_t y = 0; y < display.targetHeight; ++y)
        for (int32_t x = 0; x < display.targetWidth; ++x)
            reinterpret_cast<uint32_t*>(pixels)[display.pixelOffsets[y] + x] =
                uint32_t(y) << 12 | uint32_t(x);
    display.UnlockTarget();
}

class WindowedDeviceTest : public hooks::DeviceTest {
protected:
    DisplayDevice& StartWindowed() {
        MakeDevice();
        window = device->CreateAppWindow(nullptr, "Vantor Application", kWidth, kHeight);
        EXPECT_NE(window, nullptr);
        EXPECT_EQ(device->InitializeWindowed(window, kWidth, kHeight), 1);
        return *device;
    }
};

TEST_F(WindowedDeviceTest, StartsOnTheDesktopWithAClipperBoundToTheWindowAndNoModeChange) {
    const int cursorBefore = hooks::CursorCounter();
    hooks::RecordCalls(true);
    DisplayDevice& display = StartWindowed();
    std::vector<std::string> details;
    for (const hooks::PlatformCall& call : hooks::CallLog())
        if (call.operation == "SetCooperativeLevel" || call.operation == "CreateSurface" ||
            call.operation == "CreateClipper" || call.operation == "SetHWnd" ||
            call.operation == "SetClipper" || call.operation == "SetDisplayMode")
            details.push_back(call.operation + " " + call.detail);
    EXPECT_THAT(details,
                ::testing::ElementsAre(
                    "SetCooperativeLevel flags=0x8",
                    "CreateSurface flags=0x1 caps=0x200 backbuffers=0 width=0 height=0",
                    "CreateClipper flags=0", "SetHWnd flags=0",
                    ::testing::StartsWith("SetClipper clipper=0x"),
                    "CreateSurface flags=0x7 caps=0x40 backbuffers=0 width=320 height=240"));
    EXPECT_FALSE(hooks::ExclusiveMode());
    EXPECT_EQ(hooks::CurrentDisplayMode().width, 0) << "the desktop's mode was changed";

    EXPECT_EQ(display.fullScreen, 0);
    EXPECT_EQ(display.backBuffer, nullptr);
    EXPECT_EQ(display.bitsPerPixel, 32) << "the off-screen buffer is not in the desktop's format";
    EXPECT_EQ(display.renderTarget, display.offscreenBuffer);
    EXPECT_EQ(display.targetWidth, kWidth);
    EXPECT_EQ(display.targetHeight, kHeight);
    EXPECT_TRUE(SameRect(display.windowRect, RECT{0, 0, kWidth, kHeight}));
    EXPECT_EQ(hooks::CursorCounter(), cursorBefore) << "a window leaves the pointer to the desktop";
    HWND bound = nullptr;
    ASSERT_EQ(display.clipper->GetHWnd(&bound), DD_OK);
    EXPECT_EQ(bound, window);
}

TEST_F(WindowedDeviceTest, FramesFollowTheWindowAndNothingIsWrittenOutsideIt) {
    DisplayDevice& display = StartWindowed();
    DrawPicture(display);

    // Moved: windowRect follows the client area, and so does the next frame.
    ASSERT_TRUE(MoveWindow(window, 100, 60, kWidth, kHeight, TRUE));
    EXPECT_TRUE(SameRect(display.windowRect, RECT{100, 60, 100 + kWidth, 60 + kHeight}));
    const int framesBefore = hooks::PresentedFrameCount();
    EXPECT_EQ(display.Present(1), 1);
    EXPECT_EQ(hooks::PresentedFrameCount(), framesBefore + 1);
    std::optional<hooks::Frame> frame = hooks::LastPresentedFrame();
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->width, kWidth);
    ASSERT_EQ(frame->height, kHeight);
    EXPECT_EQ(frame->rgb[0], 0u);
    EXPECT_EQ(frame->rgb[static_cast<size_t>(kHeight - 1) * kWidth + kWidth - 1],
              uint32_t(kHeight - 1) << 12 | (kWidth - 1));
    EXPECT_EQ(hooks::ReadPixel(display.primarySurface, 100 + 7, 60 + 5), 5u << 12 | 7u);

    // Partly off the desktop: only the part on it is written, the frame unscaled.
    std::vector<uint32_t> before = hooks::ReadAllPixels(display.primarySurface);
    ASSERT_TRUE(MoveWindow(window, 500, 400, kWidth, kHeight, TRUE));
    EXPECT_TRUE(SameRect(display.windowRect, RECT{500, 400, 500 + kWidth, 400 + kHeight}));
    EXPECT_EQ(display.Present(1), 1);
    std::vector<uint32_t> after = hooks::ReadAllPixels(display.primarySurface);
    ASSERT_EQ(after.size(), size_t(kDesktopWidth) * kDesktopHeight);
    int wrong = 0;
    for (int32_t y = 0; y < kDesktopHeight; ++y)
        for (int32_t x = 0; x < kDesktopWidth; ++x) {
            const size_t at = size_t(y) * kDesktopWidth + x;
            const bool inside = x >= 500 && y >= 400;
            const uint32_t want = inside ? uint32_t(y - 400) << 12 | uint32_t(x - 500) : before[at];
            wrong += after[at] != want ? 1 : 0;
        }
    EXPECT_EQ(wrong, 0);
    frame = hooks::LastPresentedFrame();
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, kDesktopWidth - 500);
    EXPECT_EQ(frame->height, kDesktopHeight - 400);

    // Sized: the frame is stretched into the new client area.
    ASSERT_TRUE(MoveWindow(window, 0, 0, 2 * kWidth, 2 * kHeight, TRUE));
    EXPECT_TRUE(SameRect(display.windowRect, RECT{0, 0, 2 * kWidth, 2 * kHeight}));
    EXPECT_EQ(display.Present(1), 1);
    EXPECT_EQ(hooks::ReadPixel(display.primarySurface, 2 * 7 + 1, 2 * 5 + 1), 5u << 12 | 7u);
}

TEST_F(WindowedDeviceTest, ShutdownLetsTheClipperGoAndLeavesNothingBehind) {
    const int cursorBefore = hooks::CursorCounter();
    DisplayDevice& display = StartWindowed();
    IDirectDrawSurface* primary = display.primarySurface;
    IDirectDrawClipper* clipper = display.clipper;
    hooks::RecordCalls(true);
    EXPECT_EQ(display.Shutdown(), 1);

    std::vector<std::string> sequence;
    for (const hooks::PlatformCall& call : hooks::CallLog()) {
        if (call.object == primary && call.operation == "SetClipper")
            sequence.push_back("detach " + call.detail);
        if (call.object == clipper && call.operation == "Release")
            sequence.push_back("release clipper");
        if (call.operation == "FlipToGDISurface" || call.operation == "RestoreDisplayMode")
            sequence.push_back(call.operation);
    }
    EXPECT_THAT(sequence, ::testing::ElementsAre("detach clipper=null", "release clipper"));
    EXPECT_EQ(display.clipper, nullptr);
    EXPECT_EQ(hooks::CursorCounter(), cursorBefore);
    device.reset();
    DestroyWindow(window);
    EXPECT_EQ(hooks::LiveObjects(), 0);
}

TEST_F(WindowedDeviceTest, AFailingClipperStepIsFatalWithItsMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        const char* operation;
        const char* message;
    } steps[] = {{"SetCooperativeLevel", "Can't get control of the screen."},
                 {"CreateClipper", "Can't create the clipper."},
                 {"SetHWnd", "Can't attach the clipper to the window."},
                 {"SetClipper", "Can't set the clipper."}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.operation);
        EXPECT_EXIT(
            {
                hooks::ReportStateAtExit();
                DisplayDevice& display = hooks::ProcessDevice();
                HWND made = display.CreateAppWindow(nullptr, "Vantor Application", kWidth, kHeight);
                hooks::SetReportedWindow(made);
                hooks::FailCall(step.operation);
                display.InitializeWindowed(made, kWidth, kHeight);
                std::exit(0);
            },
            ::testing::ExitedWithCode(1), HasSubstr(hooks::CleanExitReport(step.message, true)));
    }
}

}  // namespace
