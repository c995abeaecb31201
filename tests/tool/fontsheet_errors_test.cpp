// When "Font.bmp" cannot be written the tool says so, ends with 1 and loses nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"

namespace vantor::testing {
namespace {

constexpr const char* kWriteSheet = "- - Return";
constexpr const char* kMessage = "Error: Can't write Font.bmp.";

void ExpectReportedFailure(const FontsheetRun& run) {
    EXPECT_EQ(run.exitStatus, 1) << run.errorOutput;
    EXPECT_NE(run.errorOutput.find(kMessage), std::string::npos) << run.errorOutput;
}

std::string Contents(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadFileBytes(path);
    return {bytes.begin(), bytes.end()};
}

TEST(FontsheetErrorsTest, ARemovedDirectoryIsReported) {
    ScratchDirectory scratch;
    const std::string gone = scratch.File("gone");
    ASSERT_TRUE(std::filesystem::create_directory(gone));
    ExpectReportedFailure(RunFontsheet(gone, {{"VANTOR_KEYS", kWriteSheet}}, true));
}

// Write permission means nothing to the superuser, who can write anywhere.
TEST(FontsheetErrorsTest, AReadOnlyDirectoryKeepsItsSheet) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    ScratchDirectory scratch;
    std::ofstream(scratch.File("Font.bmp")) << "the older sheet";
    ASSERT_EQ(chmod(scratch.Path().c_str(), 0555), 0);
    ExpectReportedFailure(RunFontsheet(scratch.Path(), {{"VANTOR_KEYS", kWriteSheet}}));
    EXPECT_TRUE(Contents(scratch.File("Font.bmp")) == "the older sheet");
}

TEST(FontsheetErrorsTest, AReadOnlySheetIsKept) {
    ScratchDirectory scratch;
    std::ofstream(scratch.File("Font.bmp")) << "the older sheet";
    ASSERT_EQ(chmod(scratch.File("Font.bmp").c_str(), 0444), 0);
    ExpectReportedFailure(RunFontsheet(scratch.Path(), {{"VANTOR_KEYS", kWriteSheet}}));
    EXPECT_TRUE(Contents(scratch.File("Font.bmp")) == "the older sheet");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.Path()), {}), 1)
        << "a temporary file was left";
}

TEST(FontsheetErrorsTest, ADirectoryNamedFontBmpIsKept) {
    ScratchDirectory scratch;
    ASSERT_TRUE(std::filesystem::create_directory(scratch.File("Font.bmp")));
    std::ofstream(scratch.File("Font.bmp/inside")) << "kept";
    ExpectReportedFailure(RunFontsheet(scratch.Path(), {{"VANTOR_KEYS", kWriteSheet}}));
    EXPECT_TRUE(Contents(scratch.File("Font.bmp/inside")) == "kept");
}

}  // namespace
}  // namespace vantor::testing
