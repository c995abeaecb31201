// The font list's digest, kept between starts: it reads back as written, and only under its
// own key and set sizes; bytes that are not sound read as no digest; the file keeps the
// latest few lists; a start lists its fonts from the digest kept for its font list until a
// font folder changes; and the family index does not trust a name the fonts no longer carry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gdi/cache_bytes.h"
#include "gdi/family_index.h"
#include "gdi/font_config.h"
#include "gdi/font_list_digest.h"
#include "support/fontsheet_runner.h"
#include "support/text_canvas.h"
#include "testing.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;
using platform::DigestFace;
using platform::FontListDigest;
using platform::FontListWriter;
using platform::FontSetSizes;

const fs::path kFixtureFonts = fs::path(VANTOR_BINARY_DIR) / "fonts" / "files";

std::string SampleDigest(const std::string& key, const FontSetSizes& sizes) {
    FontListWriter writer(key, sizes);
    writer.AddFamily("Alpha");
    writer.AddFace("/fonts/a.ttf", 0, "Regular", "Alpha Regular");
    writer.AddFace("/fonts/b.ttc", 2, "Bold", "");
    writer.AddFamily("Empty");  // no face: dropped
    writer.AddFamily("Beta");
    writer.AddFace("/fonts/c.ttf", 0, "Book", "Beta Book");
    writer.AddName("Alpha", 0, 2);
    writer.AddName("Beta", 1, 0);
    return writer.Finish();
}

// Every text the digest holds, read through.
size_t TextBytes(const FontListDigest& digest) {
    std::string all;
    for (const auto& family : digest.families()) all += family.name;
    for (const DigestFace& face : digest.faces()) all += std::string(face.path) += face.style;
    for (const auto& name : digest.names()) all += name.name;
    return all.size();
}

TEST(FontListDigest, ReadsBackAsWrittenUnderItsKeyAndSizesAlone) {
    const FontSetSizes sizes{{3, 1}};
    const std::string bytes = SampleDigest("key", sizes);
    const auto digest = FontListDigest::FromBytes(bytes, "key", sizes);
    ASSERT_NE(digest, nullptr);
    ASSERT_EQ(digest->families().size(), 2u);
    EXPECT_EQ(digest->families()[0].name, "Alpha");
    EXPECT_EQ(digest->families()[0].faceCount, 2u);
    EXPECT_EQ(digest->families()[1].name, "Beta");
    EXPECT_EQ(digest->families()[1].firstFace, 2u);
    ASSERT_EQ(digest->faces().size(), 3u);
    const DigestFace& bold = digest->faces()[1];
    EXPECT_EQ(bold.path, "/fonts/b.ttc");
    EXPECT_EQ(bold.index, 2);
    EXPECT_EQ(bold.style, "Bold");
    EXPECT_EQ(bold.fullName, "");
    ASSERT_EQ(digest->names().size(), 2u);
    EXPECT_EQ(digest->names()[1].name, "Beta");
    EXPECT_EQ(digest->names()[1].set, 1);
    EXPECT_EQ(digest->names()[0].position, 2u);

    EXPECT_EQ(FontListDigest::FromBytes(bytes, "other key", sizes), nullptr);
    EXPECT_EQ(FontListDigest::FromBytes(bytes, "key", FontSetSizes{{4, 1}}), nullptr);
    // A name's place must lie in its set.
    EXPECT_EQ(FontListDigest::FromBytes(SampleDigest("key", {{2, 1}}), "key", {{2, 1}}), nullptr);
    // A path is used as a C string: one with a zero byte in it would name another file.
    FontListWriter zeroed("key", sizes);
    zeroed.AddFamily("Alpha");
    zeroed.AddFace(std::string_view("/fonts/a\0.ttf", 13), 0, "", "");
    EXPECT_EQ(FontListDigest::FromBytes(zeroed.Finish(), "key", sizes), nullptr);
}

// Every byte changed, with the checksum made to match again, and every length cut short:
// each reads as no digest or as one whose every text lies in its bytes (ASan watches).
TEST(FontListDigest, BytesThatAreNotSoundReadAsNoDigest) {
    const FontSetSizes sizes{{3, 1}};
    const std::string bytes = SampleDigest("key", sizes);
    for (size_t length = 0; length < bytes.size(); ++length)
        EXPECT_EQ(FontListDigest::FromBytes(bytes.substr(0, length), "key", sizes), nullptr);
    size_t refused = 0;
    for (size_t at = 0; at + 8 < bytes.size(); ++at) {
        for (const char value : {'\0', '\x01', '\xFF'}) {
            std::string changed = bytes;
            if (changed[at] == value) continue;
            changed[at] = value;
            EXPECT_EQ(FontListDigest::FromBytes(changed, "key", sizes), nullptr) << "unchecked";
            const size_t body = changed.size() - 8;
            const uint64_t checksum = platform::CacheChecksum(changed.data(), body);
            changed.replace(body, 8, reinterpret_cast<const char*>(&checksum), 8);
            const auto digest = FontListDigest::FromBytes(changed, "key", sizes);
            refused += digest == nullptr;
            if (digest) {
                EXPECT_GT(TextBytes(*digest), 0u);
            }
        }
    }
    EXPECT_GT(refused, bytes.size())
        << refused << " of "
        << 3 * bytes.size();  // counts, lengths, places and zero bytes are checked
}

TEST(FontListDigest, TheFileKeepsTheLatestListsUpToItsBound) {
    ScratchDirectory scratch;
    setenv("XDG_CACHE_HOME", scratch.File("xdg").c_str(), 1);
    const FontSetSizes sizes{{3, 1}};
    for (int list = 0; list < 6; ++list) {
        const std::string key = "list " + std::to_string(list);
        ASSERT_TRUE(FontListDigest::Keep(key, SampleDigest(key, sizes)));
    }
    ASSERT_TRUE(FontListDigest::Keep("list 3", SampleDigest("list 3", sizes)));  // again
    for (int list = 0; list < 6; ++list)
        EXPECT_EQ(FontListDigest::Kept("list " + std::to_string(list), sizes) != nullptr, list >= 2)
            << list;
    std::ofstream(scratch.File("xdg/vantor/font-lists"), std::ios::trunc) << "VNTFLIST junk";
    EXPECT_EQ(FontListDigest::Kept("list 5", sizes), nullptr);
}

int CALLBACK CollectFace(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM context) {
    reinterpret_cast<std::vector<std::string>*>(context)->push_back(font->lfFaceName);
    return 1;
}

// A folder of fonts seen through a configuration of its own, with its own caches.
class KeptFontListTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(files);
        fs::copy_file(kFixtureFonts / "DejaVuSansMono.ttf", files / "mono.ttf");
        std::ofstream(scratch.File("fonts.conf"))
            << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << files.string()
            << "</dir>\n  <cachedir>" << scratch.File("cache") << "</cachedir>\n</fontconfig>\n";
        setenv("FONTCONFIG_FILE", scratch.File("fonts.conf").c_str(), 1);
        setenv("XDG_CACHE_HOME", scratch.File("xdg").c_str(), 1);
    }

    // The distinct face names a fresh start lists.
    static std::vector<std::string> Families() {
        platform::ReloadFontconfig();
        Reset();
        TextCanvas canvas;
        EXPECT_TRUE(canvas.Open(64, 64));
        LOGFONTA all{};
        all.lfCharSet = DEFAULT_CHARSET;
        std::vector<std::string> faces;
        EnumFontFamiliesExA(canvas.dc(), &all, CollectFace, reinterpret_cast<LPARAM>(&faces), 0);
        faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
        return faces;
    }

    static FontSetSizes Sizes() {
        FontSetSizes sizes;
        for (FcSetName set : {FcSetSystem, FcSetApplication})
            if (const FcFontSet* fonts = FcConfigGetFonts(nullptr, set))
                sizes.sizes[set] = uint32_t(fonts->nfont);
        return sizes;
    }

    ScratchDirectory scratch;
    const fs::path files = scratch.File("files");
};

TEST_F(KeptFontListTest, AStartListsFromTheKeptDigestUntilAFontFolderChanges) {
    ASSERT_EQ(Families(), std::vector<std::string>{"DejaVu Sans Mono"});
    // The digest kept for this font list, planted with a name of its own.
    FontListWriter writer(platform::FontListKey(), Sizes());
    writer.AddFamily("Planted");
    writer.AddFace((files / "mono.ttf").string(), 0, "Book", "Planted Book");
    ASSERT_TRUE(FontListDigest::Keep(platform::FontListKey(), writer.Finish()));
    EXPECT_EQ(Families(), std::vector<std::string>{"Planted"});

    fs::copy_file(kFixtureFonts / "DejaVuSerif.ttf", files / "serif.ttf");
    EXPECT_EQ(Families(), (std::vector<std::string>{"DejaVu Sans Mono", "DejaVu Serif"}));
}

TEST_F(KeptFontListTest, TheFamilyIndexTrustsNoNameTheFontDoesNotCarry) {
    ASSERT_EQ(Families(), std::vector<std::string>{"DejaVu Sans Mono"});
    FontListWriter writer(platform::FontListKey(), Sizes());
    writer.AddName("Planted", FcSetSystem, 0);
    writer.AddName("DejaVu Sans Mono", FcSetSystem, 0);
    auto digest = FontListDigest::FromBytes(writer.Finish(), platform::FontListKey(), Sizes());
    ASSERT_NE(digest, nullptr);
    platform::FamilyIndex index;
    index.Build(std::move(digest));
    EXPECT_TRUE(index.FacesOf("Planted").empty());
    EXPECT_EQ(index.FacesOf("dejavu sans mono").size(), 1u);
}

}  // namespace
}  // namespace vantor::testing
