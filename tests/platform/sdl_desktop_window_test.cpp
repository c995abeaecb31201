// The display in a window on a real desktop: a private X server larger than the window,
// the frames read back from the screen, the window moved as a window manager moves it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/present/presenter.h"
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "support/x_session.h"
#include "testing.h"

namespace vantor::testing {
namespace {

constexpr int32_t kWidth = 320;
constexpr int32_t kHeight = 240;

// Every pixel its own value, so that a shifted or mirrored frame shows.
uint32_t PictureAt(int32_t x, int32_t y) { return uint32_t(y) << 12 | uint32_t(x); }

// Screen pixels that are not the picture inside the client area at (left, top) and black
// elsewhere; the first one is described.
int Mismatches(const RgbImage& screen, int left, int top, std::string* first) {
    int wrong = 0;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x) {
            const bool inside = x >= left && x < left + kWidth && y >= top && y < top + kHeight;
            const uint32_t want = inside ? PictureAt(x - left, y - top) : 0;
            if (screen.At(x, y) != want && wrong++ == 0)
                *first = "screen (" + std::to_string(x) + "," + std::to_string(y) + ") is " +
                         std::to_string(screen.At(x, y)) + ", expected " + std::to_string(want);
        }
    return wrong;
}

class SdlDesktopWindowTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_TRUE(session_.Start(kXScreenWidth, kXScreenHeight)) << session_.Error();
        setenv("DISPLAY", session_.Display().c_str(), 1);
        std::unique_ptr<platform::Presenter> sdl = platform::MakeSdlPresenter();
        ASSERT_NE(sdl, nullptr);
        platform::UsePresenter(std::move(sdl));
    }

    // Presents until the screen shows the picture with the client area at (left, top).
    ::testing::AssertionResult ShownAt(DisplayDevice& display, int left, int top) {
        std::string first = "no screenshot";
        int wrong = -1;
        Eventually(
            [&] {
                display.PumpMessages();
                display.Present(1);
                std::optional<RgbImage> screen = session_.Screenshot();
                wrong = screen ? Mismatches(*screen, left, top, &first) : -1;
                return wrong == 0;
            },
            10);
        if (wrong == 0) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << wrong << " pixels wrong; first " << first;
    }

    XSession session_;
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(SdlDesktopWindowTest, FramesFollowTheWindowAcrossTheScreenAndStopAtItsEdge) {
    DisplayDevice& display = MakeDevice();
    window = display.CreateAppWindow(nullptr, "Vantor Application", kWidth, kHeight);
    ASSERT_EQ(display.InitializeWindowed(window, kWidth, kHeight), 1);
    uint8_t* pixels = display.LockTarget(1);
    ASSERT_NE(pixels, nullptr);
    for (int32_t y = 0; y < kHeight; ++y)
        for (int32_t x = 0; x < kWidth; ++x)
            reinterpret_cast<uint32_t*>(pixels)[display.pixelOffsets[y] + x] = PictureAt(x, y);
    display.UnlockTarget();

    // A window of the frame's size, the rest of the screen left as it was.
    EXPECT_TRUE(ShownAt(display, 0, 0));
    std::vector<XWindow> windows = session_.WindowsOf(getpid(), 10);
    ASSERT_EQ(windows.size(), 1u);

    // Moved by the window manager: windowRect follows, and so do the frames.
    ASSERT_EQ(session_.Run("xdotool windowmove " + std::to_string(windows[0]) + " 500 400"), 0);
    ASSERT_TRUE(Eventually([&] {
        display.PumpMessages();
        return SameRect(display.windowRect, RECT{500, 400, 500 + kWidth, 400 + kHeight});
    })) << "windowRect stayed at "
        << display.windowRect.left << "," << display.windowRect.top;
    EXPECT_TRUE(ShownAt(display, 500, 400));

    // Partly off the screen: the part on it shows the frame's corner, and nothing of the
    // desktop outside the window is written.
    ASSERT_EQ(session_.Run("xdotool windowmove " + std::to_string(windows[0]) + " 1100 900"), 0);
    ASSERT_TRUE(Eventually([&] {
        display.PumpMessages();
        return display.windowRect.left == 1100 && display.windowRect.top == 900;
    }));
    std::vector<uint32_t> before = ReadAllPixels(display.primarySurface);
    EXPECT_TRUE(ShownAt(display, 1100, 900));
    std::vector<uint32_t> after = ReadAllPixels(display.primarySurface);
    ASSERT_EQ(after.size(), size_t(kXScreenWidth) * kXScreenHeight);
    int outside = 0;
    for (int y = 0; y < kXScreenHeight; ++y)
        for (int x = 0; x < kXScreenWidth; ++x) {
            const size_t at = size_t(y) * kXScreenWidth + x;
            outside += (x < 1100 || y < 900) && after[at] != before[at] ? 1 : 0;
        }
    EXPECT_EQ(outside, 0);

    // Shutdown lets the clipper go, and the window leaves the screen with the display.
    IDirectDrawClipper* clipper = display.clipper;
    RecordCalls(true);
    EXPECT_EQ(display.Shutdown(), 1);
    std::vector<std::string> released;
    for (const PlatformCall& call : CallLog())
        if (call.operation == "SetClipper" ||
            (call.operation == "Release" && call.object == clipper))
            released.push_back(call.operation + " " + call.detail);
    EXPECT_THAT(released, ::testing::ElementsAre("SetClipper clipper=null", "Release refs=0"));
    EXPECT_TRUE(Eventually([&] { return session_.WindowsOf(getpid(), 0).empty(); }));
}

}  // namespace
}  // namespace vantor::testing
