// The unscaled draw: clipping to ClipRect, rejection, colour keys and waiting, checked on
// pixels and on the platform calls, and compared with a per-pixel reference.
#include <gtest/gtest.h>

#include <random>

#include "support/reference_draw.h"
#include "support/surface_device.h"
#include "testing.h"

namespace vantor::testing {
namespace {

// Pixels that tell their position apart: (x, y) of the Surface is 1 + 64 * y + x.
PackedImage Numbered(int32_t width, int32_t height) {
    PackedImage image(width, height, 2);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.SetPixel(y, x, static_cast<uint32_t>(1 + 64 * y + x));
    return image;
}

class DrawSurfaceTest : public SurfaceDeviceTest {
protected:
    // A blank target of the given size, selected, with ClipRect covering it.
    void UseTarget(int32_t width, int32_t height) {
        MakeSurfaceWith(*device, target, PackedImage(width, height, 2));
        ASSERT_EQ(device->SelectSurfaceTarget(target), 1);
    }
    // Draws and checks the target against the reference and the result against its rule.
    void ExpectDrawMatchesReference(Surface& surface, const PackedImage& image, int32_t x,
                                    int32_t y, int32_t key, const std::string& context) {
        PackedImage expected = ReadSurface(target);
        int32_t expectedResult = ReferenceDrawSurface(
            expected, image, ReferenceDraw{device->clipRect, x, y, key, 16, 6});
        int32_t result = device->DrawSurface(surface, x, y, key, 1);
        PackedImage actual = ReadSurface(target);
        EXPECT_EQ(result, expectedResult) << context;
        for (int32_t row = 0; row < actual.height; ++row)
            for (int32_t column = 0; column < actual.width; ++column)
                if (actual.Pixel(row, column) != expected.Pixel(row, column)) {
                    ADD_FAILURE() << context << ": first wrong pixel at (" << column << ", " << row
                                  << "): " << actual.Pixel(row, column) << " instead of "
                                  << expected.Pixel(row, column);
                    return;
                }
    }

    Surface target;
};

// The details of the BltFast calls logged since the log was cleared.
std::vector<std::string> BltFastDetails() {
    std::vector<std::string> details;
    for (const PlatformCall& call : CallsNamed("BltFast")) details.push_back(call.detail);
    return details;
}

TEST_F(DrawSurfaceTest, HandsTheBlitterTheClippedSourceAndCorner) {
    UseTarget(640, 480);
    Surface tile;
    PackedImage image = Numbered(16, 16);
    MakeSurfaceWith(*device, tile, image);
    RecordCalls(true);
    struct Case {
        int32_t x;
        const char* call;
    };
    for (Case c :
         {Case{-4, "x=0 y=0 srcrect=(4,0,16,16)"}, {630, "x=630 y=0 srcrect=(0,0,10,16)"}}) {
        ClearCallLog();
        ExpectDrawMatchesReference(tile, image, c.x, 0, -1, "x = " + std::to_string(c.x));
        ASSERT_EQ(BltFastDetails().size(), 1u);
        EXPECT_EQ(BltFastDetails()[0].rfind(c.call, 0), 0u) << BltFastDetails()[0];
        EXPECT_EQ(CallsNamed("BltFast")[0].object, device->renderTarget);
    }
}

TEST_F(DrawSurfaceTest, RejectsOnlySurfacesWhollyOutside) {
    Surface tile;
    MakeSurfaceWith(*device, tile, Numbered(16, 16));
    RecordCalls(true);
    for (auto [x, y] : {std::pair{640, 0}, {-17, 0}, {0, 480}, {0, -17}, {-17, -17}}) {
        EXPECT_EQ(device->DrawSurface(tile, x, y, -1, 1), 0) << x << ", " << y;
        EXPECT_TRUE(BltFastDetails().empty()) << x << ", " << y;
    }
    // Ending exactly on the left edge is not a rejection: the empty source rectangle goes
    // to the blitter, whose answer is the result.
    EXPECT_EQ(device->DrawSurface(tile, -16, 0, -1, 1), 0);
    ASSERT_EQ(BltFastDetails().size(), 1u);
    EXPECT_EQ(BltFastDetails()[0].rfind("x=0 y=0 srcrect=(16,0,16,16)", 0), 0u)
        << BltFastDetails()[0];
    EXPECT_NE(CallsNamed("BltFast")[0].result, DD_OK);
}

TEST_F(DrawSurfaceTest, CutsASurfaceLargerThanTheTargetOnBothSides) {
    UseTarget(20, 20);
    Surface big;
    PackedImage image = Numbered(40, 40);
    MakeSurfaceWith(*device, big, image);
    EXPECT_EQ(device->DrawSurface(big, -10, -10, -1, 1), 1);
    PackedImage shown = ReadSurface(target);
    EXPECT_EQ(shown.Pixel(0, 0), image.Pixel(10, 10));
    EXPECT_EQ(shown.Pixel(19, 19), image.Pixel(29, 29));
}

TEST_F(DrawSurfaceTest, KeyZeroIsARealKeyAndNegativeMeansNone) {
    UseTarget(8, 1);
    WriteSurface(target, [] {
        PackedImage image(8, 1, 2);
        for (int32_t x = 0; x < 8; ++x) image.SetPixel(0, x, 0x7777);
        return image;
    }());
    Surface stripe;
    PackedImage image(8, 1, 2);
    for (int32_t x = 0; x < 8; ++x) image.SetPixel(0, x, x % 2 ? 0x1234 : 0);
    MakeSurfaceWith(*device, stripe, image);

    RecordCalls(true);
    EXPECT_EQ(device->DrawSurface(stripe, 0, 0, 0, 1), 1);
    EXPECT_EQ(CallsNamed("SetColorKey").size(), 1u);
    PackedImage keyed = ReadSurface(target);
    EXPECT_EQ(keyed.Pixel(0, 0), 0x7777u) << "pixels equal to key 0 are skipped";
    EXPECT_EQ(keyed.Pixel(0, 1), 0x1234u);

    ClearCallLog();
    EXPECT_EQ(device->DrawSurface(stripe, 0, 0, -1, 1), 1);
    EXPECT_TRUE(CallsNamed("SetColorKey").empty()) << "no key touches nothing";
    EXPECT_EQ(ReadSurface(target).Pixel(0, 0), 0u);
}

TEST_F(DrawSurfaceTest, WaitsOnlyForWaitOne) {
    Surface tile;
    MakeSurfaceWith(*device, tile, Numbered(4, 4));
    RecordCalls(true);
    struct Case {
        int32_t wait, key;
        const char* flags;
    };
    for (Case c : {Case{1, -1, "flags=0x10"},
                   {0, -1, "flags=0"},
                   {2, -1, "flags=0"},
                   {-1, -1, "flags=0"},
                   {1, 5, "flags=0x11"},
                   {0, 5, "flags=0x1"}}) {
        ClearCallLog();
        EXPECT_EQ(device->DrawSurface(tile, 1, 1, c.key, c.wait), 1);
        ASSERT_EQ(BltFastDetails().size(), 1u);
        const std::string detail = BltFastDetails()[0];
        std::string tail = detail.substr(detail.find("flags="));
        EXPECT_EQ(tail.substr(0, tail.find(' ')), c.flags)
            << "wait " << c.wait << ", key " << c.key;
    }
}

TEST_F(DrawSurfaceTest, AgreesWithThePerPixelReferenceOverRandomPlacements) {
    UseTarget(72, 40);
    std::mt19937 random(20261207);
    auto between = [&](int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(random);
    };
    for (int iteration = 0; iteration < 300; ++iteration) {
        // A clip rectangle inside the target, so that drawing past it would show.
        int32_t left = between(0, 30), top = between(0, 15);
        ClipRect clip{left, top, between(left + 1, 72), between(top + 1, 40)};
        int32_t width = between(1, 24), height = between(1, 24);
        PackedImage image(width, height, 2);
        for (auto& byte : image.bytes) byte = static_cast<uint8_t>(between(0, 3));  // keys recur
        Surface tile;
        MakeSurfaceWith(*device, tile, image);
        WriteSurface(target, PackedImage(72, 40, 2));
        device->clipRect = clip;
        int32_t x = between(clip.left - width - 2, clip.right + 1);
        int32_t y = between(clip.top - height - 2, clip.bottom + 1);
        int32_t key = between(0, 1) ? -1 : static_cast<int32_t>(image.Pixel(0, 0));
        ExpectDrawMatchesReference(tile, image, x, y, key,
                                   "iteration " + std::to_string(iteration) + " at (" +
                                       std::to_string(x) + ", " + std::to_string(y) + "), key " +
                                       std::to_string(key));
        if (HasFailure()) break;
    }
}

}  // namespace
}  // namespace vantor::testing
