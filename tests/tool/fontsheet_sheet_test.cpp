// The file the tool writes on Return: its exact bytes and the layout of the cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <fstream>
#include <string>

#include "support/bitmap_reader.h"
#include "support/fontsheet_fixture.h"
#include "support/glyph_sheet_reference.h"

namespace vantor::testing {
namespace {

// A face of ordinary proportions, whose every printable character shows in its cell.
constexpr const char* kPlainFace = "DejaVu Sans";

bool CellIsBlack(const BitmapImage& sheet, int code) {
    for (int y = 0; y < sheet.height; ++y)
        for (int x = kSheetCell * code; x < kSheetCell * (code + 1); ++x)
            if (sheet.At(x, y) != 0) return false;
    return true;
}

class FontsheetSheetTest : public FontsheetTest {
protected:
    void SetUp() override {
        FontsheetTest::SetUp();
        const auto plain = std::find_if(fonts.begin(), fonts.end(), [](const LOGFONTA& font) {
            return std::strcmp(font.lfFaceName, kPlainFace) == 0 && font.lfCharSet == ANSI_CHARSET;
        });
        ASSERT_NE(plain, fonts.end()) << kPlainFace << " is not among the fixture fonts";
        selected = static_cast<int>(plain - fonts.begin());
        selectPlainFace = "- " + RepeatStep("Down", selected) + " Return";
    }

    std::vector<uint8_t> WriteSheet(const std::map<std::string, std::string>& variables) {
        const FontsheetRun run = RunFontsheet(scratch.Path(), variables);
        EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
        return ReadFileBytes(scratch.File("Font.bmp"));
    }

    int selected = 0;
    std::string selectPlainFace;
};

TEST_F(FontsheetSheetTest, FileHasTheSheetsSizeAndHeaders) {
    const std::vector<uint8_t> bytes = WriteSheet({{"VANTOR_KEYS", selectPlainFace}});
    ASSERT_EQ(bytes.size(), 245814u);
    const std::array<uint8_t, 54> headers = {
        'B', 'M', 0,  0, 0,    0,    0, 0, 0,    0,    54,   0, 0, 0,  // file header, size left 0
        40,  0,   0,  0, 0x00, 0x10, 0, 0, 20,   0,    0,    0,        // 40-byte header, 4096 x 20
        1,   0,   24, 0, 0,    0,    0, 0, 0x00, 0xC0, 0x03, 0,  // 1 plane, 24 bits, 245760 bytes
        0,   0,   0,  0, 0,    0,    0, 0, 0,    0,    0,    0, 0, 0,
        0,   2};  // no resolution or colours
    EXPECT_TRUE(std::equal(headers.begin(), headers.end(), bytes.begin()));
}

// Each crop is 19 columns wide in 16-column cells: what spills into the next cell must be
// covered by that cell's own character, blank ones included.
TEST_F(FontsheetSheetTest, EveryCellHoldsOnlyItsOwnCharacter) {
    const BitmapImage sheet = DecodeBitmap(WriteSheet({{"VANTOR_KEYS", selectPlainFace}}));
    ASSERT_EQ(sheet.error, "");
    EXPECT_TRUE(CellIsBlack(sheet, 0));
    for (int x = 0; x < sheet.width; ++x)
        ASSERT_EQ(sheet.At(x, kSheetHeight - 1), 0u) << "bottom row at x " << x;
    for (int code : {0x20, 0xA0})
        EXPECT_TRUE(CellIsBlack(sheet, code)) << "blank character " << code;
    for (int code = 1; code <= 0xFF; ++code) {
        if (std::isalnum(code) || code >= 0xC0) {
            EXPECT_FALSE(CellIsBlack(sheet, code)) << "character " << code;
        }
    }
    // The real platform's '_' lies in the last row the crop keeps, row 18 of its cell.
    bool underscoreInked = false;
    for (int x = kSheetCell * '_'; x < kSheetCell * ('_' + 1); ++x) {
        const uint32_t rgb = sheet.At(x, 18);
        underscoreInked |= ((rgb >> 16 & 0xFF) + (rgb >> 8 & 0xFF) + (rgb & 0xFF)) / 3 > 96;
    }
    EXPECT_TRUE(underscoreInked);
}

TEST_F(FontsheetSheetTest, AnExistingFileIsReplaced) {
    std::ofstream(scratch.File("Font.bmp")) << "an older sheet";
    const BitmapImage sheet = DecodeBitmap(WriteSheet({{"VANTOR_KEYS", selectPlainFace}}));
    EXPECT_TRUE(SameSheet(sheet.rgb, ReferenceSheet(Canvas(), fonts[selected])));
}

// A character that cannot be measured has no box to scale: its cell stays black, and the
// previous character's spill-over does not show in it.
TEST_F(FontsheetSheetTest, ACharacterWithoutAMeasuredBoxLeavesItsCellBlack) {
    constexpr int kUnmeasured = 'B';
    const BitmapImage sheet = DecodeBitmap(
        WriteSheet({{"VANTOR_KEYS", selectPlainFace},
                    {"VANTOR_FAIL", "GetTextExtentPoint32A:" + std::to_string(kUnmeasured)}}));
    std::vector<uint32_t> expected = ReferenceSheet(Canvas(), fonts[selected]);
    for (int y = 0; y < kSheetHeight; ++y)
        std::fill_n(expected.begin() + y * kSheetWidth + kSheetCell * kUnmeasured, kSheetCell, 0u);
    EXPECT_TRUE(SameSheet(sheet.rgb, expected));
}

}  // namespace
}  // namespace vantor::testing
