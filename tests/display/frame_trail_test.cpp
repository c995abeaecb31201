// The frame trail: its setter, the ring's rotation and the mix into the presented frame,
// copies that follow the render target, and a long run of presents that leaks nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/device_fixture.h"
#include "support/reference_blends.h"
#include "support/surface_device.h"
#include "testing.h"

namespace vantor::testing {
namespace {

class FrameTrailTest : public SurfaceDeviceTest {
protected:
    // Fills the off-screen buffer (the render target) with one colour and presents it.
    void PresentFrame(uint32_t colour) {
        ASSERT_EQ(device->Clear(colour), 1);
        device->Present(1);
    }

    // A pixel the trail mixes: the last row and column of a frame are never mixed.
    uint32_t ShownPixel() { return ReadPixel(device->primarySurface, 10, 10); }
    uint32_t SlotPixel(int32_t slot) {
        return ReadSurface(*device->trailSurfaces[slot]).Pixel(10, 10);
    }
};

TEST_F(FrameTrailTest, SetterBuildsAFreshRingTurnsItOffAndRefusesNegativeCounts) {
    const int live = LiveObjects();
    EXPECT_EQ(device->SetFrameTrail(-1), 0);
    EXPECT_EQ(device->trailEnabled, 0);
    EXPECT_EQ(device->trailCount, 0);

    ASSERT_EQ(device->SetFrameTrail(3), 1);
    EXPECT_EQ(device->trailEnabled, 1);
    ASSERT_EQ(device->trailCount, 3);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(device->trailSurfaces[i], nullptr);
    PresentFrame(0x1111);
    PresentFrame(0x2222);
    EXPECT_EQ(LiveObjects(), live + 2);

    // Off keeps the ring as it is; a later present leaves it alone.
    Surface* const newest = device->trailSurfaces[0];
    ASSERT_EQ(device->SetFrameTrail(0), 1);
    EXPECT_EQ(device->trailEnabled, 0);
    EXPECT_EQ(device->trailCount, 3);
    PresentFrame(0x3333);
    EXPECT_EQ(device->trailSurfaces[0], newest);
    EXPECT_EQ(LiveObjects(), live + 2);

    // A new length destroys the old entries and starts empty.
    ASSERT_EQ(device->SetFrameTrail(2), 1);
    EXPECT_EQ(device->trailCount, 2);
    EXPECT_EQ(device->trailSurfaces[0], nullptr);
    EXPECT_EQ(device->trailSurfaces[1], nullptr);
    EXPECT_EQ(LiveObjects(), live);
}

TEST_F(FrameTrailTest, RingOfOneKeepsTheLatestCopyAndShowsTheFrameUnchanged) {
    ASSERT_EQ(device->SetFrameTrail(1), 1);
    PresentFrame(0x1234);
    EXPECT_EQ(SlotPixel(0), 0x1234u);
    EXPECT_EQ(ShownPixel(), 0x1234u);
    PresentFrame(0x4321);
    EXPECT_EQ(SlotPixel(0), 0x4321u);
    EXPECT_EQ(ShownPixel(), 0x4321u);
}

TEST_F(FrameTrailTest, RingOfThreeMixesTheEarlierFramesOldestLastAndKeepsThemUnmixed) {
    const uint32_t f1 = 0xF800, f2 = 0x07E0, f3 = 0x001F;
    ASSERT_EQ(device->SetFrameTrail(3), 1);
    PresentFrame(f1);
    EXPECT_EQ(ShownPixel(), f1);  // the empty slots add nothing
    PresentFrame(f2);
    EXPECT_EQ(ShownPixel(), ReferenceMix(BlendForm::Rgb565, f1, f2, f2));
    PresentFrame(f3);

    EXPECT_EQ(SlotPixel(0), f3);
    EXPECT_EQ(SlotPixel(1), f2);
    EXPECT_EQ(SlotPixel(2), f1);
    const uint32_t withF2 = ReferenceMix(BlendForm::Rgb565, f2, f3, f3);
    EXPECT_EQ(ShownPixel(), ReferenceMix(BlendForm::Rgb565, f1, withF2, withF2));
}

TEST_F(FrameTrailTest, OnlyTheValueOneTurnsTheTrailOn) {
    ASSERT_EQ(device->SetFrameTrail(2), 1);
    device->trailEnabled = 2;
    PresentFrame(0x1234);
    EXPECT_EQ(device->trailSurfaces[0], nullptr);
}

TEST_F(FrameTrailTest, CopiesFollowTheRenderTargetSizeAndTheMemoryChoice) {
    ASSERT_EQ(device->SetFrameTrail(2), 1);
    for (int32_t memory : {0, 1}) {
        Surface target;
        ASSERT_EQ(device->MakeSurface(target, 20 + memory, 10, 0), 1);
        ASSERT_EQ(device->SelectSurfaceTarget(target), 1);
        device->SetSurfaceMemory(memory);
        device->Present(1);
        const Surface& copy = *device->trailSurfaces[0];
        EXPECT_EQ(copy.width, 20 + memory);
        EXPECT_EQ(copy.height, 10);
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        ASSERT_EQ(copy.ddSurface->GetSurfaceDesc(&desc), DD_OK);
        EXPECT_EQ((desc.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY) != 0, memory != 1) << memory;
        device->SelectOffscreen();
    }
}

// Nothing of the system fills the spare Surface; whatever it holds goes back at Shutdown,
// before the off-screen buffer does.
TEST_F(FrameTrailTest, ShutdownGivesBackTheSpareSurfaceBeforeTheOffscreenBuffer) {
    ASSERT_NE(device->spareSurface, nullptr);
    ASSERT_EQ(device->MakeSurface(*device->spareSurface, 8, 8, 0), 1);
    const void* spare = device->spareSurface->ddSurface;
    const void* offscreen = device->offscreenBuffer;
    RecordCalls(true);
    ASSERT_EQ(device->Shutdown(), 1);
    EXPECT_EQ(device->spareSurface->created, 0);
    std::vector<const void*> released;
    for (const PlatformCall& call : CallsNamed("Release")) released.push_back(call.object);
    const auto spareAt = std::find(released.begin(), released.end(), spare);
    const auto offscreenAt = std::find(released.begin(), released.end(), offscreen);
    ASSERT_NE(offscreenAt, released.end());
    EXPECT_LT(spareAt, offscreenAt);
}

// The tool's loop, in process, with a trail: every pass clears the render target, writes
// a line of text through GDI where it moved to, and presents. The target is a small Surface,
// so that the trail's copies, which follow it, keep the run short.
TEST_F(FrameTrailTest, ThousandsOfPresentsWithATrailLeakNothing) {
    Surface target;
    ASSERT_EQ(device->MakeSurface(target, 96, 32, 0), 1);
    ASSERT_EQ(device->SelectSurfaceTarget(target), 1);
    ASSERT_EQ(device->SetFrameTrail(3), 1);
    int live = 0;
    const int framesBefore = PresentedFrameCount();
    for (int pass = 0; pass < 2000; ++pass) {
        device->PumpMessages();
        device->Clear(0);
        HDC dc = nullptr;
        ASSERT_EQ(device->renderTarget->GetDC(&dc), DD_OK);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        const std::string line = "Frame " + std::to_string(pass);
        TextOutA(dc, pass % 32, 8, line.c_str(), int(line.size()));
        device->renderTarget->ReleaseDC(dc);
        device->Present(1);
        if (pass == 2) live = LiveObjects();  // the ring is full from here on
    }
    EXPECT_EQ(LiveObjects(), live);
    EXPECT_EQ(PresentedFrameCount() - framesBefore, 2000);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(device->trailSurfaces[i]->width, 96) << i;

    // After Shutdown the entries hold surfaces of a gone generation: destroying them frees
    // memory and calls nothing.
    device->Shutdown();
    RecordCalls(true);
    device.reset();
    EXPECT_TRUE(CallsNamed("Release").empty());
}

}  // namespace
}  // namespace vantor::testing
