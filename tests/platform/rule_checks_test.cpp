// Each rule the platform's speed-ups ask of their callers is checked where it lives: broken
// here on purpose, the check must stop the program and name the rule.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "ddraw/pixel_memory.h"
#include "ddraw/released_shells.h"
#include "ddraw/surface_memory.h"
#include "gdi/glyph_store.h"
#include "pixel_view.h"
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"

namespace vantor::testing {
namespace {

class RuleChecksDeathTest : public DdrawTest {
protected:
    void SetUp() override {
#if !VANTOR_CHECKS
        GTEST_SKIP() << "the rule checks are compiled out of this build";
#endif
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        DdrawTest::SetUp();
    }
};

// The slip mended once already: a screen-sized block given back as if it were small goes to
// the heap's free, one given back with another large size leaves the arena's books wrong.
TEST_F(RuleChecksDeathTest, APixelBlockGivenBackWithAnotherSize) {
    constexpr size_t kScreen = 640 * 480 * 2;
    uint8_t* block = platform::AllocatePixels(kScreen);
    ASSERT_NE(block, nullptr);
    EXPECT_DEATH(platform::FreePixels(block, 100),
                 "broken rule: a pixel block is given back with the size it was taken with");
    EXPECT_DEATH(platform::FreePixels(block, kScreen + 64),
                 "broken rule: a pixel block is given back with the size it was taken with");
    platform::FreePixels(block, kScreen);
}

// A holder of a box view that writes outside its box: the next fill of the same colour would
// leave that pixel standing.
TEST_F(RuleChecksDeathTest, AWriteTheFillTrackerWasNotTold) {
    TakeDisplay(16);
    IDirectDrawSurface* surface = MakePlain(32, 16);
    ASSERT_TRUE(FillSurface(surface, 0x1234));
    platform::PixelView view{};
    ASSERT_TRUE(platform::ViewSurfaceBox(surface, RECT{0, 0, 4, 4}, &view));
    view.pixels[view.pitch * 10 + 2 * 20] = 0x55;  // row 10, column 20: outside the box
    EXPECT_DEATH(FillSurface(surface, 0x1234),
                 "broken rule: every write into a surface is marked for the fill tracker");
    surface->Release();
}

// Memory moved between surfaces while one of them still owes its zeroes.
TEST_F(RuleChecksDeathTest, MemoryMovedWithZeroesOwed) {
    std::vector<uint8_t> shown(64, 7), hidden(64, 9);
    platform::SurfaceMemory front(shown.data(), shown.size()), back(hidden.data(), hidden.size());
    front.Paid();
    EXPECT_DEATH(Trade(front, back), "broken rule: a surface's owed zeroes are paid before");
    back.Paid();
    Trade(front, back);
    EXPECT_EQ(front.Paid(), hidden.data());
    EXPECT_EQ(hidden[0], 0) << "paid before it moved";
}

struct Shell {
    bool released = false;
    bool Released() const { return released; }
};

// A shell queued while its object lives, or queued twice, would be handed to a new object
// while an old pointer still reaches it.
TEST_F(RuleChecksDeathTest, AShellQueuedForReuseTwiceOrWhileAlive) {
    platform::ReleasedShells<Shell> queue;
    Shell live, released{true};
    EXPECT_DEATH(queue.Admit(&live), "broken rule: a shell is queued for reuse once");
    queue.Admit(&released);
    EXPECT_DEATH(queue.Admit(&released), "broken rule: a shell is queued for reuse once");
}

// A store freed after its bytes were let go by someone else: the count would wrap around.
TEST_F(RuleChecksDeathTest, AGlyphStoresBytesLetGoUncounted) {
    auto face =
        platform::OpenFontFace(std::string(VANTOR_BINARY_DIR) + "/fonts/files/DejaVuSans.ttf", 0);
    ASSERT_NE(face, nullptr);
    platform::GlyphStyle style;
    style.pixelsPerEm64 = 16 * 64;
    EXPECT_DEATH(
        {
            auto store = platform::ShareGlyphStore(face, style);
            store->GlyphAt(36);
            platform::LetGoFontBytes(platform::FontBytesHeld());
            store.reset();
        },
        "broken rule: font memory is counted as it is freed");
}

}  // namespace
}  // namespace vantor::testing
