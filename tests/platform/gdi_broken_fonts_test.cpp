// Fonts that cannot be used: a folder of deliberately broken files beside one good face,
// under a fontconfig configuration of its own. Broken files are left out of the
// enumeration, asking for them falls back to a usable face, nothing crashes; and a font
// added later is found once fontconfig reports the change.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/text_canvas.h"
#include "testing.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtureFonts = fs::path(VANTOR_BINARY_DIR) / "fonts" / "files";

std::vector<char> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

uint16_t BigEndian16(const std::vector<char>& bytes, size_t at) {
    return static_cast<uint16_t>((static_cast<uint8_t>(bytes[at]) << 8) |
                                 static_cast<uint8_t>(bytes[at + 1]));
}

// The face with its character map and glyph names renamed away, so that no character
// can reach a glyph (FreeType would otherwise build a map from the names).
std::vector<char> WithoutCharacterMap(std::vector<char> font) {
    const uint16_t tables = BigEndian16(font, 4);
    for (size_t record = 12; record < 12 + 16u * tables; record += 16)
        for (const char* tag : {"cmap", "post"})
            if (std::memcmp(&font[record], tag, 4) == 0) font[record] = 'x';
    return font;
}

std::vector<char> RandomBytes(size_t count, bool withOutlineHeader) {
    std::mt19937 generator(20261207);
    std::vector<char> bytes(count);
    for (char& b : bytes) b = static_cast<char>(generator());
    if (withOutlineHeader) {
        const char header[] = {0, 1, 0, 0, 0, 12, 0, (char)128, 0, 3, 0, 32};
        std::memcpy(bytes.data(), header, sizeof header);
    }
    return bytes;
}

class BrokenFontsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/vantor-broken-fonts-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        fs::create_directory(folder / "files");
        fs::copy_file(kFixtureFonts / "DejaVuSansMono.ttf", folder / "files" / "good.ttf");
        std::vector<char> serif = ReadFile(kFixtureFonts / "DejaVuSerif.ttf");
        ASSERT_GT(serif.size(), 60000u);
        WriteFile(folder / "files" / "truncated.ttf",
                  std::vector<char>(serif.begin(), serif.begin() + 60000));
        WriteFile(folder / "files" / "nocmap.ttf",
                  WithoutCharacterMap(ReadFile(kFixtureFonts / "DejaVuSans.ttf")));
        WriteFile(folder / "files" / "random.ttf", RandomBytes(40000, false));
        WriteFile(folder / "files" / "header.ttf", RandomBytes(40000, true));
        WriteFile(folder / "files" / "empty.ttf", {});
        std::ofstream(folder / "fonts.conf")
            << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << (folder / "files").string()
            << "</dir>\n  <cachedir>" << (folder / "cache").string()
            << "</cachedir>\n</fontconfig>\n";
        // Before anything in this program asks fontconfig.
        setenv("FONTCONFIG_FILE", (folder / "fonts.conf").c_str(), 1);
    }
    static void TearDownTestSuite() { fs::remove_all(folder); }

    void SetUp() override {
        Reset();
        ASSERT_TRUE(canvas.Open(200, 60));
    }

    std::vector<std::string> Faces() { return canvas.EnumeratedFaces(); }

    static fs::path folder;
    TextCanvas canvas;
};

fs::path BrokenFontsTest::folder;

TEST_F(BrokenFontsTest, OnlyTheUsableFaceIsEnumerated) {
    const std::vector<std::string> faces = Faces();
    EXPECT_EQ(faces,
              std::vector<std::string>(8, "DejaVu Sans Mono"));  // its eight single-byte sets
}

TEST_F(BrokenFontsTest, AskingForABrokenFaceDrawsInAUsableOne) {
    SIZE reference{};
    LOGFONTA record{};
    record.lfHeight = 20;
    std::strcpy(record.lfFaceName, "DejaVu Sans Mono");
    HFONT mono = CreateFontIndirectA(&record);
    SelectObject(canvas.dc(), mono);
    ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc(), "Broken", 6, &reference));
    for (const char* face : {"DejaVu Serif", "DejaVu Sans", "", "Random"}) {
        SCOPED_TRACE(face);
        std::strcpy(record.lfFaceName, face);
        HFONT font = CreateFontIndirectA(&record);
        SelectObject(canvas.dc(), font);
        EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, "Broken", 6));
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32A(canvas.dc(), "Broken", 6, &size));
        EXPECT_EQ(size.cx, reference.cx);
        char name[LF_FACESIZE] = {};
        GetTextFaceA(canvas.dc(), sizeof name, name);
        EXPECT_STREQ(name, "DejaVu Sans Mono");
        SelectObject(canvas.dc(), mono);
        DeleteObject(font);
    }
    SelectObject(canvas.dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(mono);
}

TEST_F(BrokenFontsTest, AFontAddedLaterIsFoundOnceFontconfigSeesTheChange) {
    ASSERT_EQ(Faces().size(), 8u);
    const int scans = FontDirectoryScans();
    fs::copy_file(kFixtureFonts / "DejaVuSerif.ttf", folder / "files" / "serif.ttf");
    std::vector<std::string> faces = Faces();
    EXPECT_EQ(std::count(faces.begin(), faces.end(), "DejaVu Serif"), 6);
    EXPECT_EQ(FontDirectoryScans(), scans + 1);
    Faces();
    EXPECT_EQ(FontDirectoryScans(), scans + 1);  // no change, no new look
    fs::remove(folder / "files" / "serif.ttf");
}

}  // namespace
}  // namespace vantor::testing
