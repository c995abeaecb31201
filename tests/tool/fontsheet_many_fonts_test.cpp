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
#include "support/fontsheet_fixture.h"
#include "support/glyph_sheet_reference.h"

namespace vantor::testing {
namespace {

constexpr const char* kSourceFace = "DejaVu Sans Mono";
const std::string kSourceFile = std::string(VANTOR_BINARY_DIR) + "/fonts/files/DejaVuSansMono.ttf";
constexpr int kTableSize = 1000;
constexpr uint32_t kYellow = 0xF8FC00;

using Bytes = std::vector<uint8_t>;

uint32_t Be(const Bytes& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | bytes.at(at + i);
    return value;
}
void PutBe(Bytes& bytes, uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PadToFour(Bytes& bytes) {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
}

// A naming table with the family, style, full and PostScript names, in UTF-16BE for the
// Windows platform in US English.
Bytes NamingTable(const std::string& family) {
    std::string postScript = family;
    postScript.erase(std::remove(postScript.begin(), postScript.end(), ' '), postScript.end());
    const std::pair<int, std::string> names[] = {{1, family}, {2, "Book"}, {4, family}, {6, postScript}};
    Bytes table, strings;
    PutBe(table, 0, 2);
    PutBe(table, std::size(names), 2);
    PutBe(table, 6 + 12 * std::size(names), 2);
    for (const auto& [id, text] : names) {
        PutBe(table, 3, 2);
        PutBe(table, 1, 2);
        PutBe(table, 0x409, 2);
        PutBe(table, id, 2);
        PutBe(table, 2 * text.size(), 2);
        PutBe(table, strings.size(), 2);
        for (char c : text) PutBe(strings, static_cast<uint8_t>(c), 2);
    }
    table.insert(table.end(), strings.begin(), strings.end());
    return table;
}

struct TableRecord {
    uint32_t tag, offset, length;
};

// A collection of `families.size()` faces sharing every table of `font` but its names.
Bytes Collection(const Bytes& font, const std::vector<std::string>& families) {
    const uint32_t version = Be(font, 0, 4);
    const int tableCount = static_cast<int>(Be(font, 4, 2));
    std::vector<TableRecord> tables;
    for (int i = 0; i < tableCount; ++i)
        tables.push_back({Be(font, 12 + 16 * i, 4), Be(font, 12 + 16 * i + 8, 4), Be(font, 12 + 16 * i + 12, 4)});

    std::vector<Bytes> namings;
    for (const std::string& family : families) namings.push_back(NamingTable(family));
    const uint32_t directorySize = 12 + 16 * tableCount;
    uint32_t at = 12 + 4 * families.size();
    std::vector<uint32_t> faceOffsets;
    for (const Bytes& naming : namings) {
        faceOffsets.push_back(at);
        at += directorySize + (naming.size() + 3) / 4 * 4;
    }
    std::vector<uint32_t> sharedOffsets;
    for (const TableRecord& table : tables) {
        sharedOffsets.push_back(at);
        at += (table.length + 3) / 4 * 4;
    }

    Bytes out;
    PutBe(out, 0x74746366, 4);  // "ttcf"
    PutBe(out, 0x00010000, 4);
    PutBe(out, families.size(), 4);
    for (uint32_t offset : faceOffsets) PutBe(out, offset, 4);
    for (size_t face = 0; face < families.size(); ++face) {
        PutBe(out, version, 4);
        out.insert(out.end(), font.begin() + 4, font.begin() + 12);  // table count, search hints
        for (int i = 0; i < tableCount; ++i) {
            const bool naming = tables[i].tag == 0x6E616D65;  // "name"
            PutBe(out, tables[i].tag, 4);
            PutBe(out, 0, 4);
            PutBe(out, naming ? faceOffsets[face] + directorySize : sharedOffsets[i], 4);
            PutBe(out, naming ? namings[face].size() : tables[i].length, 4);
        }
        out.insert(out.end(), namings[face].begin(), namings[face].end());
        PadToFour(out);
    }
    for (const TableRecord& table : tables) {
        out.insert(out.end(), font.begin() + table.offset, font.begin() + table.offset + table.length);
        PadToFour(out);
    }
    return out;
}

class FontsheetManyFontsTest : public FontsheetTest {
protected:
    void SetUp() override {
        FontsheetTest::SetUp();
        for (const LOGFONTA& font : fonts)
            if (std::strcmp(font.lfFaceName, kSourceFace) == 0) sourceRecords.push_back(font);
        ASSERT_FALSE(sourceRecords.empty()) << kSourceFace << " is not among the fixture fonts";
        const Bytes source = ReadFileBytes(kSourceFile);
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
        const Bytes collection = Collection(source, families);
        std::ofstream(scratch.File("fonts/many.ttc"), std::ios::binary)
            .write(reinterpret_cast<const char*>(collection.data()), static_cast<std::streamsize>(collection.size()));
        std::ofstream(scratch.File("fonts.conf"))
            << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << scratch.File("fonts") << "</dir>\n  <cachedir>"
            << scratch.File("cache") << "</cachedir>\n</fontconfig>\n";
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
    EXPECT_NE(std::find(screen.rgb.begin(), screen.rgb.begin() + 16 * 640, kYellow), screen.rgb.begin() + 16 * 640)
        << "font 1004 was not listed";
    EXPECT_EQ(SheetDifference(pastTheTable, defaultFace), "");
}

TEST_F(FontsheetManyFontsTest, TheTablesLastEntryIsRecorded) {
    constexpr int kLast = kTableSize - 1;
    const std::vector<uint32_t> last = SheetAfter(Downs(kLast) + " Return");
    const LOGFONTA& sameGlyphs = sourceRecords[kLast % sourceRecords.size()];
    EXPECT_EQ(SheetDifference(last, ReferenceSheet(Canvas(), sameGlyphs)), "");
}

}  // namespace
}  // namespace vantor::testing
