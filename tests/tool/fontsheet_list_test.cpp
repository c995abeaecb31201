// The list as the screen shows it: the last presented frame, saved by the platform.
#include <gtest/gtest.h>

#include <string>

#include "support/bitmap_reader.h"
#include "support/fontsheet_fixture.h"
#include "support/glyph_sheet_reference.h"

namespace vantor::testing {
namespace {

constexpr int kRowHeight = 16;
constexpr int kRows = 30;
// Yellow, white and black as 5-6-5 pixels widened to 24 bits.
constexpr uint32_t kYellow = 0xFFFF00;
constexpr uint32_t kWhite = 0xFFFFFF;

// Text in yellow has no blue; grey text keeps red and blue equal.
bool Yellowish(uint32_t rgb) { return (rgb >> 16) != (rgb & 0xFF); }

class FontsheetListTest : public FontsheetTest {
protected:
    void SetUp() override {
        FontsheetTest::SetUp();
        fontCount = static_cast<int>(fonts.size());
        ASSERT_GT(fontCount, kRows + 5) << "the fixture has too few fonts to scroll";
    }

    // The frame left on the screen when the script ends; its last step should hold Escape
    // so that no further pass redraws the list.
    BitmapImage FrameAfter(const std::string& keys, const std::string& fault = "") {
        const FontsheetRun run =
            RunFontsheet(scratch.Path(), {{"VANTOR_KEYS", keys},
                                          {"VANTOR_SCREENSHOT", scratch.File("screen.bmp")},
                                          {"VANTOR_FAIL", fault}});
        EXPECT_EQ(run.exitStatus, 1) << run.errorOutput;
        BitmapImage frame = DecodeBitmap(ReadFileBytes(scratch.File("screen.bmp")));
        EXPECT_EQ(frame.error, "") << keys;
        EXPECT_EQ(frame.width, 640);
        EXPECT_EQ(frame.height, 480);
        return frame;
    }

    // The pixels of the 16-row band of list row `row`, and tests over a span of them.
    static std::vector<uint32_t> Band(const BitmapImage& frame, int row) {
        const auto first = frame.rgb.begin() + row * kRowHeight * frame.width;
        return {first, first + kRowHeight * frame.width};
    }
    template <typename Test>
    static bool AnyInColumns(const BitmapImage& frame, int row, int left, int right, Test test) {
        for (int y = row * kRowHeight; y < (row + 1) * kRowHeight; ++y)
            for (int x = left; x < right; ++x)
                if (test(frame.At(x, y))) return true;
        return false;
    }
    static bool AnyYellow(const BitmapImage& frame) {
        for (uint32_t rgb : frame.rgb)
            if (Yellowish(rgb)) return true;
        return false;
    }

    int fontCount = 0;
};

auto Is = [](uint32_t colour) { return [colour](uint32_t rgb) { return rgb == colour; }; };
auto NotBlack = [](uint32_t rgb) { return rgb != 0; };

TEST_F(FontsheetListTest, SelectedRowIsYellowOnBlackTheOthersBlackOnWhite) {
    const BitmapImage frame = FrameAfter("Escape");
    // Index, face name and sample start at x 0, 32 and 280, the first two apart.
    EXPECT_TRUE(AnyInColumns(frame, 0, 0, 31, Is(kYellow)));
    EXPECT_TRUE(AnyInColumns(frame, 0, 32, 279, Is(kYellow)));
    EXPECT_TRUE(AnyInColumns(frame, 0, 280, 640, Is(kYellow)));
    EXPECT_FALSE(AnyInColumns(frame, 0, 0, 640, [](uint32_t rgb) { return (rgb & 0xFF) != 0; }))
        << "white or grey";
    for (int row = 1; row < kRows; ++row) {
        for (int left : {0, 32, 280})
            EXPECT_TRUE(AnyInColumns(frame, row, left, left + 1, Is(kWhite))) << row;
        EXPECT_FALSE(AnyInColumns(frame, row, 31, 32, NotBlack)) << row;
        EXPECT_FALSE(AnyInColumns(frame, row, 0, 640, Yellowish)) << row;
    }
}

// The rows of a pass are placed by the selection as it was before that pass's keys.
TEST_F(FontsheetListTest, TheListCatchesUpOnePassAfterAKey) {
    const BitmapImage still = FrameAfter("Escape");
    const BitmapImage lagging = FrameAfter("- Down+Escape");
    const BitmapImage caughtUp = FrameAfter("- Down Escape");
    EXPECT_TRUE(SameImage(lagging.View(), still.View()));
    EXPECT_TRUE(AnyInColumns(caughtUp, 0, 0, 640, Is(kYellow)));
    EXPECT_NE(Band(caughtUp, 0), Band(still, 1));
    for (int row = 1; row < kRows - 1; ++row)
        EXPECT_EQ(Band(caughtUp, row), Band(still, row + 1)) << row;
}

// Only 30 rows fit; the index still counts every font above the screen.
TEST_F(FontsheetListTest, MoreThanThirtyFontsScroll) {
    constexpr int kScrolled = 5;
    const BitmapImage top = FrameAfter("Escape");
    const BitmapImage scrolled = FrameAfter("- " + RepeatStep("Down", kScrolled) + " Escape");
    for (int row = 1; row + kScrolled < kRows; ++row)
        EXPECT_EQ(Band(scrolled, row), Band(top, row + kScrolled)) << row;
    EXPECT_TRUE(AnyInColumns(scrolled, kRows - 1, 0, 640, Is(kWhite)));

    const BitmapImage last = FrameAfter("- " + RepeatStep("Down", fontCount - 1) + " Escape");
    EXPECT_TRUE(AnyInColumns(last, 0, 0, 640, Is(kYellow)));
    // No row below the last; the last font's descenders may reach past its cell, as
    // glyphs do, but no white row background follows it.
    EXPECT_FALSE(AnyInColumns(last, 1, 0, 640, Is(kWhite)));
    for (int row = 2; row < kRows; ++row)
        EXPECT_FALSE(AnyInColumns(last, row, 0, 640, NotBlack)) << row;
}

TEST_F(FontsheetListTest, LeavingTheListHighlightsNoRow) {
    const BitmapImage above = FrameAfter("- Up Up Escape");
    EXPECT_FALSE(AnyYellow(above));
    EXPECT_FALSE(AnyInColumns(above, 0, 0, 640, NotBlack));
    EXPECT_FALSE(AnyInColumns(above, 1, 0, 640, NotBlack));
    EXPECT_TRUE(AnyInColumns(above, 2, 0, 640, Is(kWhite)));

    const BitmapImage below = FrameAfter("- " + RepeatStep("Down", fontCount) + " Escape");
    for (uint32_t rgb : below.rgb) ASSERT_EQ(rgb, 0u) << "every font is above the screen";
}

TEST_F(FontsheetListTest, APassWithoutADeviceContextDrawsNothing) {
    const BitmapImage frame = FrameAfter("- Escape", "GetDC:2");
    for (uint32_t rgb : frame.rgb) ASSERT_EQ(rgb, 0u);
    EXPECT_TRUE(AnyInColumns(FrameAfter("- - Escape", "GetDC:2"), 0, 0, 640, Is(kYellow)));
}

}  // namespace
}  // namespace vantor::testing
