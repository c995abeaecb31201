// A legal but hostile font installed beside DejaVu: its em shrunk to 32, 64 or 128 design
// units while the outlines stay 2048 units tall, and a cell one unit high. Asked for at a
// 16-pixel cell such a face resolves to the largest size and its glyphs to bitmaps
// thousands of pixels on a side; text on it must still return, drawing what lands on the
// surface, within bounded memory, and the tool must list it and write its sheets.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"
#include "support/hostile_font.h"
#include "support/text_canvas.h"
#include "testing.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

// Names as long as "DejaVu Sans", sorting before it: the tool lists them first.
const std::vector<std::pair<int, std::string>> kHostileFaces = {
    {32, "Awry Em 032"}, {64, "Awry Em 064"}, {128, "Awry Em 128"}};
// Instrumented builds carry shadow memory and quarantine on top of what the program holds.
#if defined(__SANITIZE_ADDRESS__)
constexpr int64_t kMemoryBound = int64_t(400) << 20;
#else
constexpr int64_t kMemoryBound = int64_t(100) << 20;
#endif

int64_t PeakMemory() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return int64_t(usage.ru_maxrss) * 1024;
}

class HostileFontTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/vantor-hostile-fonts-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        fs::create_directory(folder / "files");
        for (const auto& [unitsPerEm, family] : kHostileFaces) {
            const std::vector<uint8_t> font = HostileFont(unitsPerEm, family);
            std::ofstream(folder / "files" / (family + ".ttf"), std::ios::binary)
                .write(reinterpret_cast<const char*>(font.data()),
                       static_cast<std::streamsize>(font.size()));
        }
        WriteFontConfigWith(folder / "fonts.conf", folder / "files", folder / "cache");
        // Before anything in this program asks fontconfig; the tool's runs inherit it.
        setenv("FONTCONFIG_FILE", (folder / "fonts.conf").c_str(), 1);
    }
    static void TearDownTestSuite() { fs::remove_all(folder); }

    void SetUp() override { Reset(); }

    static fs::path folder;
};

fs::path HostileFontTest::folder;

TEST_F(HostileFontTest, TextOnTheFaceReturnsAndDrawsWithinBoundedMemory) {
    TextCanvas canvas;
    ASSERT_TRUE(canvas.Open(640, 480));
    const std::vector<std::string> faces = canvas.EnumeratedFaces();
    for (const auto& [unitsPerEm, family] : kHostileFaces)
        EXPECT_NE(std::find(faces.begin(), faces.end(), family), faces.end()) << family;
    EXPECT_NE(std::find(faces.begin(), faces.end(), "DejaVu Sans"), faces.end());

    const int64_t before = PeakMemory();
    const char text[] = "ABCDEFG abcdefg 1234567890";
    for (const auto& [unitsPerEm, family] : kHostileFaces) {
        // The tool's sample, its sheet's cell, the largest em, and a monochrome face.
        for (LONG height : {16, 0, -512, -1}) {
            for (BYTE quality : {BYTE(DEFAULT_QUALITY), BYTE(NONANTIALIASED_QUALITY)}) {
                SCOPED_TRACE(family + " height " + std::to_string(height) + " quality " +
                             std::to_string(quality));
                LOGFONTA record{};
                record.lfHeight = height;
                record.lfWidth = height == 16 ? 16 : 0;
                record.lfQuality = quality;
                family.copy(record.lfFaceName, LF_FACESIZE - 1);
                HFONT font = CreateFontIndirectA(&record);
                HGDIOBJ previous = SelectObject(canvas.dc(), font);
                SetBkMode(canvas.dc(), quality == DEFAULT_QUALITY ? OPAQUE : TRANSPARENT);
                SetTextColor(canvas.dc(), RGB(255, 255, 255));
                canvas.Fill(0);
                EXPECT_TRUE(TextOutA(canvas.dc(), 280, 100, text, sizeof text - 1));
                SIZE size{};
                EXPECT_TRUE(GetTextExtentPoint32A(canvas.dc(), text, sizeof text - 1, &size));
                TEXTMETRICA metrics{};
                EXPECT_TRUE(GetTextMetricsA(canvas.dc(), &metrics));
                EXPECT_GT(size.cx, 0);
                EXPECT_NE(canvas.BoundsOfPixelsOtherThan(0).right, 0)
                    << "the glyphs that land drew nothing";
                SelectObject(canvas.dc(), previous);
                DeleteObject(font);
            }
        }
    }
    EXPECT_LT(PeakMemory() - before, kMemoryBound);
}

// The sheet of the first hostile face, then of the first font after the hostile ones.
TEST_F(HostileFontTest, TheToolListsEveryFontAndWritesSheets) {
    TextCanvas canvas;
    ASSERT_TRUE(canvas.Open(16, 16));
    const std::vector<std::string> faces = canvas.EnumeratedFaces();
    const auto firstOther = std::find_if(faces.begin(), faces.end(), [](const std::string& face) {
        return face.rfind("Awry", 0) != 0;
    });
    ASSERT_NE(firstOther, faces.end());
    std::string nextFont = "- -";
    for (auto face = faces.begin(); face != firstOther; ++face) nextFont += " Down";
    for (const std::string& keys : {std::string("- - Return"), nextFont + " Return"}) {
        SCOPED_TRACE(keys);
        ScratchDirectory scratch;
        const FontsheetRun run = RunFontsheet(scratch.Path(), {{"VANTOR_KEYS", keys}});
        EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
        const BitmapImage sheet = DecodeBitmap(ReadFileBytes(scratch.File("Font.bmp")));
        EXPECT_EQ(sheet.error, "");
        EXPECT_EQ(sheet.width, 4096);
        EXPECT_EQ(sheet.height, 20);
    }
    EXPECT_LT(PeakChildMemory(), kMemoryBound);
}

}  // namespace
}  // namespace vantor::testing
