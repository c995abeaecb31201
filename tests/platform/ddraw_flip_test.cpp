// Flipping exchanges memory: the back buffer then holds the frame that was on screen, the
// interface pointers stay put, and the presenter is handed the new front.
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "testing.h"

namespace vantor::testing {
namespace {

class DdrawFlip : public DdrawTest {};

TEST_F(DdrawFlip, BackBufferHoldsThePreviousFrameAfterAFlip) {
    TakeDisplay(16);
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    ASSERT_TRUE(FillSurface(primary, 0x1111));
    ASSERT_TRUE(FillSurface(back, 0x2222));

    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(ReadPixel(primary, 5, 5), 0x2222u);
    EXPECT_EQ(ReadPixel(back, 5, 5), 0x1111u)
        << "the back buffer must hold the previous frame, not a copy";

    IDirectDrawSurface* backAgain = nullptr;
    DDSCAPS caps = {DDSCAPS_BACKBUFFER};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &backAgain), DD_OK);
    EXPECT_EQ(backAgain, back);
    backAgain->Release();

    ASSERT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(ReadPixel(primary, 5, 5), 0x1111u);
    EXPECT_EQ(ReadPixel(back, 5, 5), 0x2222u);
}

TEST_F(DdrawFlip, ThePresenterShowsTheNewFrontAsAViewerSeesIt) {
    TakeDisplay(16);
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    ASSERT_TRUE(FillSurface(back, 0xF800));  // red in 5-6-5
    const int before = PresentedFrameCount();
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(PresentedFrameCount(), before + 1);
    std::optional<Frame> frame = LastPresentedFrame();
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->width, 640);
    ASSERT_EQ(frame->height, 480);
    EXPECT_EQ(frame->rgb[0] & 0xF8F8F8, 0xF80000u);
}

TEST_F(DdrawFlip, OnlyTheFrontOfAChainInExclusiveModeFlips) {
    TakeDisplay(16);
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    IDirectDrawSurface* plain = MakePlain(8, 8);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(plain->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(primary->Flip(plain, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(back->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACEBUSY);
    back->Unlock(nullptr);

    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_NOEXCLUSIVEMODE);
}

TEST_F(DdrawFlip, ALostChainDoesNotFlip) {
    TakeDisplay(16);
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    LoseSurfaces();
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_SURFACELOST);
}

}  // namespace
}  // namespace vantor::testing
