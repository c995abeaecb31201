// BltFast never clips: every rectangle outside either surface is refused with
// DDERR_INVALIDRECT and changes nothing; a clipper on the destination is refused too.
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "support/image_compare.h"

namespace vantor::testing {
namespace {

class DdrawBltFast : public DdrawTest {
protected:
    void SetUp() override {
        DdrawTest::SetUp();
        TakeDisplay(16);
        big = MakePlain(128, 128);
        small = MakePlain(64, 64);
        ASSERT_TRUE(FillSurface(big, 0x0101));
        ASSERT_TRUE(FillSurface(small, 0x0202));
    }
    IDirectDrawSurface* big = nullptr;
    IDirectDrawSurface* small = nullptr;
};

struct Placement {
    const char* what;
    DWORD x, y;
    bool smallOntoBig;
    RECT source;  // left = -99 means the whole source
    HRESULT expected;
};

TEST_F(DdrawBltFast, RectanglesOutsideEitherSurfaceAreRefusedAndChangeNothing) {
    const RECT whole = {-99, 0, 0, 0};
    const Placement cases[] = {
        {"whole 64x64 at (0,0) into 128x128", 0, 0, true, whole, DD_OK},
        {"whole 128x128 into 64x64", 0, 0, false, whole, DDERR_INVALIDRECT},
        {"(10,10,20,20) at (60,60) into 64x64, 6 over",
         60,
         60,
         false,
         {10, 10, 20, 20},
         DDERR_INVALIDRECT},
        {"whole at (90,90)", 90, 90, true, whole, DDERR_INVALIDRECT},
        {"whole at x=-10", DWORD(-10), 0, true, whole, DDERR_INVALIDRECT},
        {"whole at y=-10", 0, DWORD(-10), true, whole, DDERR_INVALIDRECT},
        {"whole at x=-16", DWORD(-16), 0, true, whole, DDERR_INVALIDRECT},
        {"inverted source", 0, 0, true, {20, 10, 10, 20}, DDERR_INVALIDRECT},
        {"empty source", 0, 0, true, {20, 20, 20, 20}, DDERR_INVALIDRECT},
        {"source starting at -1", 0, 0, true, {-1, -1, 20, 20}, DDERR_INVALIDRECT},
        {"source beyond the source", 0, 0, true, {0, 0, 65, 64}, DDERR_INVALIDRECT},
        {"source ending exactly at the edge, placed at the far edge",
         64,
         64,
         true,
         {0, 0, 64, 64},
         DD_OK},
    };
    for (const Placement& c : cases) {
        SCOPED_TRACE(c.what);
        IDirectDrawSurface* dst = c.smallOntoBig ? big : small;
        IDirectDrawSurface* src = c.smallOntoBig ? small : big;
        const std::vector<uint32_t> before = ReadAllPixels(dst);
        RECT source = c.source;
        EXPECT_EQ(
            dst->BltFast(c.x, c.y, src, c.source.left == -99 ? nullptr : &source, DDBLTFAST_WAIT),
            c.expected);
        if (c.expected != DD_OK) {
            EXPECT_EQ(ReadAllPixels(dst), before);
        }
    }
}

TEST_F(DdrawBltFast, CopiesTheSourceBoxToThePositionOnly) {
    RECT source = {10, 20, 13, 22};
    ASSERT_EQ(WriteAllPixels(small, std::vector<uint32_t>(64 * 64, 0x0202)), true);
    ASSERT_EQ(big->BltFast(100, 5, small, &source, DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(ReadPixel(big, 100, 5), 0x0202u);
    EXPECT_EQ(ReadPixel(big, 102, 6), 0x0202u);
    EXPECT_EQ(ReadPixel(big, 103, 6), 0x0101u);
    EXPECT_EQ(ReadPixel(big, 102, 7), 0x0101u);
    EXPECT_EQ(ReadPixel(big, 99, 5), 0x0101u);
}

TEST_F(DdrawBltFast, SourceKeySkipsKeyedPixelsAndNeedsAKey) {
    std::vector<uint32_t> pixels(64 * 64, 0x0202);
    pixels[0] = 0x0303;
    ASSERT_TRUE(WriteAllPixels(small, pixels));
    EXPECT_EQ(big->BltFast(0, 0, small, nullptr, DDBLTFAST_SRCCOLORKEY), DDERR_INVALIDPARAMS);
    DDCOLORKEY key = {0x0202, 0x0202};
    ASSERT_EQ(small->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    ASSERT_EQ(big->BltFast(0, 0, small, nullptr, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(ReadPixel(big, 0, 0), 0x0303u);
    EXPECT_EQ(ReadPixel(big, 1, 0), 0x0101u);
}

TEST_F(DdrawBltFast, AClipperOnTheDestinationIsRefused) {
    IDirectDrawClipper* clipper = MakeClipper({0, 0, 128, 128});
    ASSERT_EQ(big->SetClipper(clipper), DD_OK);
    EXPECT_EQ(big->BltFast(0, 0, small, nullptr, DDBLTFAST_WAIT), DDERR_BLTFASTCANTCLIP);
    clipper->Release();
}

TEST_F(DdrawBltFast, OverlappingCopiesWithinOneSurfaceReadTheSourceFirst) {
    std::vector<uint32_t> pixels(128 * 128);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint32_t(i * 7 % 65521);
    ASSERT_TRUE(WriteAllPixels(big, pixels));
    RECT source = {0, 0, 100, 100};
    ASSERT_EQ(big->BltFast(3, 5, big, &source, DDBLTFAST_WAIT), DD_OK);
    std::vector<uint32_t> expected = pixels;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) expected[(y + 5) * 128 + x + 3] = pixels[y * 128 + x];
    ASSERT_TRUE(SameImage({128, 128, ReadAllPixels(big)}, {128, 128, expected}));
    EXPECT_EQ(big->BltFast(0, 0, big, nullptr, DDBLTFAST_WAIT), DD_OK);
}

}  // namespace
}  // namespace vantor::testing
