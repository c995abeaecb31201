// Presentation: the copy to the back buffer, the palette load and the flip, and every row
// of the presentation state table produced through injected flip, copy and restore results.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/device_fixture.h"
#include "surfaces/surface.h"
#include "testing.h"

namespace {

namespace hooks = vantor::testing;
using hooks::DeviceTest;
using ::testing::ElementsAre;

// Operation names of the presentation calls, in order.
std::vector<std::string> PresentCalls() {
    std::vector<std::string> calls;
    for (const std::string& name : hooks::CallSequence())
        if (name == "BltFast" || name == "Blt" || name == "Flip" || name == "Restore" ||
            name == "SetEntries")
            calls.push_back(name);
    return calls;
}

class PresentationTest : public DeviceTest {
protected:
    // Starts at the given depth and records what the next presents call.
    void Start(int32_t bits = 16) {
        StartDevice(bits);
        hooks::RecordCalls(true);
    }
    void ExpectState(int32_t lastFlipOk, int32_t pageParity) {
        EXPECT_EQ(device->lastFlipOk, lastFlipOk);
        EXPECT_EQ(device->pageParity, pageParity);
    }
};

TEST_F(PresentationTest, AWaitingPresentCopiesTheOffscreenFrameAndFlipsIt) {
    Start();
    ASSERT_EQ(device->Clear(0x1234), 1);
    hooks::ClearCallLog();
    EXPECT_EQ(device->Present(1), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("BltFast", "Flip"));
    const auto copy = hooks::CallsNamed("BltFast").at(0);
    EXPECT_EQ(copy.object, device->backBuffer);
    EXPECT_EQ(copy.detail, "x=0 y=0 srcrect=null flags=0x10");
    EXPECT_EQ(hooks::CallsNamed("Flip").at(0).detail, "flags=0x1");
    ExpectState(1, 1);
    // The drawn frame is on screen; the back buffer holds the one shown before.
    EXPECT_EQ(hooks::ReadPixel(device->primarySurface, 639, 479), 0x1234u);
    EXPECT_EQ(hooks::ReadPixel(device->backBuffer, 639, 479), 0u);
    EXPECT_EQ(device->Present(1), 1);
    ExpectState(1, 0);
}

TEST_F(PresentationTest, TheBackBufferAsTargetIsFlippedWithoutACopy) {
    Start();
    device->SelectTarget(static_cast<int32_t>(TargetKind::BackBuffer));
    device->Clear(0x0F0F);
    hooks::ClearCallLog();
    EXPECT_EQ(device->Present(1), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("Flip"));
    EXPECT_EQ(hooks::ReadPixel(device->primarySurface, 3, 3), 0x0F0Fu);
}

TEST_F(PresentationTest, ASurfaceAsTargetStillPresentsTheOffscreenBuffer) {
    Start();
    device->Clear(0x00AA);
    Surface sheet;
    ASSERT_EQ(device->MakeSurface(sheet, 64, 64, 0), 1);
    ASSERT_EQ(device->SelectSurfaceTarget(sheet), 1);
    device->Clear(0xFFFF);
    EXPECT_EQ(device->Present(1), 1);
    EXPECT_EQ(hooks::ReadPixel(device->primarySurface, 0, 0), 0x00AAu);
    device->SelectOffscreen();
}

TEST_F(PresentationTest, ThePrimaryAsTargetLoadsThePaletteButFlipsNothing) {
    Start(8);
    device->SelectTarget(static_cast<int32_t>(TargetKind::Primary));
    device->lastFlipOk = 0;
    hooks::ClearCallLog();
    EXPECT_EQ(device->Present(0), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("SetEntries"));
    const auto load = hooks::CallsNamed("SetEntries").at(0);
    EXPECT_EQ(load.object, device->palette);
    EXPECT_EQ(load.detail, "flags=0 start=0 count=256");
    ExpectState(0, 1);
}

TEST_F(PresentationTest, EveryFullScreenPresentInPaletteModeLoadsThePalette) {
    Start(8);
    device->paletteEntries[1] = {1, 2, 3, 4};
    EXPECT_EQ(device->Present(1), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("BltFast", "SetEntries", "Flip"));
    PALETTEENTRY shown[256];
    ASSERT_EQ(device->palette->GetEntries(0, 0, 256, shown), DD_OK);
    EXPECT_EQ(shown[1].peBlue, 3);
}

TEST_F(PresentationTest, AFailedNonWaitingCopyPresentsNothing) {
    Start(8);
    device->pageParity = 1;
    hooks::FailCall("BltFast");
    EXPECT_EQ(device->Present(0), 0);
    EXPECT_THAT(PresentCalls(), ElementsAre("BltFast"));
    EXPECT_EQ(hooks::CallsNamed("BltFast").at(0).detail, "x=0 y=0 srcrect=null flags=0");
    ExpectState(1, 1);
}

TEST_F(PresentationTest, AWaitingFlipOfALostPrimaryIsRestoredAndRetried) {
    Start();
    hooks::FailCall("Flip", 1, DDERR_SURFACELOST);
    EXPECT_EQ(device->Present(1), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("BltFast", "Flip", "Restore", "Flip"));
    EXPECT_EQ(hooks::CallsNamed("Restore").at(0).object, device->primarySurface);
    ExpectState(1, 1);
}

TEST_F(PresentationTest, AWaitingFlipWhoseRestoreFailsReturnsZero) {
    Start();
    device->lastFlipOk = 0;
    hooks::FailCall("Flip", 1, DDERR_SURFACELOST);
    hooks::FailCall("Restore");
    EXPECT_EQ(device->Present(1), 0);
    EXPECT_THAT(PresentCalls(), ElementsAre("BltFast", "Flip", "Restore"));
    ExpectState(1, 0);
}

TEST_F(PresentationTest, ANonWaitingFlipSucceedsFirstOrOnItsRetry) {
    Start();
    EXPECT_EQ(device->Present(0), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("BltFast", "Flip"));
    EXPECT_EQ(hooks::CallsNamed("Flip").at(0).detail, "flags=0");
    ExpectState(1, 0);
    hooks::ClearCallLog();
    hooks::FailCall("Flip", 1, DDERR_WASSTILLDRAWING);
    hooks::FailCall("Restore");  // its result does not matter
    EXPECT_EQ(device->Present(2), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("BltFast", "Flip", "Restore", "Flip"));
    ExpectState(1, 0);
}

TEST_F(PresentationTest, ANonWaitingFlipFailingTwiceIsRetriedByTheNextPresentWithoutACopy) {
    Start();
    device->Clear(0x0101);
    hooks::ClearCallLog();
    hooks::FailCallsFrom("Flip", 1, DDERR_WASSTILLDRAWING);
    EXPECT_EQ(device->Present(0), 0);
    EXPECT_THAT(PresentCalls(), ElementsAre("BltFast", "Flip", "Restore", "Flip"));
    ExpectState(0, 0);
    // The back buffer keeps the frame whose flip failed; no new frame is copied over it.
    device->Clear(0x0202);
    hooks::ClearCallLog();
    hooks::ClearFaults();
    EXPECT_EQ(device->Present(0), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("Flip"));
    ExpectState(1, 0);
    EXPECT_EQ(hooks::ReadPixel(device->primarySurface, 0, 0), 0x0101u);
}

TEST_F(PresentationTest, WindowedPresentationBlitsTheTargetIntoTheWindowRectangle) {
    Start();
    device->fullScreen = 0;
    device->windowRect = {0, 0, 320, 240};
    device->Clear(0x7777);
    device->lastFlipOk = 0;
    hooks::ClearCallLog();
    EXPECT_EQ(device->Present(1), 1);
    EXPECT_THAT(PresentCalls(), ElementsAre("Blt"));
    const auto blit = hooks::CallsNamed("Blt").at(0);
    EXPECT_EQ(blit.object, device->primarySurface);
    EXPECT_THAT(blit.detail, ::testing::StartsWith("dst=(0,0,320,240)"));
    EXPECT_THAT(blit.detail, ::testing::EndsWith("flags=0x1000000 fill=none"));
    EXPECT_EQ(hooks::ReadPixel(device->primarySurface, 319, 239), 0x7777u);
    ExpectState(0, 0);
    // With the primary surface as target there is nothing to blit.
    device->SelectTarget(static_cast<int32_t>(TargetKind::Primary));
    hooks::ClearCallLog();
    EXPECT_EQ(device->Present(1), 0);
    EXPECT_TRUE(PresentCalls().empty());
    device->fullScreen = 1;
}

}  // namespace
