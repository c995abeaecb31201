// More than a thousand fonts: the list goes on past the end of the tool's font table,
// whose 1000 entries must neither overflow nor be read past.
//
// The fonts are made here: one font collection file whose faces all share the glyphs of
// one fixture font, each under a family name of its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/bitmap_reader.h"
#include "support/font_collection.h"
#include "support/fontsheet_fixture.h"
#include "support/glyph_sheet_reference.h"

namespace vantor::testing {
namespace {

constexpr const char* kSourceFace = "DejaVu Sans Mono";
const std::string kSourceFile = std::string(VANTOR_BINARY_DIR) + "/fonts/files/DejaVuSansMono.ttf";
constexpr int kTableSize = 1000;
constexpr uint32_t kYellow = 0xFFFF00;

class FontsheetManyFontsTest : public FontsheetTest {
protected:
    void SetUp() override {
        FontsheetTest::SetUp();
        for (const LOGFONTA& font : fonts)
            if (std::strcmp(font.lfFaceName, kSourceFace) == 0) sourceRecords.push_back(font);
        ASSERT_FALSE(sourceRecords.empty()) << kSourceFace << " is not among the fixture fonts";
        const std::vector<uint8_t> source = ReadFileBytes(kSourceFile);
        ASSERT_FALSE(source.empty()) << kSourceFile;

        // Each family is listed once per character set it covers.
        const size_t familyCount = kTableSize / sourceRecords.size() + 2;
        std::vector<std::string> families;
        for (size_t i = 0; i < familyCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Many %04zu", i);
            families.push_back(name);
        }
        std::filesystem::create_directory(scratch.File("fonts"));
        const std::vector<uint8_t> collection = FontCollection(source, families);
        std::ofstream(scratch.File("fonts/many.ttc"), std::ios::binary)
            .write(reinterpret_cast<const char*>(collection.data()),
                   static_cast<std::streamsize>(collection.size()));
        std::ofstream(scratch.File("fonts.conf"))
            << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << scratch.File("fonts")
            << "</dir>\n  <cachedir>" << scratch.File("cache") << "</cachedir>\n</fontconfig>\n";
    }

    // The sheet the tool writes after the key script; with `screenshot` the last frame of
    // the list is kept as screen.bmp.
    std::vector<uint32_t> SheetAfter(const std::string& keys, bool screenshot = false) {
        const FontsheetRun run = RunFontsheet(
            scratch.Path(), {{"VANTOR_KEYS", keys},
                             {"FONTCONFIG_FILE", scratch.File("fonts.conf")},
                             {"VANTOR_SCREENSHOT", screenshot ? scratch.File("screen.bmp") : ""}});
        EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
        const BitmapImage sheet = DecodeBitmap(ReadFileBytes(scratch.File("Font.bmp")));
        EXPECT_EQ(sheet.error, "");
        return sheet.rgb;
    }

    static std::string Downs(int count) { return "- " + RepeatStep("Down", count); }

    std::vector<LOGFONTA> sourceRecords;
};

TEST_F(FontsheetManyFontsTest, FontsPastTheTableAreListedButRenderTheDefaultFace) {
    const std::vector<uint32_t> defaultFace = SheetAfter("Return");

    // The last frame is the list one pass behind the selection: font 1004 at the top.
    const std::vector<uint32_t> pastTheTable = SheetAfter(Downs(1005) + " Return", true);
    const BitmapImage screen = DecodeBitmap(ReadFileBytes(scratch.File("screen.bmp")));
    EXPECT_NE(std::find(screen.rgb.begin(), screen.rgb.begin() + 16 * 640, kYellow),
              screen.rgb.begin() + 16 * 640)
        << "font 1004 was not listed";
    EXPECT_TRUE(SameSheet(pastTheTable, defaultFace));
}

TEST_F(FontsheetManyFontsTest, TheTablesLastEntryIsRecorded) {
    constexpr int kLast = kTableSize - 1;
    const std::vector<uint32_t> last = SheetAfter(Downs(kLast) + " Return");
    const LOGFONTA& sameGlyphs = sourceRecords[kLast % sourceRecords.size()];
    EXPECT_TRUE(SameSheet(last, ReferenceSheet(Canvas(), sameGlyphs)));
}

}  // namespace
}  // namespace vantor::testing
