// The device's life: construction and destruction, Initialize's calls in order with their
// flags, the state it leaves, Shutdown's releases, generations, and refusals outside the
// initialised state.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/device_fixture.h"
#include "surfaces/surface.h"
#include "testing.h"

namespace {

namespace hooks = vantor::testing;
using hooks::DeviceTest;
using hooks::kScreenHeight;
using hooks::kScreenWidth;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// The calls of the device's own steps, without the window messages they cause.
std::vector<std::string> DeviceCalls() {
    static const std::vector<std::string> steps = {"DirectDrawCreate",
                                                   "QueryInterface",
                                                   "Release",
                                                   "SetCooperativeLevel",
                                                   "SetDisplayMode",
                                                   "CreateSurface",
                                                   "GetAttachedSurface",
                                                   "CreatePalette",
                                                   "SetPalette",
                                                   "GetPixelFormat",
                                                   "GetSurfaceDesc",
                                                   "ShowCursor",
                                                   "Blt",
                                                   "Unlock",
                                                   "ReleaseDC",
                                                   "FlipToGDISurface",
                                                   "RestoreDisplayMode",
                                                   "SetClipper"};
    std::vector<std::string> calls;
    for (const std::string& name : hooks::CallSequence())
        if (std::find(steps.begin(), steps.end(), name) != steps.end()) calls.push_back(name);
    return calls;
}

std::vector<std::string> Details(const std::string& operation) {
    std::vector<std::string> details;
    for (const hooks::PlatformCall& call : hooks::CallsNamed(operation))
        details.push_back(call.detail);
    return details;
}

class LifecycleTest : public DeviceTest {
protected:
    // Records the calls of Initialize at the given depth and memory choice.
    void StartRecorded(int32_t bits, int32_t offscreenMemory) {
        MakeDevice();
        window =
            device->CreateAppWindow(nullptr, "Vantor Application", kScreenWidth, kScreenHeight);
        hooks::RecordCalls(true);
        ASSERT_EQ(device->Initialize(window, kScreenWidth, kScreenHeight, bits, offscreenMemory),
                  1);
    }
};

TEST_F(LifecycleTest, ConstructionSetsTheLiveDeviceAndAnEmptyTrail) {
    EXPECT_EQ(currentDevice, nullptr);
    DisplayDevice& made = MakeDevice();
    EXPECT_EQ(currentDevice, &made);
    EXPECT_EQ(made.active, 1);
    ASSERT_NE(made.spareSurface, nullptr);
    EXPECT_EQ(made.spareSurface->created, 0);
    // The ring's one slot starts empty, so a ring of one can be stepped at once.
    ASSERT_NE(made.trailSurfaces, nullptr);
    EXPECT_EQ(made.trailSurfaces[0], nullptr);
    device.reset();
    EXPECT_EQ(currentDevice, nullptr);
}

TEST_F(LifecycleTest, InitializeCallsTheDisplayInOrderWithItsFlags) {
    StartRecorded(16, 1);
    EXPECT_THAT(DeviceCalls(), ElementsAre("DirectDrawCreate", "QueryInterface", "Release",
                                           "SetCooperativeLevel", "SetDisplayMode", "CreateSurface",
                                           "GetAttachedSurface", "CreateSurface", "GetPixelFormat",
                                           "GetSurfaceDesc", "ShowCursor", "GetSurfaceDesc", "Blt",
                                           "GetSurfaceDesc", "Blt", "GetSurfaceDesc", "Blt"));
    EXPECT_THAT(Details("QueryInterface"), ElementsAre("iid=IDirectDraw2"));
    EXPECT_THAT(Details("SetCooperativeLevel"), ElementsAre("flags=0x11"));
    EXPECT_THAT(Details("SetDisplayMode"), ElementsAre("640x480x16 refresh=0 flags=0"));
    const auto creates = Details("CreateSurface");
    ASSERT_EQ(creates.size(), 2u);
    EXPECT_THAT(creates[0], HasSubstr("flags=0x21 caps=0x218 backbuffers=1"));
    EXPECT_THAT(creates[1], HasSubstr("flags=0x7 caps=0x40 backbuffers=0 width=640 height=480"));
    EXPECT_THAT(Details("GetAttachedSurface"), ElementsAre("caps=0x4"));
    EXPECT_THAT(Details("GetPixelFormat"), ElementsAre("size=32"));
    for (const std::string& desc : Details("GetSurfaceDesc"))
        EXPECT_EQ(desc, "size=" + std::to_string(sizeof(DDSURFACEDESC)));
    for (const std::string& fill : Details("Blt"))
        EXPECT_THAT(fill, HasSubstr("flags=0x1000400 fill=0x0"));
    // The three fills go to the primary surface, the back buffer and the off-screen buffer.
    const auto fills = hooks::CallsNamed("Blt");
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[0].object, device->primarySurface);
    EXPECT_EQ(fills[1].object, device->backBuffer);
    EXPECT_EQ(fills[2].object, device->offscreenBuffer);
}

TEST_F(LifecycleTest, SystemMemoryOffscreenAndPaletteModeAddTheirFlags) {
    StartRecorded(8, 0);
    EXPECT_THAT(Details("CreateSurface")[1], HasSubstr("caps=0x840"));
    EXPECT_THAT(Details("CreatePalette"), ElementsAre("flags=0x44"));
    const auto attach = hooks::CallsNamed("SetPalette");
    ASSERT_EQ(attach.size(), 1u);
    EXPECT_EQ(attach[0].object, device->primarySurface);
    // The palette is set up between the off-screen buffer and the pixel format.
    const auto calls = DeviceCalls();
    const auto palette = std::find(calls.begin(), calls.end(), "CreatePalette");
    ASSERT_NE(palette, calls.end());
    EXPECT_EQ(*(palette - 1), "CreateSurface");
    EXPECT_EQ(*(palette + 1), "SetPalette");
    EXPECT_EQ(*(palette + 2), "GetPixelFormat");
    EXPECT_EQ(device->paletteMode, 1);
}

TEST_F(LifecycleTest, InitializeLeavesThreeBlackSurfacesAndTheOffscreenTarget) {
    const int cursorBefore = hooks::CursorCounter();
    DisplayDevice& started = StartDevice();
    EXPECT_EQ(started.initialized, 1);
    EXPECT_EQ(started.renderTarget, started.offscreenBuffer);
    EXPECT_EQ(started.clipRect.right, kScreenWidth);
    EXPECT_EQ(started.clipRect.bottom, kScreenHeight);
    EXPECT_EQ(started.clipRect.left, 0);
    EXPECT_EQ(started.clipRect.top, 0);
    EXPECT_EQ(started.lastFlipOk, 1);
    EXPECT_EQ(started.pageParity, 0);
    EXPECT_EQ(started.fullScreen, 1);
    EXPECT_EQ(started.windowHandle, window);
    EXPECT_EQ(hooks::CursorCounter(), cursorBefore - 1);
    const auto mode = hooks::CurrentDisplayMode();
    EXPECT_EQ(mode.width, kScreenWidth);
    EXPECT_EQ(mode.bitsPerPixel, 16);
    for (IDirectDrawSurface* surface :
         {started.primarySurface, started.backBuffer, started.offscreenBuffer})
        for (auto [x, y] : {std::pair{0, 0}, {639, 479}, {320, 17}})
            EXPECT_EQ(hooks::ReadPixel(surface, x, y), 0u);
}

TEST_F(LifecycleTest, ShutdownGivesEverythingBackInOrder) {
    const int cursorBefore = hooks::CursorCounter();
    DisplayDevice& started = StartDevice(8);
    IDirectDrawSurface* offscreen = started.offscreenBuffer;
    IDirectDrawSurface* primary = started.primarySurface;
    hooks::RecordCalls(true);
    hooks::ClearCallLog();
    EXPECT_EQ(started.Shutdown(), 1);
    EXPECT_THAT(DeviceCalls(), ElementsAre("FlipToGDISurface", "RestoreDisplayMode", "Release",
                                           "Release", "Release", "Release", "ShowCursor"));
    const auto releases = hooks::CallsNamed("Release");
    EXPECT_EQ(releases[0].object, offscreen);
    EXPECT_EQ(releases[1].object, primary);
    EXPECT_EQ(releases.back().detail, "refs=0");  // the DirectDraw object
    EXPECT_EQ(started.initialized, 0);
    EXPECT_EQ(started.renderTarget, nullptr);
    EXPECT_EQ(started.pixelOffsets, nullptr);
    EXPECT_EQ(hooks::CurrentDisplayMode().width, 0);
    EXPECT_EQ(hooks::CursorCounter(), cursorBefore);
    DestroyWindow(window);
    EXPECT_EQ(hooks::LiveObjects(), 0);
    EXPECT_EQ(started.Shutdown(), 0);
}

TEST_F(LifecycleTest, ASecondInitializeRefusesAndChangesNothing) {
    DisplayDevice& started = StartDevice();
    const uint32_t stamp = started.startStamp;
    IDirectDraw2* directDraw = started.directDraw;
    hooks::RecordCalls(true);
    EXPECT_EQ(started.Initialize(window, 320, 200, 8, 0), 0);
    EXPECT_TRUE(hooks::CallLog().empty());
    EXPECT_EQ(started.directDraw, directDraw);
    EXPECT_EQ(started.startStamp, stamp);
    EXPECT_EQ(started.bitsPerPixel, 16);
}

TEST_F(LifecycleTest, ANewGenerationAfterShutdownLeavesOldSurfacesAlone) {
    DisplayDevice& started = StartDevice();
    Surface old;
    ASSERT_EQ(started.MakeSurface(old, 32, 32, 0), 1);
    started.Shutdown();
    ASSERT_EQ(started.Initialize(window, kScreenWidth, kScreenHeight, 16, 1), 1);
    EXPECT_EQ(started.renderTarget, started.offscreenBuffer);
    // The old Surface's DirectDraw surface went with the old DirectDraw object; letting it
    // go now must not touch the new generation.
    hooks::RecordCalls(true);
    old.Release();
    EXPECT_TRUE(hooks::CallsNamed("Release").empty());
    EXPECT_EQ(started.Clear(0x1234), 1);
}

TEST_F(LifecycleTest, EveryStartIsANewGenerationEvenWhenTheClockHasNotMoved) {
    DisplayDevice& started = StartDevice();
    started.Shutdown();
    // As if the last start were still ahead of the clock (two starts in one millisecond).
    const uint32_t last = timeGetTime() + 1000;
    started.startStamp = last;
    ASSERT_EQ(started.Initialize(window, kScreenWidth, kScreenHeight, 16, 1), 1);
    EXPECT_EQ(started.startStamp, last + 1);
}

TEST_F(LifecycleTest, TheDestructorShutsDownAndFreesTheSpareSurface) {
    const int cursorBefore = hooks::CursorCounter();
    DisplayDevice& started = StartDevice();
    ASSERT_EQ(started.MakeSurface(*started.spareSurface, 16, 16, 0), 1);
    device.reset();
    EXPECT_EQ(currentDevice, nullptr);
    EXPECT_EQ(hooks::CurrentDisplayMode().width, 0);
    EXPECT_EQ(hooks::CursorCounter(), cursorBefore);
    DestroyWindow(window);
    EXPECT_EQ(hooks::LiveObjects(), 0);
}

TEST_F(LifecycleTest, TargetOperationsRefuseBeforeInitializeAndAfterShutdown) {
    auto expectRefusals = [](DisplayDevice& idle) {
        EXPECT_EQ(idle.SelectTarget(0), 0);
        EXPECT_EQ(idle.SelectOffscreen(), 0);
        EXPECT_EQ(idle.RefreshTargetInfo(1), 0);
        EXPECT_EQ(idle.LockTarget(1), nullptr);
        EXPECT_EQ(idle.UnlockTarget(), 0);
        EXPECT_EQ(idle.Clear(0), 0);
        EXPECT_EQ(idle.Present(1), 0);
        EXPECT_EQ(idle.PumpMessages(), 0);
        EXPECT_EQ(idle.Shutdown(), 0);
    };
    expectRefusals(MakeDevice());
    DisplayDevice& started = StartDevice();
    started.Shutdown();
    expectRefusals(started);
}

}  // namespace
