// What the platform reuses must come back as new: a surface reads as zero however its
// memory was used before and however it is first touched (its memory is cleared only when
// needed), and a recycled clipper shell has no list or window of its predecessor.
#include <algorithm>

#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "testing.h"

namespace vantor::testing {
namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 8;
constexpr uint32_t kDirt = 0xBEEF;

class DdrawReuse : public DdrawTest {
protected:
    void SetUp() override {
        DdrawTest::SetUp();
        TakeDisplay(16);
    }

    // Surfaces of the size are made, painted and released, twice, so that the next one of
    // that size is likely to get memory that held pixels (the allocator hands freed blocks
    // back, and large first blocks come fresh from the system).
    void LeaveDirtyMemory(int width, int height) {
        for (int round = 0; round < 2; ++round) {
            IDirectDrawSurface* used = MakePlain(width, height);
            ASSERT_NE(used, nullptr);
            ASSERT_TRUE(FillSurface(used, kDirt));
            used->Release();
        }
    }

    IDirectDrawSurface* DirtyPlain() {
        LeaveDirtyMemory(kWidth, kHeight);
        return MakePlain(kWidth, kHeight);
    }

    // A surface of the test's size whose every pixel is the value.
    IDirectDrawSurface* Painted(uint32_t value) {
        IDirectDrawSurface* surface = MakePlain(kWidth, kHeight);
        EXPECT_TRUE(FillSurface(surface, value));
        return surface;
    }
};

int CountOf(const std::vector<uint32_t>& pixels, uint32_t value) {
    return int(std::count(pixels.begin(), pixels.end(), value));
}

TEST_F(DdrawReuse, ANewSurfaceReadsAsZeroThroughLockAndAsABlitSource) {
    IDirectDrawSurface* fresh = DirtyPlain();
    EXPECT_EQ(CountOf(ReadAllPixels(fresh), 0), kWidth * kHeight);
    fresh->Release();

    IDirectDrawSurface* source = DirtyPlain();
    IDirectDrawSurface* target = Painted(0x1234);
    RECT whole = {0, 0, kWidth, kHeight};
    ASSERT_EQ(target->Blt(&whole, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(CountOf(ReadAllPixels(target), 0), kWidth * kHeight) << "copied from a new surface";
    target->Release();
    source->Release();
}

// Blits that write only some pixels of a new surface: every other pixel must read zero.
TEST_F(DdrawReuse, PixelsABlitLeavesAloneInANewSurfaceReadAsZero) {
    IDirectDrawSurface* source = Painted(0x4321);
    RECT box = {0, 0, 4, 4};

    IDirectDrawSurface* partCopied = DirtyPlain();
    ASSERT_EQ(partCopied->BltFast(2, 2, source, &box, DDBLTFAST_WAIT), DD_OK);
    const std::vector<uint32_t> part = ReadAllPixels(partCopied);
    EXPECT_EQ(CountOf(part, 0x4321), 16);
    EXPECT_EQ(CountOf(part, 0), kWidth * kHeight - 16);
    partCopied->Release();

    // A keyed copy of the whole surface skips the key's pixels.
    IDirectDrawSurface* keyedSource = Painted(0x4321);
    DDCOLORKEY key = {0x4321, 0x4321};
    ASSERT_EQ(keyedSource->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    IDirectDrawSurface* keyed = DirtyPlain();
    ASSERT_EQ(keyed->BltFast(0, 0, keyedSource, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(CountOf(ReadAllPixels(keyed), 0), kWidth * kHeight);
    keyed->Release();
    keyedSource->Release();

    // A whole-surface fill through a clipper writes only the clip list.
    IDirectDrawSurface* clipped = DirtyPlain();
    IDirectDrawClipper* clipper = MakeClipper({0, 0, 4, kHeight});
    ASSERT_EQ(clipped->SetClipper(clipper), DD_OK);
    DDBLTFX fill{};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = 0x5555;
    ASSERT_EQ(clipped->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DD_OK);
    const std::vector<uint32_t> filled = ReadAllPixels(clipped);
    EXPECT_EQ(CountOf(filled, 0x5555), 4 * kHeight);
    EXPECT_EQ(CountOf(filled, 0), (kWidth - 4) * kHeight);
    clipped->Release();
    clipper->Release();
    source->Release();
}

TEST_F(DdrawReuse, AWholeSurfaceCopyIntoANewSurfaceIsTheSource) {
    std::vector<uint32_t> pattern(kWidth * kHeight);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = uint32_t(i * 37 + 1) & 0xFFFF;
    IDirectDrawSurface* source = MakePlain(kWidth, kHeight);
    ASSERT_TRUE(WriteAllPixels(source, pattern));
    IDirectDrawSurface* copied = DirtyPlain();
    ASSERT_EQ(copied->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(ReadAllPixels(copied), pattern);
    IDirectDrawSurface* stretched = DirtyPlain();
    RECT whole = {0, 0, kWidth, kHeight};
    RECT half = {0, 0, kWidth / 2, kHeight / 2};
    ASSERT_EQ(stretched->Blt(&whole, source, &half, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(ReadAllPixels(stretched)[kWidth + 1], pattern[0]) << "each source pixel doubled";
    stretched->Release();
    copied->Release();
    source->Release();
}

// The chain's memory moves on every flip: a new buffer's clearing must move with it, from
// the back to the front and from the front to the back.
TEST_F(DdrawReuse, AFlipChainOnUsedMemoryShowsZeroOnBothSidesOfAFlip) {
    for (bool paintFront : {true, false}) {
        SCOPED_TRACE(paintFront ? "front painted" : "back painted");
        LeaveDirtyMemory(640, 480);
        IDirectDrawSurface* back = nullptr;
        IDirectDrawSurface* primary = MakeFlipChain(&back);
        ASSERT_NE(primary, nullptr);
        ASSERT_TRUE(FillSurface(paintFront ? primary : back, 0x2222));
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        EXPECT_EQ(CountOf(ReadAllPixels(paintFront ? primary : back), 0), 640 * 480) << "never drawn";
        EXPECT_EQ(ReadPixel(paintFront ? back : primary, 7, 7), 0x2222u);
        back->Release();
        primary->Release();
    }
}

TEST_F(DdrawReuse, RestoringALostSurfaceClearsWhatItHeld) {
    IDirectDrawSurface* video = MakePlain(kWidth, kHeight, false);
    ASSERT_TRUE(FillSurface(video, kDirt));
    LoseSurfaces();
    ASSERT_EQ(video->Restore(), DD_OK);
    EXPECT_EQ(CountOf(ReadAllPixels(video), 0), kWidth * kHeight);
    video->Release();
}

TEST_F(DdrawReuse, ARecycledClipperHasNoListOrWindowOfItsPredecessor) {
    const int liveBefore = LiveObjects();
    IDirectDrawClipper* listed = MakeClipper({0, 0, 4, 4});
    listed->Release();
    IDirectDrawClipper* windowed = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &windowed, nullptr), DD_OK);
    ASSERT_EQ(windowed->SetHWnd(0, window), DD_OK);
    windowed->Release();

    IDirectDrawClipper* fresh = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &fresh, nullptr), DD_OK);
    HWND owner = window;
    EXPECT_EQ(fresh->GetHWnd(&owner), DD_OK);
    EXPECT_EQ(owner, nullptr);
    DWORD size = 0;
    EXPECT_EQ(fresh->GetClipList(nullptr, nullptr, &size), DDERR_NOCLIPLIST);
    IDirectDrawSurface* target = MakePlain(kWidth, kHeight);
    ASSERT_EQ(target->SetClipper(fresh), DD_OK);
    DDBLTFX fill{};
    fill.dwSize = sizeof fill;
    EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DDERR_NOCLIPLIST);
    EXPECT_EQ(fresh->Release(), 1u) << "the surface holds the only other reference";
    target->Release();
    EXPECT_EQ(LiveObjects(), liveBefore);
}

}  // namespace
}  // namespace vantor::testing
