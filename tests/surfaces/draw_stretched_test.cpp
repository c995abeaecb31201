// The stretched draw: scaling through a temporary clipper bound to ClipRect, and the
// clipper's life on every path.
#include <gtest/gtest.h>

#include "support/reference_draw.h"
#include "support/surface_device.h"
#include "testing.h"

namespace vantor::testing {
namespace {

// Each column of the Surface has its own value, each row adds its own high bits.
PackedImage Columns(int32_t width, int32_t height) {
    PackedImage image(width, height, 2);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.SetPixel(y, x, static_cast<uint32_t>(0x100 * y + x + 1));
    return image;
}

class DrawStretchedTest : public SurfaceDeviceTest {
protected:
    void SetUp() override {
        SurfaceDeviceTest::SetUp();
        MakeSurfaceWith(*device, target, PackedImage(48, 40, 2));
        ASSERT_EQ(device->SelectSurfaceTarget(target), 1);
        MakeSurfaceWith(*device, glyph, image);
    }

    void ExpectStretchMatchesReference(RECT destination, int32_t key) {
        PackedImage expected = ReadSurface(target);
        ReferenceDrawStretched(expected, image, destination,
                               ReferenceDraw{device->clipRect, 0, 0, key, 16, 6});
        EXPECT_EQ(device->DrawStretched(glyph, destination.left, destination.top,
                                        destination.right - destination.left,
                                        destination.bottom - destination.top, key, 1),
                  1);
        EXPECT_EQ(ReadSurface(target).bytes, expected.bytes);
    }

    Surface target;
    Surface glyph;
    PackedImage image = Columns(16, 16);
};

TEST_F(DrawStretchedTest, ScalesTheWholeSurfaceOntoTheDestination) {
    ExpectStretchMatchesReference({0, 0, 24, 20}, -1);  // the glyph box of the sheet
    ExpectStretchMatchesReference({5, 3, 13, 11}, -1);  // shrinking by half
}

TEST_F(DrawStretchedTest, ADestinationPastClipRectKeepsTheScale) {
    // From x = -8 the right three quarters of the columns show, still twice as wide.
    ExpectStretchMatchesReference({-8, 0, 24, 32}, -1);
    PackedImage shown = ReadSurface(target);
    EXPECT_EQ(shown.Pixel(0, 0), image.Pixel(0, 4));
    EXPECT_EQ(shown.Pixel(0, 1), image.Pixel(0, 4));
    EXPECT_EQ(shown.Pixel(0, 23), image.Pixel(0, 15));
    EXPECT_EQ(shown.Pixel(0, 24), 0u);

    // A ClipRect narrower than the target limits the pixels written, not the scale.
    WriteSurface(target, PackedImage(48, 40, 2));
    device->clipRect = {10, 4, 20, 30};
    ExpectStretchMatchesReference({0, 0, 32, 32}, -1);
    shown = ReadSurface(target);
    EXPECT_EQ(shown.Pixel(4, 10), image.Pixel(2, 5));
    EXPECT_EQ(shown.Pixel(4, 9), 0u);
    EXPECT_EQ(shown.Pixel(3, 10), 0u);
}

TEST_F(DrawStretchedTest, SkipsKeyedPixels) {
    WriteSurface(target, [] {
        PackedImage grey(48, 40, 2);
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 48; ++x) grey.SetPixel(y, x, 0x4208);
        return grey;
    }());
    ExpectStretchMatchesReference({2, 2, 34, 18}, static_cast<int32_t>(image.Pixel(0, 3)));
}

TEST_F(DrawStretchedTest, UsesAClipperOfClipRectForTheCallOnly) {
    int live = LiveObjects();
    RecordCalls(true);
    ASSERT_EQ(device->DrawStretched(glyph, 0, 0, 24, 20, -1, 1), 1);
    std::vector<std::string> expected = {"CreateClipper", "SetClipList", "SetClipper",
                                         "Blt",           "SetClipper",  "Release"};
    EXPECT_EQ(CallSequence(), expected);
    ASSERT_EQ(CallsNamed("SetClipList").size(), 1u);
    EXPECT_NE(CallsNamed("SetClipList")[0].detail.find("rects=1"), std::string::npos)
        << CallsNamed("SetClipList")[0].detail;
    EXPECT_EQ(LiveObjects(), live);
    IDirectDrawClipper* attached = nullptr;
    EXPECT_NE(device->renderTarget->GetClipper(&attached), DD_OK) << "the clipper is detached";
}

TEST_F(DrawStretchedTest, ReleasesTheClipperOnEveryPath) {
    int live = LiveObjects();
    RecordCalls(true);

    FailCall("Blt");
    EXPECT_EQ(device->DrawStretched(glyph, 0, 0, 24, 20, -1, 1), 0);
    EXPECT_EQ(CallsNamed("SetClipper").size(), 2u)
        << "attached, then detached after the failed blit";
    EXPECT_EQ(LiveObjects(), live);

    ClearCallLog();
    FailCall("SetClipper");
    EXPECT_EQ(device->DrawStretched(glyph, 0, 0, 24, 20, -1, 1), 0);
    EXPECT_TRUE(CallsNamed("Blt").empty());
    EXPECT_EQ(LiveObjects(), live);

    ClearCallLog();
    FailCall("CreateClipper");
    EXPECT_EQ(device->DrawStretched(glyph, 0, 0, 24, 20, -1, 1), 0);
    EXPECT_EQ(CallSequence(), std::vector<std::string>{"CreateClipper"});
    EXPECT_EQ(LiveObjects(), live);
}

TEST_F(DrawStretchedTest, LeavesTheTargetWithoutTheClipperItHadBefore) {
    IDirectDrawClipper* own = nullptr;
    ASSERT_EQ(device->directDraw->CreateClipper(0, &own, nullptr), DD_OK);
    ASSERT_EQ(device->renderTarget->SetClipper(own), DD_OK);
    EXPECT_EQ(device->DrawStretched(glyph, 0, 0, 24, 20, -1, 1), 1);
    IDirectDrawClipper* attached = nullptr;
    EXPECT_NE(device->renderTarget->GetClipper(&attached), DD_OK);
    own->Release();
}

TEST_F(DrawStretchedTest, HandsEmptyOrInvertedDestinationsToTheBlitterUnchanged) {
    RecordCalls(true);
    for (auto [w, h] : {std::pair{0, 20}, {24, 0}, {-5, 20}}) {
        ClearCallLog();
        EXPECT_EQ(device->DrawStretched(glyph, 3, 4, w, h, -1, 1), 0);
        ASSERT_EQ(CallsNamed("Blt").size(), 1u);
        std::string rect = "(3,4," + std::to_string(3 + w) + "," + std::to_string(4 + h) + ")";
        EXPECT_NE(CallsNamed("Blt")[0].detail.find(rect), std::string::npos)
            << CallsNamed("Blt")[0].detail;
    }
}

}  // namespace
}  // namespace vantor::testing
