// Device contexts and GDI objects: the defaults of a new context, attribute calls and
// their results, selection and deletion rules, how font records are matched to faces, the
// call log, and that a warm frame of the font list touches no font file.
#include <gtest/gtest.h>

#include <strings.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "gdi/font_cache.h"
#include "gdi/font_config.h"
#include "modules.h"
#include "support/text_canvas.h"
#include "testing.h"

namespace vantor::testing {
namespace {

class ContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        ASSERT_TRUE(canvas.Open(640, 480));
    }

    std::string Face() {
        char face[LF_FACESIZE] = {};
        GetTextFaceA(canvas.dc(), sizeof face, face);
        return face;
    }

    TEXTMETRICA Metrics() {
        TEXTMETRICA metrics{};
        EXPECT_TRUE(GetTextMetricsA(canvas.dc(), &metrics));
        return metrics;
    }

    // Selects a font made from the record, runs check, and puts the old font back.
    template <typename Check>
    void WithFont(const LOGFONTA& record, Check check) {
        HFONT font = CreateFontIndirectA(&record);
        ASSERT_NE(font, nullptr);
        HGDIOBJ previous = SelectObject(canvas.dc(), font);
        check();
        SelectObject(canvas.dc(), previous);
        EXPECT_TRUE(DeleteObject(font));
    }

    TextCanvas canvas;
};

TEST_F(ContextTest, ANewContextHasTheDefaultAttributesAndABoldSixteenPixelFont) {
    EXPECT_EQ(GetBkMode(canvas.dc()), OPAQUE);
    EXPECT_EQ(SetTextColor(canvas.dc(), 0x00FFFF), 0x000000u);
    EXPECT_EQ(SetTextColor(canvas.dc(), 0x000000), 0x00FFFFu);
    EXPECT_EQ(SetBkColor(canvas.dc(), 0), 0xFFFFFFu);
    EXPECT_EQ(SetTextAlign(canvas.dc(), TA_TOP | TA_LEFT), TA_TOP | TA_LEFT);
    TEXTMETRICA metrics = Metrics();
    EXPECT_EQ(metrics.tmHeight, 16);
    EXPECT_EQ(metrics.tmWeight, FW_BOLD);
    EXPECT_EQ(Face(), "DejaVu Sans");
}

TEST_F(ContextTest, RecordsAreMatchedByFaceWeightAndItalicWithTheDefaultForTheRest) {
    LOGFONTA zero{};
    WithFont(zero, [&] {
        EXPECT_EQ(Face(), "DejaVu Sans");
        EXPECT_EQ(Metrics().tmHeight, 16);
        EXPECT_EQ(Metrics().tmWeight, FW_NORMAL);
    });
    LOGFONTA unknown{};
    std::strcpy(unknown.lfFaceName, "No Such Face");
    unknown.lfHeight = -20;
    WithFont(unknown, [&] { EXPECT_EQ(Face(), "DejaVu Sans"); });
    LOGFONTA serifBold{};
    std::strcpy(serifBold.lfFaceName, "dejavu serif");
    serifBold.lfWeight = FW_BOLD;
    serifBold.lfItalic = TRUE;
    WithFont(serifBold, [&] {
        EXPECT_EQ(Face(), "DejaVu Serif");
        EXPECT_EQ(Metrics().tmWeight, FW_BOLD);
        EXPECT_NE(Metrics().tmItalic, 0);
    });
    LOGFONTA light{};
    std::strcpy(light.lfFaceName, "DejaVu Sans Light");
    light.lfWeight = FW_BOLD;  // the family has no bold face: it is made bold
    WithFont(light, [&] {
        EXPECT_EQ(Face(), "DejaVu Sans Light");
        EXPECT_EQ(Metrics().tmWeight, FW_BOLD);
    });
}

// Whether any of the pattern's family names is name, ignoring ASCII case.
bool HasFamily(FcPattern* pattern, const std::string& name) {
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i)
        if (strcasecmp(reinterpret_cast<const char*>(value), name.c_str()) == 0) return true;
    return false;
}

// The files of a sorted set, in order; with a family, only that family's.
std::vector<std::string> FilesOf(FcFontSet* set, const std::string& family = "") {
    std::vector<std::string> files;
    for (int i = 0; set && i < set->nfont; ++i) {
        std::string path;
        int index = 0;
        if ((family.empty() || HasFamily(set->fonts[i], family)) &&
            platform::FileOf(set->fonts[i], &path, &index))
            files.push_back(path + "#" + std::to_string(index));
    }
    return files;
}

// A record is matched among the faces of its family alone: they must come in the order they
// have among all fonts sorted, for every family, both weights and both slants.
TEST(FontMatching, AFamilySortedAloneKeepsItsOrderAmongAllFonts) {
    Reset();
    ASSERT_TRUE(platform::FontconfigReady());
    std::set<std::string> families;
    FcFontSet* fonts = FcConfigGetFonts(nullptr, FcSetSystem);
    for (int i = 0; fonts && i < fonts->nfont; ++i)
        families.insert(platform::GdiFamilyOf(fonts->fonts[i]));
    ASSERT_GE(families.size(), 6u);
    for (const std::string& family : families)
        for (int weight : {FW_NORMAL, FW_BOLD})
            for (bool italic : {false, true}) {
                FcPattern* pattern = platform::RequestPattern(family, weight, italic);
                FcResult result = FcResultNoMatch;
                FcFontSet* all = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
                FcFontSet* alone = platform::SortedCandidates(pattern, family);
                EXPECT_FALSE(FilesOf(alone).empty()) << family;
                EXPECT_EQ(FilesOf(alone), FilesOf(all, family))
                    << family << " weight " << weight << " italic " << italic;
                FcFontSetDestroy(all);
                FcFontSetDestroy(alone);
                FcPatternDestroy(pattern);
            }
}

TEST_F(ContextTest, GetTextFaceCountsAsWindowsDoesAndCutsWhole) {
    EXPECT_EQ(GetTextFaceA(canvas.dc(), 0, nullptr), 12);  // "DejaVu Sans" and its zero
    char shortBuffer[7];
    std::memset(shortBuffer, 'x', sizeof shortBuffer);
    EXPECT_EQ(GetTextFaceA(canvas.dc(), sizeof shortBuffer, shortBuffer), 6);
    EXPECT_STREQ(shortBuffer, "DejaVu");
}

TEST_F(ContextTest, SelectionReturnsThePreviousObjectAndRefusesStrangers) {
    HGDIOBJ system = GetStockObject(SYSTEM_FONT);
    LOGFONTA record{};
    HFONT font = CreateFontIndirectA(&record);
    EXPECT_EQ(SelectObject(canvas.dc(), font), system);
    EXPECT_EQ(SelectObject(canvas.dc(), system), font);
    int bogus = 0;
    EXPECT_EQ(SelectObject(canvas.dc(), &bogus), nullptr);
    EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(&bogus), font), nullptr);
    EXPECT_EQ(SetTextColor(reinterpret_cast<HDC>(&bogus), 0), CLR_INVALID);
    EXPECT_EQ(SetBkMode(canvas.dc(), 7), 0);
    EXPECT_EQ(GetBkMode(canvas.dc()), OPAQUE);
    EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
    EXPECT_TRUE(DeleteObject(font));
}

TEST_F(ContextTest, ASelectedFontCannotBeDeletedAndStockObjectsStay) {
    const int before = platform::GdiLiveObjects();
    LOGFONTA record{};
    HFONT font = CreateFontIndirectA(&record);
    EXPECT_EQ(platform::GdiLiveObjects(), before + 1);
    HGDIOBJ previous = SelectObject(canvas.dc(), font);
    EXPECT_FALSE(DeleteObject(font));
    SelectObject(canvas.dc(), previous);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_FALSE(DeleteObject(font));  // gone: the handle is stale now
    EXPECT_EQ(platform::GdiLiveObjects(), before);
    EXPECT_TRUE(DeleteObject(GetStockObject(SYSTEM_FONT)));
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(Metrics().tmHeight, 16);  // the stock font still serves
    EXPECT_NE(GetStockObject(BLACK_BRUSH), GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(GetStockObject(12345), nullptr);
}

TEST_F(ContextTest, ReleasingTheContextFreesItAndItsHandleDies) {
    const int before = platform::GdiLiveObjects();
    HDC dc = canvas.dc();
    ASSERT_EQ(canvas.surface()->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(platform::GdiLiveObjects(), before - 1);
    EXPECT_FALSE(TextOutA(dc, 0, 0, "a", 1));
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    HDC again = nullptr;
    ASSERT_EQ(canvas.surface()->GetDC(&again), DD_OK);
    EXPECT_EQ(GetBkMode(again), OPAQUE);
    canvas.surface()->ReleaseDC(again);
}

TEST_F(ContextTest, CallsAreLoggedWithTheirArguments) {
    RecordCalls(true);
    SetTextColor(canvas.dc(), 0x00FFFF);
    LOGFONTA record{};
    record.lfHeight = 16;
    record.lfWidth = 16;
    record.lfWeight = 400;
    record.lfCharSet = RUSSIAN_CHARSET;
    std::strcpy(record.lfFaceName, "DejaVu Sans");
    HFONT font = CreateFontIndirectA(&record);
    SelectObject(canvas.dc(), font);
    TextOutA(canvas.dc(), 0, 2, "\x80\"", 2);
    SelectObject(canvas.dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(font);
    EXPECT_EQ(CallsNamed("SetTextColor").at(0).detail, "color=0x00FFFF");
    EXPECT_EQ(CallsNamed("CreateFontIndirectA").at(0).detail,
              "face=\"DejaVu Sans\" height=16 width=16 weight=400 charset=204");
    EXPECT_EQ(CallsNamed("TextOutA").at(0).detail, "x=0 y=2 length=2 text=\"\\x80\\x22\"");
    EXPECT_EQ(CallsNamed("TextOutA").at(0).result, 0);
    const std::vector<std::string> order = {"SetTextColor", "CreateFontIndirectA", "SelectObject",
                                            "TextOutA",     "GetStockObject",      "SelectObject",
                                            "DeleteObject"};
    EXPECT_EQ(CallSequence(), order);
}

// The call log keeps the injected code. A GDI call leaves the thread's last error as it was;
// a USER call leaves the Win32 code the fault carries.
TEST_F(ContextTest, InjectedFailuresAreReturnedAsTheCallsOwnFailure) {
    const HRESULT outOfMemory = MAKE_HRESULT(1, 7, 8);
    RecordCalls(true);
    SetLastError(5);
    FailCall("TextOutA", 1, outOfMemory);
    FailCall("CreateFontIndirectA");
    LOGFONTA record{};
    EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, "a", 1));
    EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, "a", 1));
    EXPECT_EQ(CreateFontIndirectA(&record), nullptr);
    EXPECT_EQ(CallsNamed("TextOutA").at(0).result, outOfMemory);
    EXPECT_EQ(GetLastError(), 5u);

    FailCall("GetAsyncKeyState", 1, outOfMemory);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
    EXPECT_EQ(CallsNamed("GetAsyncKeyState").at(0).result, outOfMemory);
    EXPECT_EQ(GetLastError(), 8u);
}

struct ListRow {
    LOGFONTA record;
};

int CALLBACK GatherRows(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM context) {
    auto* rows = reinterpret_cast<std::vector<ListRow>*>(context);
    if (rows->size() < 30) rows->push_back({*font});
    return 1;
}

// One frame of the tool's list: index and face in the context's font, the sample in the
// font's own face at 16 x 16.
void DrawListFrame(HDC dc, const std::vector<ListRow>& rows) {
    int y = 0;
    for (size_t i = 0; i < rows.size(); ++i, y += 16) {
        std::string index = std::to_string(i);
        TextOutA(dc, 0, y, index.data(), static_cast<int>(index.size()));
        TextOutA(dc, 32, y, rows[i].record.lfFaceName,
                 static_cast<int>(std::strlen(rows[i].record.lfFaceName)));
        LOGFONTA sample = rows[i].record;
        sample.lfWidth = 16;
        sample.lfHeight = 16;
        HFONT font = CreateFontIndirectA(&sample);
        HGDIOBJ previous = SelectObject(dc, font);
        TextOutA(dc, 280, y, "ABCDEFG abcdefg 1234567890", 26);
        SelectObject(dc, previous);
        DeleteObject(font);
    }
}

TEST_F(ContextTest, AWarmFrameOfTheListOpensNoFontFileAndScansNoDirectory) {
    std::vector<ListRow> rows;
    LOGFONTA all{};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(canvas.dc(), &all, GatherRows, reinterpret_cast<LPARAM>(&rows), 0);
    ASSERT_EQ(rows.size(), 30u);
    platform::ForgetRealizedFonts();
    const int coldStart = FontFilesOpened();
    DrawListFrame(canvas.dc(), rows);
    EXPECT_GT(FontFilesOpened(), coldStart);  // the cold frame had to open the faces
    const int opened = FontFilesOpened(), scans = FontDirectoryScans();
    rows.clear();
    EnumFontFamiliesExA(canvas.dc(), &all, GatherRows, reinterpret_cast<LPARAM>(&rows), 0);
    DrawListFrame(canvas.dc(), rows);
    EXPECT_EQ(FontFilesOpened(), opened);
    EXPECT_EQ(FontDirectoryScans(), scans);
}

}  // namespace
}  // namespace vantor::testing
