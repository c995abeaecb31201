// Losing surfaces and getting them back: what is lost when, Restore's refusals while the
// program is in the background, and what a restored surface holds.
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "testing.h"

namespace vantor::testing {
namespace {

class DdrawLost : public DdrawTest {
protected:
    void SetUp() override {
        DdrawTest::SetUp();
        TakeDisplay(16);
        primary = MakeFlipChain(&back);
        video = MakePlain(16, 16, false);
        system = MakePlain(16, 16, true);
        for (IDirectDrawSurface* s : {primary, back, video, system})
            ASSERT_TRUE(FillSurface(s, 0x4242));
    }
    IDirectDrawSurface* primary = nullptr;
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* video = nullptr;
    IDirectDrawSurface* system = nullptr;
};

TEST_F(DdrawLost, FocusLossLosesVideoMemoryOnlyAndShowsTheDesktop) {
    SendFocusLost();
    Pump();
    EXPECT_EQ(CurrentDisplayMode().width, 0) << "the desktop is back while the program is away";
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(back->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(system->IsLost(), DD_OK);
    EXPECT_EQ(ReadPixel(system, 3, 3), 0x4242u);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.lpSurface = reinterpret_cast<void*>(0xDEADBEEF);
    EXPECT_EQ(video->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(desc.lpSurface, reinterpret_cast<void*>(0xDEADBEEF));
    HDC dc = nullptr;
    EXPECT_EQ(video->GetDC(&dc), DDERR_SURFACELOST);
    EXPECT_EQ(system->BltFast(0, 0, video, nullptr, DDBLTFAST_WAIT), DDERR_SURFACELOST);
    EXPECT_EQ(video->GetSurfaceDesc(&desc), DD_OK) << "descriptions stay readable";
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    EXPECT_EQ(video->GetPixelFormat(&format), DD_OK);
}

TEST_F(DdrawLost, RestoreWaitsForTheForegroundAndBringsMemoryNotContents) {
    SendFocusLost();
    Pump();
    EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(system->Restore(), DD_OK) << "system memory is never lost";

    SendFocusGained();
    Pump();
    const DisplayMode mode = CurrentDisplayMode();
    EXPECT_EQ(mode.width, 640);
    EXPECT_EQ(mode.bitsPerPixel, 16);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST) << "surfaces stay lost until restored";
    EXPECT_EQ(back->Restore(), DDERR_IMPLICITLYCREATED);
    ASSERT_EQ(primary->Restore(), DD_OK);
    EXPECT_EQ(back->IsLost(), DD_OK) << "the front brings its back buffer back";
    EXPECT_EQ(ReadPixel(primary, 1, 1), 0u);
    EXPECT_EQ(ReadPixel(back, 1, 1), 0u);
    ASSERT_EQ(video->Restore(), DD_OK);
    EXPECT_EQ(ReadPixel(video, 1, 1), 0u);

    ASSERT_TRUE(FillSurface(video, 0x77));
    EXPECT_EQ(video->Restore(), DD_OK);
    EXPECT_EQ(ReadPixel(video, 1, 1), 0x77u) << "restoring an intact surface changes nothing";
}

TEST_F(DdrawLost, AModeChangeLosesVideoMemoryAndTheOldChainCannotComeBack) {
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 32, 0, 0), DD_OK);
    EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(system->IsLost(), DD_OK);
    EXPECT_EQ(primary->Restore(), DDERR_WRONGMODE) << "the chain was made for 16 bits";
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    EXPECT_EQ(primary->Restore(), DD_OK);
}

TEST_F(DdrawLost, LoseSurfacesHookLosesTheChainAndVideoMemory) {
    LoseSurfaces();
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(system->IsLost(), DD_OK);
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    IDirectDrawSurface* attached = nullptr;
    EXPECT_EQ(primary->GetAttachedSurface(&caps, &attached), DDERR_SURFACELOST);
    EXPECT_EQ(primary->Restore(), DD_OK) << "the program is still in the foreground";
}

}  // namespace
}  // namespace vantor::testing
