// Font enumeration against the fixture fonts: which (family, character set) pairs come,
// in which order, carrying which record, and how the callback steers the walk.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/text_canvas.h"
#include "testing.h"

namespace vantor::testing {
namespace {

struct Delivered {
    ENUMLOGFONTEXA font;
    NEWTEXTMETRICEXA metrics;
    DWORD fontType;
};

struct Walk {
    std::vector<Delivered> fonts;
    int stopAfter = -1;  // return 0 from this delivery on
};

int CALLBACK Collect(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType,
                     LPARAM context) {
    auto* walk = reinterpret_cast<Walk*>(context);
    walk->fonts.push_back({*reinterpret_cast<const ENUMLOGFONTEXA*>(font),
                           *reinterpret_cast<const NEWTEXTMETRICEXA*>(metrics), fontType});
    return static_cast<int>(walk->fonts.size()) == walk->stopAfter ? 0 : -1;
}

class EnumerationTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        ASSERT_TRUE(canvas.Open(64, 64));
    }

    int Enumerate(Walk* walk, BYTE charset = DEFAULT_CHARSET, const char* face = "") {
        LOGFONTA filter{};
        filter.lfCharSet = charset;
        snprintf(filter.lfFaceName, sizeof filter.lfFaceName, "%s", face);
        return EnumFontFamiliesExA(canvas.dc(), &filter, Collect, reinterpret_cast<LPARAM>(walk),
                                   0);
    }

    std::vector<std::pair<std::string, int>> Pairs(BYTE charset = DEFAULT_CHARSET,
                                                   const char* face = "") {
        Walk walk;
        Enumerate(&walk, charset, face);
        std::vector<std::pair<std::string, int>> pairs;
        for (const Delivered& d : walk.fonts)
            pairs.emplace_back(d.font.elfLogFont.lfFaceName, d.font.elfLogFont.lfCharSet);
        return pairs;
    }

    const Delivered* Find(const Walk& walk, const std::string& face, BYTE charset) {
        for (const Delivered& d : walk.fonts)
            if (face == d.font.elfLogFont.lfFaceName && d.font.elfLogFont.lfCharSet == charset)
                return &d;
        return nullptr;
    }

    TextCanvas canvas;
};

// The fixture's families in case-insensitive name order, each with the single-byte sets
// its regular face announces in its OS/2 code-page bits, Western first.
TEST_F(EnumerationTest, DeliversEachFamilyAndCharacterSetPairInOrder) {
    const std::vector<std::pair<std::string, std::vector<int>>> expected = {
        {"DejaVu Math TeX Gyre", {0, 238, 162, 186, 163}},
        {"DejaVu Sans", {0, 238, 204, 161, 162, 177, 178, 186, 163}},
        {"DejaVu Sans Condensed", {0, 238, 204, 161, 162, 177, 178, 186, 163}},
        {"DejaVu Sans Light", {0, 238, 204, 161, 162, 186, 163}},
        {"DejaVu Sans Mono", {0, 238, 204, 161, 162, 178, 186, 163}},
        {"DejaVu Serif", {0, 238, 204, 161, 162, 186}},
        {"DejaVu Serif Condensed", {0, 238, 204, 161, 162, 186}},
    };
    std::vector<std::pair<std::string, int>> pairs;
    for (const auto& [family, sets] : expected)
        for (int set : sets) pairs.emplace_back(family, set);
    EXPECT_EQ(Pairs(), pairs);
}

TEST_F(EnumerationTest, RecordsCarryTheFaceAt32PixelsPerEm) {
    Walk walk;
    Enumerate(&walk);
    const Delivered* sans = Find(walk, "DejaVu Sans", ANSI_CHARSET);
    ASSERT_NE(sans, nullptr);
    const LOGFONTA& lf = sans->font.elfLogFont;
    // 2048 units per em, a 1901 + 483 unit cell and 1038-unit average width at 32 ppem.
    EXPECT_EQ(lf.lfHeight, 37);
    EXPECT_EQ(lf.lfWidth, 16);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfOutPrecision, OUT_STROKE_PRECIS);
    EXPECT_EQ(lf.lfClipPrecision, CLIP_STROKE_PRECIS);
    EXPECT_EQ(lf.lfQuality, DRAFT_QUALITY);
    EXPECT_EQ(lf.lfPitchAndFamily, VARIABLE_PITCH | FF_SWISS);
    EXPECT_EQ(sans->fontType, TRUETYPE_FONTTYPE);
    EXPECT_STREQ(reinterpret_cast<const char*>(sans->font.elfScript), "Western");
    EXPECT_STREQ(reinterpret_cast<const char*>(sans->font.elfStyle), "Book");

    const NEWTEXTMETRICA& tm = sans->metrics.ntmTm;
    EXPECT_EQ(tm.tmHeight, lf.lfHeight);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 32);
    EXPECT_EQ(tm.ntmSizeEM, 2048u);
    EXPECT_EQ(tm.ntmCellHeight, 2384u);
    EXPECT_EQ(tm.ntmAvgWidth, 1038u);
    EXPECT_EQ(sans->metrics.ntmFontSig.fsCsb[0] & 0x1FF, 0x1FFu);

    const Delivered* cyrillic = Find(walk, "DejaVu Sans", RUSSIAN_CHARSET);
    ASSERT_NE(cyrillic, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(cyrillic->font.elfScript), "Cyrillic");
    EXPECT_EQ(cyrillic->metrics.ntmTm.tmCharSet, RUSSIAN_CHARSET);

    const Delivered* mono = Find(walk, "DejaVu Sans Mono", ANSI_CHARSET);
    const Delivered* serif = Find(walk, "DejaVu Serif", ANSI_CHARSET);
    ASSERT_TRUE(mono && serif);
    EXPECT_EQ(mono->font.elfLogFont.lfPitchAndFamily, FIXED_PITCH | FF_MODERN);
    EXPECT_EQ(serif->font.elfLogFont.lfPitchAndFamily, VARIABLE_PITCH | FF_ROMAN);
    // The average width scaled by the listed cell, as the real platform lists it:
    // 37 * 1233 / 2384, 137 * 764 / 4266 and 37 * 934 / 2384.
    EXPECT_EQ(mono->font.elfLogFont.lfWidth, 19);
    const Delivered* math = Find(walk, "DejaVu Math TeX Gyre", ANSI_CHARSET);
    const Delivered* condensed = Find(walk, "DejaVu Sans Condensed", ANSI_CHARSET);
    ASSERT_TRUE(math && condensed);
    EXPECT_EQ(math->font.elfLogFont.lfWidth, 25);
    EXPECT_EQ(math->metrics.ntmTm.tmAveCharWidth, 25);
    EXPECT_EQ(condensed->font.elfLogFont.lfWidth, 14);
    // The widest character is the face's bounding box (5763 of DejaVu Sans's units, 2614
    // of Mono's) scaled the same way, as the real platform lists it.
    EXPECT_EQ(tm.tmMaxCharWidth, 89);
    EXPECT_EQ(mono->metrics.ntmTm.tmMaxCharWidth, 41);
}

TEST_F(EnumerationTest, ZeroFromTheCallbackStopsTheWalkAndIsReturned) {
    Walk all;
    EXPECT_EQ(Enumerate(&all), -1);
    Walk stopped;
    stopped.stopAfter = 3;
    EXPECT_EQ(Enumerate(&stopped), 0);
    EXPECT_EQ(stopped.fonts.size(), 3u);
    ASSERT_GT(all.fonts.size(), 3u);
}

int CALLBACK Scribble(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM) {
    auto* writable = const_cast<LOGFONTA*>(font);
    writable->lfHeight = 16;
    writable->lfWidth = 16;
    writable->lfFaceName[0] = 'X';
    return 1;
}

TEST_F(EnumerationTest, CallbackWritesDoNotReachLaterWalks) {
    LOGFONTA filter{};
    filter.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(canvas.dc(), &filter, Scribble, 0, 0);
    Walk walk;
    Enumerate(&walk);
    ASSERT_FALSE(walk.fonts.empty());
    EXPECT_EQ(walk.fonts[0].font.elfLogFont.lfFaceName[0], 'D');
    EXPECT_NE(walk.fonts[0].font.elfLogFont.lfHeight, 16);
}

TEST_F(EnumerationTest, ACharacterSetOrAFaceNameNarrowsTheWalk) {
    const std::vector<std::pair<std::string, int>> cyrillic = {
        {"DejaVu Sans", 204},      {"DejaVu Sans Condensed", 204}, {"DejaVu Sans Light", 204},
        {"DejaVu Sans Mono", 204}, {"DejaVu Serif", 204},          {"DejaVu Serif Condensed", 204}};
    EXPECT_EQ(Pairs(RUSSIAN_CHARSET), cyrillic);
    const std::vector<std::pair<std::string, int>> serif = {
        {"DejaVu Serif", 0},   {"DejaVu Serif", 238}, {"DejaVu Serif", 204},
        {"DejaVu Serif", 161}, {"DejaVu Serif", 162}, {"DejaVu Serif", 186}};
    EXPECT_EQ(Pairs(DEFAULT_CHARSET, "dejavu serif"), serif);
    EXPECT_TRUE(Pairs(DEFAULT_CHARSET, "No Such Family").empty());
}

TEST_F(EnumerationTest, RefusesWithoutAContextOrCallbackAndLogsItsArguments) {
    RecordCalls(true);
    LOGFONTA filter{};
    filter.lfCharSet = DEFAULT_CHARSET;
    Walk walk;
    EXPECT_EQ(EnumFontFamiliesExA(nullptr, &filter, Collect, reinterpret_cast<LPARAM>(&walk), 0),
              0);
    EXPECT_EQ(EnumFontFamiliesExA(canvas.dc(), &filter, nullptr, 0, 0), 0);
    EXPECT_TRUE(walk.fonts.empty());
    std::vector<PlatformCall> calls = CallsNamed("EnumFontFamiliesExA");
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].detail, "charset=1 face=\"\" pitch=0 flags=0x0");
    EXPECT_NE(calls[0].result, 0);
}

TEST_F(EnumerationTest, ARepeatedWalkOpensNoFileAndScansNoDirectory) {
    Walk first;
    Enumerate(&first);
    int opened = FontFilesOpened(), scans = FontDirectoryScans();
    Walk second;
    Enumerate(&second);
    EXPECT_EQ(second.fonts.size(), first.fonts.size());
    EXPECT_EQ(FontFilesOpened(), opened);
    EXPECT_EQ(FontDirectoryScans(), scans);
}

}  // namespace
}  // namespace vantor::testing

#include "gdi/font_config.h"
#include "gdi/font_metrics.h"

namespace vantor::platform {
namespace {

// A face's facts in design units: its em, its Windows cell and its widths.
FaceFacts Facts(int unitsPerEm, int winAscent, int winDescent, int averageWidth, int boxWidth) {
    FaceFacts facts{};
    facts.unitsPerEm = unitsPerEm;
    facts.winAscent = winAscent;
    facts.winDescent = winDescent;
    facts.averageWidth = averageWidth;
    facts.boxWidth = boxWidth;
    return facts;
}

// The worked example of a face with 2048 units per em, a 2288-unit cell and a 904-unit
// average width: listed at 32 pixels per em as a 36-pixel cell, 14 pixels wide.
TEST(EnumerationMetrics, ScaleTheFaceTo32PixelsPerEm) {
    const FaceFacts facts = Facts(2048, 1854, 434, 904, 2000);
    TEXTMETRICA tm = EnumeratedMetrics(facts, ANSI_CHARSET);
    EXPECT_EQ(tm.tmHeight, 36);
    EXPECT_EQ(tm.tmAveCharWidth, 14);
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 32);
    // Asking again for that cell height gives back the same font.
    TEXTMETRICA again =
        MetricsAt(facts, ScaleFor(facts, tm.tmHeight, tm.tmAveCharWidth), ANSI_CHARSET, 400, false);
    EXPECT_EQ(again.tmHeight, 36);
    EXPECT_EQ(again.tmAveCharWidth, 14);
}

// DejaVu Sans with only its Windows ascent lowered from 1901 to 1000 units: at one pixel
// per em both halves of its cell round to nothing, yet the cell is one pixel and the height
// is the ascent and the descent together at every size, as the real platform keeps it.
TEST(FontMetrics, HeightIsAscentPlusDescentEvenWhenTheCellRoundsAway) {
    const FaceFacts facts = Facts(2048, 1000, 483, 1038, 5763);
    const TEXTMETRICA tiny = MetricsAt(facts, ScaleFor(facts, -1, 0), ANSI_CHARSET, 400, false);
    EXPECT_EQ(tiny.tmHeight, 1);
    EXPECT_EQ(tiny.tmAscent, 1);
    EXPECT_EQ(tiny.tmDescent, 0);
    for (LONG height = -40; height <= 40; ++height) {
        const TEXTMETRICA tm =
            MetricsAt(facts, ScaleFor(facts, height, 0), ANSI_CHARSET, 400, false);
        EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent) << "lfHeight " << height;
        EXPECT_GE(tm.tmHeight, 1) << "lfHeight " << height;
    }
}

// Face names are cut to fit their field without splitting a UTF-8 character.
TEST(FaceNames, AreCutAtACharacterBoundary) {
    const std::string name = "Caf\xC3\xA9 \xE6\x97\xA5";  // "Café 日": 2- and 3-byte characters
    EXPECT_EQ(FittingLength(name, 4), 3u);
    EXPECT_EQ(FittingLength(name, 5), 5u);
    EXPECT_EQ(FittingLength(name, 8), 6u);
    EXPECT_EQ(FittingLength(name, 9), 9u);
    EXPECT_EQ(FittingLength(name, 31), 9u);
}

}  // namespace
}  // namespace vantor::platform
