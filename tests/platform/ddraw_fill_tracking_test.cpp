// A colour fill of a whole surface writes only what was drawn since the last fill of the
// same value. Every way pixels can change must be seen, or the next fill leaves them behind:
// each case here fills, draws one way, fills again with the same value, and then finds any
// pixel that is not the fill's. Pixels are read only at the end: a read locks the surface,
// which by itself makes the next fill write everything.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "testing.h"

namespace vantor::testing {
namespace {

constexpr uint32_t kClear = 0x1234;
constexpr uint32_t kInk = 0xFFFF;

// "" when every pixel holds the value, else where the first one that does not lies.
std::string EveryPixelIs(IDirectDrawSurface* surface, int width, uint32_t value) {
    const std::vector<uint32_t> pixels = ReadAllPixels(surface);
    if (pixels.empty()) return "the surface could not be read";
    const auto stray =
        std::find_if(pixels.begin(), pixels.end(), [&](uint32_t pixel) { return pixel != value; });
    if (stray == pixels.end()) return "";
    const long at = stray - pixels.begin();
    return "pixel (" + std::to_string(at % width) + "," + std::to_string(at / width) + ") holds " +
           std::to_string(*stray);
}

class DdrawFillTracking : public DdrawTest {
protected:
    void SetUp() override {
        DdrawTest::SetUp();
        TakeDisplay(16);
        surface = MakePlain(kWidth, kHeight);
        ink = MakePlain(8, 8);
        ASSERT_TRUE(FillSurface(ink, kInk));
    }

    // Fills, draws a tracked 2 x 2 copy in the corner, then draws the way given; the next
    // fill of the same value must clear both.
    std::string ClearedAfter(const std::function<void()>& draw) {
        EXPECT_TRUE(FillSurface(surface, kClear));
        RECT box = {0, 0, 2, 2};
        EXPECT_EQ(surface->BltFast(0, 0, ink, &box, DDBLTFAST_WAIT), DD_OK);
        draw();
        EXPECT_TRUE(FillSurface(surface, kClear));
        return EveryPixelIs(surface, kWidth, kClear);
    }

    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    IDirectDrawSurface* surface = nullptr;
    IDirectDrawSurface* ink = nullptr;
};

TEST_F(DdrawFillTracking, EveryWayOfDrawingIsClearedByTheNextFill) {
    EXPECT_EQ(ClearedAfter([] {}), "");
    EXPECT_EQ(ClearedAfter([&] {
                  // The pointer of a lock of one corner reaches the whole surface.
                  RECT corner = {0, 0, 1, 1};
                  DDSURFACEDESC desc{};
                  desc.dwSize = sizeof desc;
                  ASSERT_EQ(surface->Lock(&corner, &desc, DDLOCK_WAIT, nullptr), DD_OK);
                  uint8_t* far = static_cast<uint8_t*>(desc.lpSurface) + 40 * desc.lPitch + 2 * 50;
                  far[0] = far[1] = 0xFF;
                  surface->Unlock(nullptr);
              }),
              "")
        << "a lock";
    EXPECT_EQ(ClearedAfter([&] {
                  HDC dc = nullptr;
                  ASSERT_EQ(surface->GetDC(&dc), DD_OK);
                  SetTextColor(dc, 0xFFFFFF);
                  SetBkColor(dc, 0x000000);
                  EXPECT_TRUE(TextOutA(dc, 30, 20, "W", 1));
                  surface->ReleaseDC(dc);
              }),
              "")
        << "text drawn through a device context";
    EXPECT_EQ(ClearedAfter([&] {
                  EXPECT_EQ(surface->BltFast(40, 30, ink, nullptr, DDBLTFAST_WAIT), DD_OK);
              }),
              "")
        << "BltFast";
    EXPECT_EQ(ClearedAfter([&] {
                  RECT stretched = {20, 10, 44, 30};
                  EXPECT_EQ(surface->Blt(&stretched, ink, nullptr, DDBLT_WAIT, nullptr), DD_OK);
              }),
              "")
        << "a stretching Blt";
    EXPECT_EQ(ClearedAfter([&] {
                  IDirectDrawClipper* clipper = MakeClipper({50, 5, 60, 15});
                  ASSERT_EQ(surface->SetClipper(clipper), DD_OK);
                  DDBLTFX effects{};
                  effects.dwSize = sizeof effects;
                  effects.dwFillColor = kInk;
                  EXPECT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT,
                                         &effects),
                            DD_OK);
                  surface->SetClipper(nullptr);
                  clipper->Release();
              }),
              "")
        << "a clipped colour fill";
}

TEST_F(DdrawFillTracking, AFillOfAnotherValueWritesEverything) {
    ASSERT_TRUE(FillSurface(surface, kClear));
    ASSERT_TRUE(FillSurface(surface, kInk));
    EXPECT_EQ(EveryPixelIs(surface, kWidth, kInk), "");
}

TEST_F(DdrawFillTracking, AFlipMovesMemoryTheFillsKnewNothingOf) {
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    ASSERT_NE(primary, nullptr);
    ASSERT_TRUE(FillSurface(primary, kInk));
    ASSERT_TRUE(FillSurface(back, kClear));
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    // The back buffer now holds the ink the front held, the front the back's clear.
    ASSERT_TRUE(FillSurface(back, kClear));
    ASSERT_TRUE(FillSurface(primary, kInk));
    EXPECT_EQ(EveryPixelIs(back, kScreenWidth, kClear), "");
    EXPECT_EQ(EveryPixelIs(primary, kScreenWidth, kInk), "");
}

TEST_F(DdrawFillTracking, ARestoredSurfaceHoldsZeroesTheFillsKnewNothingOf) {
    IDirectDrawSurface* video = MakePlain(kWidth, kHeight, false);
    ASSERT_TRUE(FillSurface(video, kClear));
    SendFocusLost();
    Pump();
    SendFocusGained();
    Pump();
    ASSERT_EQ(video->Restore(), DD_OK);
    // Drawing makes the zeroes real; the fill must then write them over.
    HDC dc = nullptr;
    ASSERT_EQ(video->GetDC(&dc), DD_OK);
    EXPECT_TRUE(TextOutA(dc, 0, 0, "W", 1));
    video->ReleaseDC(dc);
    ASSERT_TRUE(FillSurface(video, kClear));
    EXPECT_EQ(EveryPixelIs(video, kWidth, kClear), "");
}

}  // namespace
}  // namespace vantor::testing
