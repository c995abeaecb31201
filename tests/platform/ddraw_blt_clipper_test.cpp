// Blt: fills, copies and point-sampled stretches; without a clipper every rectangle must
// lie inside its surface, with one the destination may reach past the surface, only
// clip-list pixels are written and the scale comes from the unclipped rectangles.
#include <random>

#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "support/reference_blits.h"

namespace vantor::testing {
namespace {

class DdrawBlt : public DdrawTest {
protected:
    void SetUp() override {
        DdrawTest::SetUp();
        TakeDisplay(16);
    }
    static ReferenceImage Image(IDirectDrawSurface* surface, int32_t width, int32_t height) {
        ReferenceImage image(width, height, 2);
        image.pixels = ReadAllPixels(surface);
        return image;
    }
};

DDBLTFX FillEffects(uint32_t value) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = value;
    return fx;
}

// A 16 x 16 source whose pixel value names its column (and row, in the high byte).
std::vector<uint32_t> NamedPixels(int width, int height) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) pixels.push_back(uint32_t(y << 8 | x));
    return pixels;
}

TEST_F(DdrawBlt, StretchThroughAClipperKeepsTheUnclippedScale) {
    IDirectDrawSurface* target = MakePlain(64, 40);
    IDirectDrawSurface* source = MakePlain(16, 16);
    ASSERT_TRUE(WriteAllPixels(source, NamedPixels(16, 16)));
    ASSERT_TRUE(FillSurface(target, 0xAAAA));
    IDirectDrawClipper* clipper = MakeClipper({0, 0, 64, 40});
    ASSERT_EQ(target->SetClipper(clipper), DD_OK);

    RECT dst = {-8, 0, 24, 32};  // the source twice as large, a quarter of it off the left edge
    ASSERT_EQ(target->Blt(&dst, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    // Destination column x shows source column (x + 8) / 2: the right three quarters,
    // still twice as wide.
    EXPECT_EQ(ReadPixel(target, 0, 0), 4u);
    EXPECT_EQ(ReadPixel(target, 1, 0), 4u);
    EXPECT_EQ(ReadPixel(target, 2, 0), 5u);
    EXPECT_EQ(ReadPixel(target, 23, 31), uint32_t(15 << 8 | 15));
    EXPECT_EQ(ReadPixel(target, 24, 0), 0xAAAAu);
    EXPECT_EQ(ReadPixel(target, 0, 32), 0xAAAAu);

    target->SetClipper(nullptr);
    EXPECT_EQ(target->Blt(&dst, source, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT)
        << "without a clipper the same rectangle is refused";
    clipper->Release();
}

TEST_F(DdrawBlt, ClippedFillsWriteOnlyTheClipListAndAMissingListIsAnError) {
    IDirectDrawSurface* target = MakePlain(32, 32);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(target->SetClipper(clipper), DD_OK);
    DDBLTFX fx = FillEffects(0x1234);
    RECT dst = {-100, -100, 100, 100};
    EXPECT_EQ(target->Blt(&dst, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_NOCLIPLIST);

    std::vector<uint8_t> region = MakeRegion({{4, 4, 8, 8}, {20, 0, 40, 2}});
    ASSERT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(region.data()), 0), DD_OK);
    ASSERT_EQ(target->Blt(&dst, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    ReferenceImage expected(32, 32, 2);
    ReferenceFill(expected, {4, 4, 8, 8}, 0x1234);
    ReferenceFill(expected, {20, 0, 32, 2}, 0x1234);
    EXPECT_TRUE(SameImage({32, 32, ReadAllPixels(target)}, expected.View()));

    RECT empty = {5, 5, 5, 9};
    EXPECT_EQ(target->Blt(&empty, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDRECT);
    clipper->Release();
}

// Random blits through the real Blt, clipped and unclipped, keyed and not, checked
// against the per-pixel reference; refusals must leave the target untouched.
TEST_F(DdrawBlt, RandomBlitsMatchTheReference) {
    IDirectDrawSurface* target = MakePlain(48, 30);
    IDirectDrawSurface* source = MakePlain(20, 12);
    for (int i = 0; i < 300; ++i) {
        const uint32_t seed = 1000 + i;
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        auto between = [&](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        std::vector<uint32_t> targetPixels(48 * 30), sourcePixels(20 * 12);
        for (uint32_t& p : targetPixels) p = random() & 0xFFFF;
        for (uint32_t& p : sourcePixels)
            p = between(0, 3) ? uint32_t(between(0, 4)) : random() & 0xFFFF;
        ASSERT_TRUE(WriteAllPixels(target, targetPixels));
        ASSERT_TRUE(WriteAllPixels(source, sourcePixels));

        const bool clipped = between(0, 1);
        const RECT clip = {between(-5, 30), between(-5, 20), between(10, 55), between(10, 35)};
        IDirectDrawClipper* clipper = clipped ? MakeClipper(clip) : nullptr;
        if (clipper) {
            ASSERT_EQ(target->SetClipper(clipper), DD_OK);
        }
        const int left = between(-20, 50), top = between(-10, 32);
        RECT dst = {left, top, left + between(-2, 60), top + between(-2, 40)};
        const int sl = between(-1, 19), st = between(-1, 11);
        RECT src = {sl, st, sl + between(0, 21), st + between(0, 13)};
        const bool keyed = between(0, 2) == 0;
        DDCOLORKEY key = {uint32_t(between(0, 4)), 0};
        key.dwColorSpaceHighValue = key.dwColorSpaceLowValue;
        source->SetColorKey(DDCKEY_SRCBLT, keyed ? &key : nullptr);

        const HRESULT result =
            target->Blt(&dst, source, &src, DDBLT_WAIT | (keyed ? DDBLT_KEYSRC : 0), nullptr);
        ReferenceImage expected(48, 30, 2);
        expected.pixels = targetPixels;
        const bool dstOk =
            dst.left < dst.right && dst.top < dst.bottom &&
            (clipped || (dst.left >= 0 && dst.top >= 0 && dst.right <= 48 && dst.bottom <= 30));
        const bool srcOk = src.left >= 0 && src.top >= 0 && src.left < src.right &&
                           src.top < src.bottom && src.right <= 20 && src.bottom <= 12;
        if (dstOk && srcOk) {
            ASSERT_EQ(result, DD_OK);
            ReferenceImage from(20, 12, 2);
            from.pixels = sourcePixels;
            const Box limit =
                clipped ? Box{clip.left, clip.top, clip.right, clip.bottom} : Box{0, 0, 48, 30};
            ReferenceStretch(expected, {dst.left, dst.top, dst.right, dst.bottom}, limit, from,
                             {src.left, src.top, src.right, src.bottom},
                             keyed ? std::optional<ReferenceKey>(
                                         {key.dwColorSpaceLowValue, key.dwColorSpaceLowValue})
                                   : std::nullopt);
        } else {
            ASSERT_EQ(result, DDERR_INVALIDRECT);
        }
        ASSERT_TRUE(SameImage({48, 30, ReadAllPixels(target)}, expected.View()));
        if (clipper) {
            target->SetClipper(nullptr);
            clipper->Release();
        }
    }
}

TEST_F(DdrawBlt, StretchWithinOneSurfaceReadsTheSourceAsItWas) {
    IDirectDrawSurface* surface = MakePlain(40, 20);
    const std::vector<uint32_t> pixels = NamedPixels(40, 20);
    ASSERT_TRUE(WriteAllPixels(surface, pixels));
    RECT src = {0, 0, 10, 10}, dst = {5, 5, 25, 15};
    ASSERT_EQ(surface->Blt(&dst, surface, &src, DDBLT_WAIT, nullptr), DD_OK);
    ReferenceImage expected(40, 20, 2), before(40, 20, 2);
    expected.pixels = before.pixels = pixels;
    ReferenceStretch(expected, {5, 5, 25, 15}, {0, 0, 40, 20}, before, {0, 0, 10, 10});
    EXPECT_TRUE(SameImage({40, 20, ReadAllPixels(surface)}, expected.View()));
}

// With two clip rectangles the first one's writes land on the second one's source.
TEST_F(DdrawBlt, ClippedCopyWithinOneSurfaceReadsTheSourceAsItWas) {
    IDirectDrawSurface* surface = MakePlain(8, 1);
    ASSERT_TRUE(WriteAllPixels(surface, {0, 1, 2, 3, 4, 5, 6, 7}));
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    std::vector<uint8_t> region = MakeRegion({{1, 0, 4, 1}, {4, 0, 8, 1}});
    ASSERT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(region.data()), 0), DD_OK);
    ASSERT_EQ(surface->SetClipper(clipper), DD_OK);
    RECT src = {0, 0, 7, 1}, dst = {1, 0, 8, 1};
    ASSERT_EQ(surface->Blt(&dst, surface, &src, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(ReadAllPixels(surface), (std::vector<uint32_t>{0, 0, 1, 2, 3, 4, 5, 6}));
    clipper->Release();
}

TEST_F(DdrawBlt, FillNeedsItsEffectsRecordAndNoSource) {
    IDirectDrawSurface* target = MakePlain(8, 8);
    IDirectDrawSurface* source = MakePlain(8, 8);
    DDBLTFX fx = FillEffects(7);
    EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->Blt(nullptr, source, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDPARAMS);
    fx.dwSize = 100;
    EXPECT_EQ(target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
    EXPECT_EQ(target->Blt(nullptr, source, nullptr, DDBLT_KEYSRC, nullptr), DDERR_INVALIDPARAMS)
        << "a keyed blit from a source without a key";
    EXPECT_EQ(ReadPixel(target, 0, 0), 0u);
}

}  // namespace
}  // namespace vantor::testing
