// The cache of face facts the font catalog keeps between starts: facts come from the file
// only while the font file is the one they were read from, and a cache file that is not
// sound is ignored and replaced. Whether a face was opened shows in the font file counter;
// a face the cache vouches for is not tried again while its file is unchanged.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gdi/face_facts_cache.h"
#include "gdi/face_facts_file.h"
#include "support/fontsheet_runner.h"
#include "testing.h"

namespace vantor::testing {
namespace {

namespace fs = std::filesystem;
using platform::FaceFacts;
using platform::FaceFactsCache;

const fs::path kFixtureFonts = fs::path(VANTOR_BINARY_DIR) / "fonts/files";

class FaceFactsCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        Reset();
        fs::copy_file(kFixtureFonts / "DejaVuSansMono.ttf", font);
    }

    // The facts a fresh start finds for the font, and how many font files it opened.
    FaceFacts Start(int* opened) {
        FaceFacts facts{};
        *opened = StartWith({font}, FaceFactsCache::kMostKept, &facts);
        return facts;
    }

    // How many font files a fresh start that sees these fonts opens, with a cache that keeps
    // at most mostKept faces; `first` gets the first font's facts.
    int StartWith(const std::vector<std::string>& fonts, size_t mostKept,
                  FaceFacts* first = nullptr) {
        platform::ForgetFontFaces();
        const int before = FontFilesOpened();
        FaceFactsCache cache(cacheFile, mostKept);
        for (const std::string& path : fonts) {
            const std::optional<FaceFacts> facts = cache.FactsOf(path, 0);
            if (first != nullptr && path == fonts.front()) *first = facts.value_or(FaceFacts{});
        }
        EXPECT_TRUE(cache.Save());
        return FontFilesOpened() - before;
    }

    // Another font file in the scratch directory, a copy of a fixture font.
    std::string CopyOf(const std::string& fixture, const std::string& name) {
        const std::string path = scratch.File(name);
        fs::copy_file(kFixtureFonts / fixture, path);
        return path;
    }

    // The facts the face itself gives, without any cache.
    static FaceFacts OwnFacts(const std::string& path) {
        platform::ForgetFontFaces();
        std::shared_ptr<platform::FontFace> face = platform::OpenFontFace(path, 0);
        return face ? face->facts : FaceFacts{};
    }

    static void ExpectSameFacts(const FaceFacts& found, const FaceFacts& own) {
        EXPECT_EQ(found.unitsPerEm, own.unitsPerEm);
        EXPECT_EQ(found.winAscent, own.winAscent);
        EXPECT_EQ(found.winDescent, own.winDescent);
        EXPECT_EQ(found.averageWidth, own.averageWidth);
        EXPECT_EQ(found.boxWidth, own.boxWidth);
        EXPECT_EQ(found.fixedPitch, own.fixedPitch);
        EXPECT_EQ(found.family, own.family);
        EXPECT_EQ(found.codePages[0], own.codePages[0]);
    }

    ScratchDirectory scratch;
    const std::string font = scratch.File("face.ttf");
    const std::string cacheFile = scratch.File("cache/vantor/face-facts");
};

TEST_F(FaceFactsCacheTest, ASecondStartOpensNoFontFile) {
    int opened = 0;
    ExpectSameFacts(Start(&opened), OwnFacts(font));
    EXPECT_EQ(opened, 1);
    ASSERT_TRUE(fs::exists(cacheFile));
    ExpectSameFacts(Start(&opened), OwnFacts(font));
    EXPECT_EQ(opened, 0);
}

TEST_F(FaceFactsCacheTest, AChangedOrReplacedFontFileIsReadAgain) {
    int opened = 0;
    Start(&opened);
    fs::last_write_time(font, fs::last_write_time(font) + std::chrono::seconds(5));
    Start(&opened);
    EXPECT_EQ(opened, 1) << "a touched file";

    // Another face under the same name, with the same modification time.
    const fs::file_time_type written = fs::last_write_time(font);
    const std::string other = scratch.File("other.ttf");
    fs::copy_file(kFixtureFonts / "DejaVuSerif.ttf", other);
    fs::last_write_time(other, written);
    fs::rename(other, font);
    const FaceFacts found = Start(&opened);
    EXPECT_EQ(opened, 1) << "a replaced file";
    ExpectSameFacts(found, OwnFacts(font));
    EXPECT_FALSE(found.fixedPitch) << "the facts of the monospaced face it replaced";
}

// A face the cache vouches for is opened without trying its glyphs, but only while its
// file is the one the cache described.
TEST_F(FaceFactsCacheTest, OnlyAFaceFromTheCacheInAnUnchangedFileSkipsItsTrial) {
    int opened = 0;
    Start(&opened);
    EXPECT_FALSE(platform::FoundUsableBefore(font, 0)) << "opened, not read from the cache";
    Start(&opened);
    EXPECT_TRUE(platform::FoundUsableBefore(font, 0));
    EXPECT_FALSE(platform::FoundUsableBefore(font, 1)) << "another face of the file";

    const fs::file_time_type written = fs::last_write_time(font);
    const std::string other = scratch.File("other.ttf");
    fs::copy_file(kFixtureFonts / "DejaVuSerif.ttf", other);
    fs::last_write_time(other, written);
    fs::rename(other, font);
    EXPECT_FALSE(platform::FoundUsableBefore(font, 0)) << "a replaced file";
}

TEST_F(FaceFactsCacheTest, AnUnsoundCacheFileIsIgnoredAndReplaced) {
    int opened = 0;
    Start(&opened);
    std::ifstream in(cacheFile, std::ios::binary);
    const std::string sound((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    ASSERT_GT(sound.size(), 64u);
    std::string flipped = sound;
    flipped[sound.size() - 20] ^= 0x40;
    const std::string unsound[] = {"",          "garbage", sound.substr(0, sound.size() / 2),
                                   sound + "x", flipped,   std::string(sound.size(), '\xFF')};
    for (const std::string& bytes : unsound) {
        std::ofstream(cacheFile, std::ios::binary | std::ios::trunc) << bytes;
        ExpectSameFacts(Start(&opened), OwnFacts(font));
        EXPECT_EQ(opened, 1) << "trusted an unsound cache of " << bytes.size() << " bytes";
        Start(&opened);
        EXPECT_EQ(opened, 0) << "the unsound cache was not replaced";
    }
}

// Programs that see different font sets (two fontconfig files used in turn) share one cache:
// each set's start adds to it instead of replacing the other's.
TEST_F(FaceFactsCacheTest, TwoFontSetsUsedInTurnBothStayWarm) {
    const std::vector<std::string> mono = {font};
    const std::vector<std::string> serif = {CopyOf("DejaVuSerif.ttf", "serif.ttf"),
                                            CopyOf("DejaVuSerif-Bold.ttf", "serif-bold.ttf")};
    EXPECT_EQ(StartWith(mono, FaceFactsCache::kMostKept), 1);
    EXPECT_EQ(StartWith(serif, FaceFactsCache::kMostKept), 2);
    for (int turn = 0; turn < 2; ++turn) {
        EXPECT_EQ(StartWith(mono, FaceFactsCache::kMostKept), 0) << "turn " << turn;
        EXPECT_EQ(StartWith(serif, FaceFactsCache::kMostKept), 0) << "turn " << turn;
    }
}

// Past its bound the cache drops the faces no start has asked for the longest, and never
// holds more than the bound, even for a start that asks for more.
TEST_F(FaceFactsCacheTest, TheCacheKeepsItsBoundDroppingTheLongestUnasked) {
    const std::string serif = CopyOf("DejaVuSerif.ttf", "serif.ttf");
    const std::string bold = CopyOf("DejaVuSerif-Bold.ttf", "serif-bold.ttf");
    EXPECT_EQ(StartWith({font}, 2), 1);
    EXPECT_EQ(StartWith({serif}, 2), 1);
    EXPECT_EQ(StartWith({bold}, 2), 1);  // the monospaced face goes
    EXPECT_EQ(StartWith({serif, bold}, 2), 0);
    EXPECT_EQ(StartWith({font}, 2), 1);  // and now the serif face, learnt before the bold

    EXPECT_EQ(StartWith({bold}, 2), 0);
    EXPECT_EQ(StartWith({serif}, 2), 1);

    fs::remove(cacheFile);
    EXPECT_EQ(StartWith({font, serif, bold}, 2), 3);
    EXPECT_EQ(StartWith({font, serif, bold}, 2), 1) << "more than two faces kept";
}

// The file's own index: every face of thousands found by its key, whatever face is guessed
// first (itself, its neighbour, none), an unknown key nowhere, and a face whose bytes changed
// refused, even when guessed, while the others still read.
TEST_F(FaceFactsCacheTest, TheFileFindsEveryFaceOfThousandsAndRefusesAChangedOne) {
    FaceFacts facts{};
    StartWith({font}, FaceFactsCache::kMostKept, &facts);
    std::vector<std::string> keys;
    for (int i = 0; i < 5000; ++i) keys.push_back("/fonts/" + std::to_string(i) + ".ttf#0");
    std::vector<std::pair<std::string_view, platform::FaceEntry>> faces;
    for (size_t i = 0; i < keys.size(); ++i) faces.push_back({keys[i], {{i + 1, 0, 0, i}, facts}});
    std::string bytes = platform::FaceFactsFile::Bytes(faces);
    const size_t changed = bytes.find(keys[1234]) + keys[1234].size() + 3;  // in its stamp
    bytes[changed] ^= 0x40;
    std::ofstream(cacheFile, std::ios::binary | std::ios::trunc) << bytes;

    const platform::FaceFactsFile file(cacheFile);
    ASSERT_EQ(file.Count(), 5000u);
    for (uint32_t i = 0; i < 5000; ++i) {
        if (i == 1234) continue;
        for (const uint32_t guess : {i, i + 1, UINT32_MAX}) {
            const auto found = file.Find(keys[i], guess);
            ASSERT_TRUE(found) << keys[i];
            EXPECT_EQ(found->first, i);
            EXPECT_EQ(found->second.stamp.size, i + 1);
        }
    }
    EXPECT_EQ(file.Find(keys[1234]), std::nullopt);
    EXPECT_EQ(file.Find(keys[1234], 1234), std::nullopt);
    EXPECT_EQ(file.FaceAt(1234), std::nullopt);
    EXPECT_EQ(file.Find("/fonts/5000.ttf#0"), std::nullopt);
}

}  // namespace
}  // namespace vantor::testing
