// Which font's sheet the tool writes after a key script, checked cell by cell against the
// same font's sheet worked out here through the platform.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/bitmap_reader.h"
#include "support/fontsheet_fixture.h"
#include "support/glyph_sheet_reference.h"

namespace vantor::testing {
namespace {

constexpr int kNeverRecorded = -1;

class FontsheetKeysTest : public FontsheetTest {
protected:
    // The sheet of the font with this index, or of the all-zero record.
    std::vector<uint32_t> ExpectedSheet(int font) {
        const LOGFONTA never = {};
        return ReferenceSheet(Canvas(), font == kNeverRecorded ? never : fonts.at(font));
    }

    // Runs the tool with the key script; it must end with 0 and leave a readable sheet.
    std::vector<uint32_t> SheetAfter(const std::string& keys) {
        const FontsheetRun run = RunFontsheet(scratch.Path(), {{"VANTOR_KEYS", keys}});
        EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
        const BitmapImage sheet = DecodeBitmap(ReadFileBytes(scratch.File("Font.bmp")));
        EXPECT_EQ(sheet.error, "");
        EXPECT_EQ(sheet.width, kSheetWidth);
        EXPECT_EQ(sheet.height, kSheetHeight);
        return sheet.rgb;
    }

    void ExpectSheetOf(const std::string& keys, int font) {
        EXPECT_TRUE(SameSheet(SheetAfter(keys), ExpectedSheet(font))) << "keys: " << keys;
    }
};

TEST_F(FontsheetKeysTest, EscapeEndsWithOneAndWritesNothing) {
    for (const char* keys : {"Escape", "- Down Escape", "- - Up+Escape"}) {
        const FontsheetRun run = RunFontsheet(scratch.Path(), {{"VANTOR_KEYS", keys}});
        EXPECT_EQ(run.exitStatus, 1) << keys << "\n" << run.errorOutput;
        EXPECT_FALSE(std::filesystem::exists(scratch.File("Font.bmp"))) << keys;
        EXPECT_TRUE(std::filesystem::is_empty(scratch.Path())) << keys << ": left files behind";
    }
}

// The first pass records nothing, so Return in it finds only all-zero records.
TEST_F(FontsheetKeysTest, ReturnInTheFirstPassRendersTheDefaultFace) {
    const std::vector<uint32_t> sheet = SheetAfter("Return");
    EXPECT_TRUE(SameSheet(sheet, ExpectedSheet(kNeverRecorded)));
    EXPECT_NE(sheet, ExpectedSheet(0)) << "the default face looks like the first font";
}

TEST_F(FontsheetKeysTest, ReturnRendersTheSelectedFontAsEnumerated) {
    ExpectSheetOf("- - Return", 0);
    ExpectSheetOf("Down Down Return", 2);
    ExpectSheetOf("Down Down Down Down Up Down Down Return", 5);
}

TEST_F(FontsheetKeysTest, KeysOfThePassOfReturnApplyFirst) {
    ExpectSheetOf("- - Down+Return", 1);
    ExpectSheetOf("- Down Down Up+Return", 1);
}

TEST_F(FontsheetKeysTest, UpAndDownTogetherCancel) {
    ExpectSheetOf("- Up+Down Up+Down Down+Up Return", 0);
}

TEST_F(FontsheetKeysTest, LeavingTheListRendersTheDefaultFace) {
    ExpectSheetOf("- Up Up Return", kNeverRecorded);
    const int pastTheLast = static_cast<int>(fonts.size()) + 1;
    ExpectSheetOf("- " + RepeatStep("Down", pastTheLast) + " Return", kNeverRecorded);
}

}  // namespace
}  // namespace vantor::testing
