// The default face (an empty or unknown name) is fontconfig's favourite among all fonts; when
// that face no longer opens (its file broke after fontconfig listed it), the next one in
// fontconfig's order is used.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "gdi/font_config.h"
#include "gdi/font_counters.h"
#include "support/bitmap_reader.h"
#include "support/font_collection.h"
#include "support/fontsheet_runner.h"
#include "support/text_canvas.h"
#include "testing.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kFixtureFonts = fs::path(VANTOR_BINARY_DIR) / "fonts" / "files";

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The face name a text drawn with a record of that face name gets.
std::string FaceDrawnFor(TextCanvas& canvas, const char* face) {
    LOGFONTA record{};
    record.lfHeight = 20;
    std::strcpy(record.lfFaceName, face);
    HFONT font = CreateFontIndirectA(&record);
    HGDIOBJ previous = SelectObject(canvas.dc(), font);
    EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, "Default", 7));
    char name[LF_FACESIZE] = {};
    GetTextFaceA(canvas.dc(), sizeof name, name);
    SelectObject(canvas.dc(), previous);
    DeleteObject(font);
    return name;
}

// A folder of two faces, one of them named as the default request names its family, and
// so fontconfig's favourite, seen through a configuration of its own.
class DefaultFaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(files);
        fs::copy_file(kFixtureFonts / "DejaVuSansMono.ttf", files / "mono.ttf");
        WriteBytes(files / "sans.ttc", sans);
        std::ofstream(scratch.File("fonts.conf"))
            << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << files.string()
            << "</dir>\n  <cachedir>" << scratch.File("cache") << "</cachedir>\n</fontconfig>\n";
        setenv("FONTCONFIG_FILE", scratch.File("fonts.conf").c_str(), 1);
        setenv("XDG_CACHE_HOME", scratch.File("xdg").c_str(), 1);
    }

    ScratchDirectory scratch;
    const fs::path files = scratch.File("files");
    const std::vector<uint8_t> sans =
        FontCollection(ReadFileBytes(kFixtureFonts / "DejaVuSans.ttf"), {"sans"});
};

TEST_F(DefaultFaceTest, AFavouriteThatNoLongerOpensGivesWayToTheNext) {
    Reset();
    {
        TextCanvas canvas;
        ASSERT_TRUE(canvas.Open(200, 60));
        EXPECT_EQ(FaceDrawnFor(canvas, ""), "sans");
        EXPECT_EQ(FaceDrawnFor(canvas, "No Such Face"), "sans");
    }

    // Rewritten in place, the folder unchanged: fontconfig still lists the face.
    WriteBytes(files / "sans.ttc", std::vector<uint8_t>(sans.size(), 0));
    platform::ReloadFontconfig();
    Reset();
    TextCanvas canvas;
    ASSERT_TRUE(canvas.Open(200, 60));
    EXPECT_EQ(FaceDrawnFor(canvas, ""), "DejaVu Sans Mono");
    EXPECT_EQ(FaceDrawnFor(canvas, "No Such Face"), "DejaVu Sans Mono");
}

// Fontconfig scores every font for the default face once: later starts take its answer from
// the cache while its configuration and font folders are unchanged, and ask again once a
// folder changed.
TEST_F(DefaultFaceTest, FontconfigsAnswerIsKeptUntilAFontFolderChanges) {
    const auto start = [] {
        platform::ReloadFontconfig();  // what this process matched is forgotten
        Reset();
        TextCanvas canvas;
        EXPECT_TRUE(canvas.Open(200, 60));
        const std::string face = FaceDrawnFor(canvas, "");
        return std::pair(face, platform::DefaultFaceMatchesSoFar());
    };
    EXPECT_EQ(start(), std::pair(std::string("sans"), 1));
    EXPECT_EQ(start(), std::pair(std::string("sans"), 0));
    fs::copy_file(kFixtureFonts / "DejaVuSerif.ttf", files / "serif.ttf");
    EXPECT_EQ(start(), std::pair(std::string("sans"), 1));
    EXPECT_EQ(start(), std::pair(std::string("sans"), 0));
}

}  // namespace
}  // namespace vantor::testing
