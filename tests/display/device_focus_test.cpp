// The window and the message pump: the window's client area, its procedure's handling of
// activation, one message per pump, and lost surfaces restored once the window is active.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/device_fixture.h"
#include "testing.h"

namespace {

namespace hooks = vantor::testing;
using hooks::DeviceTest;
using hooks::kScreenHeight;
using hooks::kScreenWidth;

// Pumps until the queue has been drained of what the platform had pending (each pump takes
// at most one message); returns the last result.
int32_t PumpAll(DisplayDevice& device) {
    int32_t result = 0;
    for (int i = 0; i < 16; ++i) result = device.PumpMessages();
    return result;
}

TEST_F(DeviceTest, TheAppWindowHasExactlyTheAskedClientArea) {
    MakeDevice();
    window = device->CreateAppWindow(nullptr, "Vantor Application", kScreenWidth, kScreenHeight);
    ASSERT_NE(window, nullptr);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, kScreenWidth);
    EXPECT_EQ(client.bottom - client.top, kScreenHeight);
    EXPECT_EQ(device->active,
              1);  // the measuring window's end deactivated it, the new one activates
}

TEST_F(DeviceTest, ActivationFollowsTheLowWordOnlyWithoutDefaultHandling) {
    DisplayDevice& idle = MakeDevice();
    hooks::RecordCalls(true);
    DeviceWindowProc(nullptr, WM_ACTIVATE, 0, 0);
    EXPECT_EQ(idle.active, 0);
    DeviceWindowProc(nullptr, WM_ACTIVATE, (1u << 16) | WA_ACTIVE, 0);  // active while minimised
    EXPECT_EQ(idle.active, 1);
    DeviceWindowProc(nullptr, WM_ACTIVATE, 7, 0);
    EXPECT_EQ(idle.active, 0);
    DeviceWindowProc(nullptr, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(idle.active, 1);
    EXPECT_TRUE(hooks::CallsNamed("DefWindowProcA").empty());
    device.reset();
    EXPECT_EQ(DeviceWindowProc(nullptr, WM_ACTIVATE, 0, 0), 0);  // no device: nothing to tell
}

TEST_F(DeviceTest, TheMeasuringWindowsQuitIsPumpedAndEndsNothing) {
    DisplayDevice& started = StartDevice();
    bool sawQuit = false;
    MSG next;
    for (int i = 0; i < 16 && PeekMessageA(&next, nullptr, 0, 0, PM_NOREMOVE); ++i) {
        if (next.message == WM_QUIT) sawQuit = true;
        EXPECT_EQ(started.PumpMessages(), 1);
    }
    EXPECT_TRUE(sawQuit);
    EXPECT_FALSE(PeekMessageA(&next, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(started.Clear(0x55), 1);
    EXPECT_EQ(started.Present(1), 1);
}

TEST_F(DeviceTest, PumpingRestoresBothSurfacesEveryTimeTheWindowIsActive) {
    DisplayDevice& started = StartDevice();
    hooks::RecordCalls(true);
    EXPECT_EQ(started.PumpMessages(), 1);
    const auto restores = hooks::CallsNamed("Restore");
    ASSERT_EQ(restores.size(), 2u);
    EXPECT_EQ(restores[0].object, started.offscreenBuffer);
    EXPECT_EQ(restores[1].object, started.primarySurface);
    hooks::FailCall("Restore", 2);
    EXPECT_EQ(started.PumpMessages(), 0);
}

TEST_F(DeviceTest, SurfacesLostWhileInactiveAreRestoredOnceActiveAgain) {
    DisplayDevice& started = StartDevice();
    PumpAll(started);
    hooks::SendFocusLost();
    hooks::RecordCalls(true);
    EXPECT_EQ(PumpAll(started), 0);
    EXPECT_EQ(started.active, 0);
    EXPECT_TRUE(hooks::CallsNamed("Restore").empty());
    EXPECT_EQ(started.primarySurface->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(started.Present(0), 0);  // nothing can be shown meanwhile, and nothing ends

    hooks::SendFocusGained();
    EXPECT_EQ(PumpAll(started), 1);
    EXPECT_EQ(started.active, 1);
    EXPECT_EQ(started.primarySurface->IsLost(), DD_OK);
    EXPECT_EQ(started.offscreenBuffer->IsLost(), DD_OK);
    EXPECT_EQ(started.Clear(0x4321), 1);
    EXPECT_EQ(started.Present(1), 1);
    EXPECT_EQ(hooks::ReadPixel(started.primarySurface, 1, 1), 0x4321u);
}

}  // namespace
