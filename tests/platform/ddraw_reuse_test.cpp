// What the platform reuses must come back as new: a surface reads as zero however its
// memory was used before and however it is first touched (its memory is cleared only when
// needed), and a recycled surface, clipper or palette shell has nothing of its predecessor,
// while a program making and releasing objects all the time holds a bounded number of shells.
#include <algorithm>
#include <set>

#include "ddraw/pixel_memory.h"
#include "ddraw/released_shells.h"
#include "modules.h"
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "support/image_compare.h"
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

// Screen-sized surfaces live in the huge-page arena, which hands released space back.
TEST_F(DdrawReuse, AScreenSizedSurfaceOnUsedMemoryReadsAsZero) {
    LeaveDirtyMemory(640, 480);
    IDirectDrawSurface* fresh = MakePlain(640, 480);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(CountOf(ReadAllPixels(fresh), 0), 640 * 480);
    fresh->Release();
}

TEST(PixelArena, TheToolsSurfacesShareAHugePageWholeAndApart) {
    constexpr size_t kScreen = 640 * 480 * 2;
    platform::PixelArena arena;
    uint8_t* blocks[3];
    for (int i = 0; i < 3; ++i) {
        blocks[i] = arena.Allocate(kScreen);
        ASSERT_NE(blocks[i], nullptr);
        std::fill_n(blocks[i], kScreen, uint8_t(i + 1));  // every byte: the sanitizer checks
    }
    const auto page = [](const uint8_t* block) {
        return reinterpret_cast<uintptr_t>(block) / platform::kHugePageBytes;
    };
    EXPECT_EQ(reinterpret_cast<uintptr_t>(blocks[0]) % platform::kHugePageBytes, 0u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(page(blocks[i]), page(blocks[0])) << "block " << i;
        EXPECT_EQ(blocks[i][0], i + 1) << "overwritten by another block";
        EXPECT_EQ(blocks[i][kScreen - 1], i + 1) << "overwritten by another block";
    }
    uint8_t* sheet = arena.Allocate(4096 * 20 * 2);
    EXPECT_EQ(page(sheet), page(blocks[0])) << "the tool's sheet fits beside the screens";
    uint8_t* fourth = arena.Allocate(kScreen);
    ASSERT_NE(fourth, nullptr);
    EXPECT_NE(page(fourth), page(blocks[0])) << "a fourth screen does not fit the page";

    ASSERT_TRUE(arena.Free(blocks[1], kScreen));
    EXPECT_EQ(arena.Allocate(kScreen), blocks[1]) << "released space is used again";
    ASSERT_TRUE(arena.Free(fourth, kScreen));
    EXPECT_EQ(arena.Allocate(kScreen), fourth) << "an emptied region is kept for the next";
    EXPECT_EQ(arena.Allocate(SIZE_MAX), nullptr);
    uint8_t elsewhere[16];
    EXPECT_FALSE(arena.Free(elsewhere, sizeof elsewhere));
    EXPECT_FALSE(arena.Free(blocks[0] + 64, kScreen)) << "not the start of a block";
    EXPECT_FALSE(arena.Free(blocks[0], kScreen / 2)) << "not the size it was taken with";
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
    ASSERT_EQ(keyed->BltFast(0, 0, keyedSource, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT),
              DD_OK);
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
    EXPECT_TRUE(SameImage({kWidth, kHeight, ReadAllPixels(copied)}, {kWidth, kHeight, pattern}));
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
        EXPECT_EQ(CountOf(ReadAllPixels(paintFront ? primary : back), 0), 640 * 480)
            << "never drawn";
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

// Released shells are made new again oldest first, once kReleasedShellsKept newer ones have
// been released: this many releases after a shell's own, the next object gets it.
constexpr int kKept = int(platform::kReleasedShellsKept);

TEST_F(DdrawReuse, ARecycledClipperHasNoListOrWindowOfItsPredecessor) {
    const int liveBefore = LiveObjects();
    IDirectDrawClipper* listed = MakeClipper({0, 0, 4, 4});
    listed->Release();
    IDirectDrawClipper* windowed = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &windowed, nullptr), DD_OK);
    ASSERT_EQ(windowed->SetHWnd(0, window), DD_OK);
    windowed->Release();

    // Every clipper made from here on is checked, until both shells have come back.
    std::set<IDirectDrawClipper*> pending = {listed, windowed};
    for (int i = 0; !pending.empty() && i < 4 * kKept; ++i) {
        IDirectDrawClipper* fresh = nullptr;
        ASSERT_EQ(directDraw->CreateClipper(0, &fresh, nullptr), DD_OK);
        pending.erase(fresh);
        HWND owner = window;
        EXPECT_EQ(fresh->GetHWnd(&owner), DD_OK);
        EXPECT_EQ(owner, nullptr);
        DWORD size = 0;
        EXPECT_EQ(fresh->GetClipList(nullptr, nullptr, &size), DDERR_NOCLIPLIST);
        IDirectDrawSurface* target = MakePlain(kWidth, kHeight);
        ASSERT_EQ(target->SetClipper(fresh), DD_OK);
        DDBLTFX fill{};
        fill.dwSize = sizeof fill;
        EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill),
                  DDERR_NOCLIPLIST);
        EXPECT_EQ(fresh->Release(), 1u) << "the surface holds the only other reference";
        target->Release();
    }
    EXPECT_TRUE(pending.empty()) << "released clipper shells are made new again";
    EXPECT_EQ(LiveObjects(), liveBefore);
}

// A stale pointer to a released surface keeps answering as a released surface while newer
// releases queue behind it; then its shell becomes a new surface with nothing of the old one.
TEST_F(DdrawReuse, AReleasedSurfaceStaysReleasedUntilItsShellIsMadeNew) {
    IDirectDrawSurface* old = Painted(kDirt);
    DDCOLORKEY key = {1, 1};
    ASSERT_EQ(old->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    ASSERT_EQ(old->SetClipper(MakeClipper({0, 0, 1, 1})), DD_OK);
    old->Release();
    for (int i = 0; i < kKept; ++i) {
        IDirectDrawSurface* newer = MakePlain(kWidth, kHeight);
        ASSERT_NE(newer, old);
        newer->Release();
        ASSERT_EQ(old->IsLost(), DDERR_INVALIDOBJECT) << "after " << i + 1 << " newer releases";
    }

    // Shells released before this test's (by the platform's reset) may still come first.
    IDirectDrawSurface* fresh = MakePlain(2 * kWidth, kHeight);
    for (int i = 0; fresh != old && i < 4 * kKept; ++i) {
        fresh->Release();
        fresh = MakePlain(2 * kWidth, kHeight);
    }
    ASSERT_EQ(fresh, old) << "released shells are made new again";
    EXPECT_EQ(fresh->IsLost(), DD_OK);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(fresh->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, DWORD(2 * kWidth));
    EXPECT_EQ(CountOf(ReadAllPixels(fresh), 0), 2 * kWidth * kHeight);
    EXPECT_EQ(fresh->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    IDirectDrawClipper* clipper = nullptr;
    EXPECT_EQ(fresh->GetClipper(&clipper), DDERR_NOCLIPPERATTACHED);
    EXPECT_EQ(fresh->Release(), 0u);
}

// A program that makes and releases a surface and a clipper for every draw, as a blend's
// backdrop and a stretch's clipper are, holds a bounded set of shells however long it runs.
TEST_F(DdrawReuse, MakingAndReleasingForeverHoldsABoundedSetOfShells) {
    const int liveBefore = LiveObjects();
    std::set<const void*> shells;
    for (int i = 0; i < 20 * kKept; ++i) {
        IDirectDrawSurface* surface = MakePlain(kWidth, kHeight);
        IDirectDrawClipper* clipper = MakeClipper({0, 0, 1, 1});
        shells.insert(surface);
        shells.insert(clipper);
        clipper->Release();
        surface->Release();
    }
    EXPECT_LE(shells.size(), size_t(2 * (kKept + 1)));
    EXPECT_EQ(LiveObjects(), liveBefore);
}

// Palettes and DirectDraw objects made and released again and again are reclaimed as
// surfaces and clippers are: the shells held stay bounded, and a palette in a recycled
// shell has its own entries.
TEST_F(DdrawReuse, PalettesAndDirectDrawObjectsAreReclaimedToo) {
    const int liveBefore = LiveObjects();
    const int shellsBefore = DirectDrawShellsHeld();
    PALETTEENTRY entries[256] = {};
    for (int i = 0; i < 20 * kKept; ++i) {
        entries[1].peRed = BYTE(i);
        IDirectDrawPalette* palette = nullptr;
        ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
        PALETTEENTRY read{};
        ASSERT_EQ(palette->GetEntries(0, 1, 1, &read), DD_OK);
        EXPECT_EQ(read.peRed, BYTE(i));
        palette->Release();
        IDirectDraw* other = nullptr;
        ASSERT_EQ(DirectDrawCreate(nullptr, &other, nullptr), DD_OK);
        other->Release();
    }
    EXPECT_LE(DirectDrawShellsHeld() - shellsBefore, 2 * (kKept + 1));
    EXPECT_EQ(LiveObjects(), liveBefore);
}

// A surface that ends while a device context is still out on it (the display torn down
// without GDI) is still named by that context, so its shell is never handed out again.
TEST_F(DdrawReuse, ASurfaceEndingWithItsContextOutKeepsItsShell) {
    IDirectDrawSurface* drawnOn = MakePlain(kWidth, kHeight);
    HDC context = nullptr;
    ASSERT_EQ(drawnOn->GetDC(&context), DD_OK);
    platform::ResetDdraw();
    TakeDisplay(16);
    for (int i = 0; i < 4 * kKept; ++i) {
        IDirectDrawSurface* surface = MakePlain(kWidth, kHeight);
        ASSERT_NE(surface, drawnOn) << "after " << i << " surfaces";
        surface->Release();
    }
    EXPECT_EQ(drawnOn->IsLost(), DDERR_INVALIDOBJECT);
}

}  // namespace
}  // namespace vantor::testing
