// DrawBlended and DrawCheckered on a live device: the worked values in each mode, the clip
// edges, the checkerboard's anchor, the backdrop over the target's edge, the locks, and a
// seeded comparison with the per-pixel reference.
#include <gtest/gtest.h>

#include <random>

#include "support/reference_blends.h"
#include "support/surface_device.h"
#include "support/test_seed.h"
#include "testing.h"

namespace vantor::testing {
namespace {

constexpr DeviceMode kMode565{16, false};
constexpr DeviceMode kMode555{16, true};
constexpr DeviceMode kMode32{32, false};
constexpr DeviceMode kMode8{8, false};
constexpr DeviceMode kMode24{24, false};

PackedImage Solid(int32_t width, int32_t height, int32_t bytesPerPixel, uint32_t value) {
    PackedImage image(width, height, bytesPerPixel);
    for (int32_t r = 0; r < height; ++r)
        for (int32_t c = 0; c < width; ++c) image.SetPixel(r, c, value);
    return image;
}

using DrawOperation = int32_t (DisplayDevice::*)(Surface&, int32_t, int32_t, int32_t, int32_t);

class BlendsTest : public SurfaceDeviceTest {
protected:
    int32_t Bytes() const { return device->bitsPerPixel / 8; }

    // Makes `target` hold the image and selects it as the render target.
    void UseAsTarget(Surface& target, const PackedImage& image) {
        MakeSurfaceWith(*device, target, image);
        ASSERT_EQ(device->SelectSurfaceTarget(target), 1);
    }

    // A white target and a black Surface: what the worked values start from.
    void DrawBlackOverWhite(uint32_t white, PackedImage& after, int32_t x = 0, int32_t y = 0) {
        Surface target, surface;
        UseAsTarget(target, Solid(4, 3, Bytes(), white));
        MakeSurfaceWith(*device, surface, Solid(3, 2, Bytes(), 0));
        EXPECT_EQ(device->DrawBlended(surface, x, y, -1, 1), 1);
        after = ReadSurface(target);
    }
};

TEST_F(BlendsTest, BlackOverWhiteGivesTheWorkedValuesAndLeavesTheLastRowAndColumn) {
    struct Case {
        DeviceMode mode;
        uint32_t white;
        uint32_t mixed;
    };
    // In 5-5-5 the target's bit 15 is set and must survive.
    for (const Case& test : {Case{kMode565, 0xFFFF, 0x7BEF}, Case{kMode555, 0xFFFF, 0xBDEF},
                             Case{kMode32, 0xFFFFFFFF, 0x007F7F7F}}) {
        RestartDevice(test.mode);
        PackedImage after;
        DrawBlackOverWhite(test.white, after);
        SCOPED_TRACE(device->bitsPerPixel);
        // The 3 x 2 Surface draws only its first two columns of its first row.
        EXPECT_EQ(after.Pixel(0, 0), test.mixed);
        EXPECT_EQ(after.Pixel(0, 1), test.mixed);
        EXPECT_EQ(after.Pixel(0, 2), test.white);
        EXPECT_EQ(after.Pixel(1, 0), test.white);
    }
}

TEST_F(BlendsTest, EightBitModesDrawTheCheckerboardWithTheLastRowAndColumn) {
    RestartDevice(kMode8);
    Surface target, surface;
    UseAsTarget(target, Solid(3, 3, 1, 0x11));
    MakeSurfaceWith(*device, surface, Solid(3, 3, 1, 0x22));
    EXPECT_EQ(device->DrawBlended(surface, 0, 0, -1, 1), 1);
    const PackedImage after = ReadSurface(target);
    for (int32_t r = 0; r < 3; ++r)
        for (int32_t c = 0; c < 3; ++c)
            EXPECT_EQ(after.Pixel(r, c), (r + c) % 2 == 0 ? 0x22u : 0x11u) << r << ", " << c;
}

TEST_F(BlendsTest, ClipEdgesDecideTheResult) {
    Surface target, surface, thin;
    UseAsTarget(target, Solid(8, 8, 2, 0x1234));
    MakeSurfaceWith(*device, surface, Solid(4, 4, 2, 0));
    MakeSurfaceWith(*device, thin, Solid(1, 4, 2, 0));
    for (DrawOperation draw : {&DisplayDevice::DrawBlended, &DisplayDevice::DrawCheckered}) {
        // Ending exactly on the left or top edge is not a rejection, but draws nothing.
        EXPECT_EQ((device.get()->*draw)(surface, -4, 0, -1, 1), 1);
        EXPECT_EQ((device.get()->*draw)(surface, 0, -4, -1, 1), 1);
        EXPECT_EQ((device.get()->*draw)(surface, -5, 0, -1, 1), 0);
        EXPECT_EQ((device.get()->*draw)(surface, 0, -5, -1, 1), 0);
        EXPECT_EQ((device.get()->*draw)(surface, 8, 0, -1, 1), 0);
        EXPECT_EQ((device.get()->*draw)(surface, 0, 8, -1, 1), 0);
        EXPECT_EQ((device.get()->*draw)(surface, INT32_MAX, INT32_MAX, -1, 1), 0);
        EXPECT_EQ((device.get()->*draw)(surface, INT32_MIN, 0, -1, 1), 0);
        EXPECT_EQ(ReadSurface(target).bytes, Solid(8, 8, 2, 0x1234).bytes);
    }
    // A Surface one pixel wide has only its last column: the blend draws nothing of it.
    EXPECT_EQ(device->DrawBlended(thin, 2, 2, -1, 1), 1);
    EXPECT_EQ(ReadSurface(target).bytes, Solid(8, 8, 2, 0x1234).bytes);
}

TEST_F(BlendsTest, CheckerboardStaysAnchoredAtTheSurfaceCornerWhenClippedByAnOddCount) {
    Surface target, surface;
    UseAsTarget(target, Solid(6, 4, 2, 0));
    MakeSurfaceWith(*device, surface, Solid(5, 3, 2, 0x1234));
    ASSERT_EQ(device->DrawCheckered(surface, -1, 0, -1, 1), 1);
    const PackedImage after = ReadSurface(target);
    // Surface pixel (r, c) lands on (c - 1, r): the written spots have an odd column + row.
    for (int32_t r = 0; r < 3; ++r)
        for (int32_t c = 0; c < 4; ++c)
            EXPECT_EQ(after.Pixel(r, c), (r + c) % 2 == 1 ? 0x1234u : 0u) << r << ", " << c;
}

// Mixing with zeroed memory instead would give black over black: 0.
TEST_F(BlendsTest, ABlendOverTheTargetEdgeMixesWithTheTargetPixelsUnderIt) {
    for (int32_t at : {-3, 5}) {
        Surface target, surface;
        UseAsTarget(target, Solid(8, 8, 2, 0xFFFF));
        MakeSurfaceWith(*device, surface, Solid(6, 6, 2, 0));
        ASSERT_EQ(device->DrawBlended(surface, at, at, -1, 1), 1);
        const PackedImage after = ReadSurface(target);
        const int32_t inside = at < 0 ? 0 : 7;
        EXPECT_EQ(after.Pixel(inside, inside), 0x7BEFu) << "Surface at " << at;
    }
}

// ClipRect is a public field; one reaching past the target must not let a draw past it.
TEST_F(BlendsTest, AClipRectBeyondTheTargetIsKeptWithinTheTarget) {
    for (DrawOperation draw : {&DisplayDevice::DrawBlended, &DisplayDevice::DrawCheckered}) {
        for (int32_t at : {-3, 5}) {
            Surface target, surface;
            const PackedImage white = Solid(8, 8, 2, 0xFFFF), black = Solid(6, 6, 2, 0);
            UseAsTarget(target, white);
            MakeSurfaceWith(*device, surface, black);
            device->clipRect = {-100, -100, 100, 100};
            PackedImage expected = white;
            const ReferenceDraw onTarget{{0, 0, 8, 8}, at, at, -1, 16, device->greenBits};
            const bool blend = draw == &DisplayDevice::DrawBlended;
            blend ? ReferenceDrawBlended(expected, black, onTarget)
                  : ReferenceDrawCheckered(expected, black, onTarget);
            EXPECT_EQ((device.get()->*draw)(surface, at, at, -1, 1), 1);
            EXPECT_EQ(ReadSurface(target).bytes, expected.bytes)
                << (blend ? "blend" : "checkerboard") << " at " << at;
            device->SelectOffscreen();
        }
    }
}

TEST_F(BlendsTest, LocksAreTakenInOrderAndOnlyTheCallsOwnAreGivenBack) {
    Surface target, surface;
    UseAsTarget(target, Solid(8, 8, 2, 0xFFFF));
    MakeSurfaceWith(*device, surface, Solid(4, 4, 2, 0));
    const int live = LiveObjects();

    RecordCalls(true);
    ASSERT_EQ(device->DrawBlended(surface, 1, 1, -1, 1), 1);
    const auto locks = CallsNamed("Lock");
    const auto unlocks = CallsNamed("Unlock");
    ASSERT_EQ(locks.size(), 3u);
    ASSERT_EQ(unlocks.size(), 3u);
    EXPECT_EQ(locks[0].object, surface.ddSurface);
    EXPECT_EQ(locks[2].object, target.ddSurface);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(unlocks[i].object, locks[i].object) << i;
    EXPECT_EQ(LiveObjects(), live) << "the backdrop must be given back";
    EXPECT_EQ(device->targetLocked, 0);

    // The caller's own lock makes the call fail and is still held afterwards.
    ASSERT_NE(device->LockTarget(1), nullptr);
    EXPECT_EQ(device->DrawBlended(surface, 1, 1, -1, 1), 0);
    EXPECT_EQ(device->DrawCheckered(surface, 1, 1, -1, 1), 0);
    EXPECT_EQ(device->targetLocked, 1);
    EXPECT_EQ(device->UnlockTarget(), 1);
    ASSERT_NE(surface.Lock(1), nullptr);
    EXPECT_EQ(device->DrawBlended(surface, 1, 1, -1, 1), 0);
    EXPECT_EQ(surface.locked, 1);
    EXPECT_EQ(surface.Unlock(), 1);

    // Drawn onto itself, the Surface is locked once already when the target lock is asked.
    EXPECT_EQ(device->DrawBlended(target, 1, 1, -1, 1), 0);
    EXPECT_EQ(device->DrawCheckered(target, 1, 1, -1, 1), 0);
    EXPECT_EQ(target.locked, 0);
    EXPECT_EQ(device->targetLocked, 0);

    // A failing target lock undoes the two locks taken before it, and draws nothing.
    const PackedImage before = ReadSurface(target);
    FailCall("Lock", 3);
    EXPECT_EQ(device->DrawBlended(surface, 1, 1, -1, 1), 0);
    EXPECT_EQ(surface.locked, 0);
    EXPECT_EQ(ReadSurface(target).bytes, before.bytes);
    EXPECT_EQ(LiveObjects(), live);
}

// One random draw: a target with a random clip rectangle, a Surface placed at or past every
// edge of it, and a key that often matches.
struct RandomDraw {
    PackedImage target;
    PackedImage surface;
    ReferenceDraw draw;
    bool blend;
};

uint32_t RandomPixel(std::mt19937& random, int32_t bytes) {
    return bytes == 4 ? uint32_t(random()) : uint32_t(random()) & ((1u << (8 * bytes)) - 1);
}

PackedImage RandomImage(std::mt19937& random, int32_t width, int32_t height, int32_t bytes) {
    PackedImage image(width, height, bytes);
    for (auto& byte : image.bytes) byte = uint8_t(random());
    return image;
}

int32_t Between(std::mt19937& random, int32_t low, int32_t high) {
    return low + int32_t(random() % uint32_t(high - low + 1));
}

RandomDraw MakeRandomDraw(std::mt19937& random, const DisplayDevice& device) {
    const int32_t bytes = device.bitsPerPixel / 8;
    RandomDraw d{};
    d.target = RandomImage(random, Between(random, 1, 40), Between(random, 1, 30), bytes);
    d.surface = RandomImage(random, Between(random, 1, 24), Between(random, 1, 24), bytes);
    ClipRect clip{0, 0, d.target.width, d.target.height};
    if (random() % 2 == 0) {
        clip.left = Between(random, 0, d.target.width - 1);
        clip.right = Between(random, clip.left + 1, d.target.width);
        clip.top = Between(random, 0, d.target.height - 1);
        clip.bottom = Between(random, clip.top + 1, d.target.height);
    }
    const int32_t x = Between(random, clip.left - d.surface.width - 2, clip.right + 1);
    const int32_t y = Between(random, clip.top - d.surface.height - 2, clip.bottom + 1);
    d.blend = random() % 2 == 0;
    int32_t key = -1;
    switch (random() % 3) {
        case 0: {
            const uint32_t pixel = d.surface.Pixel(Between(random, 0, d.surface.height - 1),
                                                   Between(random, 0, d.surface.width - 1));
            const BlendForm form = bytes == 4              ? BlendForm::Rgb32
                                   : device.greenBits == 5 ? BlendForm::Rgb555
                                                           : BlendForm::Rgb565;
            key = int32_t((d.blend && bytes > 1 ? ReferenceBlendKeyValue(form, pixel) : pixel) &
                          0x7FFFFFFF);
            break;
        }
        case 1: key = int32_t(RandomPixel(random, bytes) & 0x7FFFFFFF); break;
        default: break;
    }
    d.draw = ReferenceDraw{clip, x, y, key, device.bitsPerPixel, device.greenBits};
    return d;
}

TEST_F(BlendsTest, BothOperationsMatchTheReferenceOverRandomDraws) {
    const uint32_t seed = TestSeed();
    std::mt19937 random(seed);
    for (const DeviceMode& mode : {kMode565, kMode555, kMode32, kMode8, kMode24}) {
        RestartDevice(mode);
        for (int iteration = 0; iteration < 250; ++iteration) {
            RandomDraw d = MakeRandomDraw(random, *device);
            Surface target, surface;
            UseAsTarget(target, d.target);
            MakeSurfaceWith(*device, surface, d.surface);
            device->clipRect = d.draw.clip;

            PackedImage expected = d.target;
            const int32_t expectedResult =
                d.blend ? ReferenceDrawBlended(expected, d.surface, d.draw)
                        : ReferenceDrawCheckered(expected, d.surface, d.draw);
            const int32_t result =
                d.blend ? device->DrawBlended(surface, d.draw.x, d.draw.y, d.draw.colourKey, 1)
                        : device->DrawCheckered(surface, d.draw.x, d.draw.y, d.draw.colourKey, 1);
            const PackedImage after = ReadSurface(target);
            ASSERT_EQ(result, expectedResult)
                << "VANTOR_TEST_SEED=" << seed << ", iteration " << iteration;
            ASSERT_EQ(after.bytes, expected.bytes)
                << "VANTOR_TEST_SEED=" << seed << ", " << mode.bitsPerPixel << " bits"
                << (mode.layout555 ? " 5-5-5" : "") << ", iteration " << iteration
                << (d.blend ? ", blend" : ", checkerboard") << " of " << d.surface.width << " x "
                << d.surface.height << " at (" << d.draw.x << ", " << d.draw.y << ") on "
                << d.target.width << " x " << d.target.height << ", key " << d.draw.colourKey;
            device->SelectOffscreen();  // the target Surface goes at the end of the pass
        }
    }
}

TEST_F(BlendsTest, KeyReadersGiveTheKeyValueOfOnePixel) {
    const uint8_t white16[] = {0xFF, 0xFF};
    const uint8_t bytes32[] = {0x01, 0x02, 0x03, 0x04};
    EXPECT_EQ(ReadPixel555(white16), 0x7FFFu);
    EXPECT_EQ(ReadPixel565(white16), 0xFFFFu);
    EXPECT_EQ(ReadPixel32(bytes32), 0x04030201u);
}

}  // namespace
}  // namespace vantor::testing
