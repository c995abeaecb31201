// fontsheet.exe's command line on Wine, beside the stand-in's: the list (the same records,
// each family's in the same order, though Wine keeps its families in fontconfig's order),
// the sheet of a record byte for byte the one Wine's own interactive Enter writes, and the
// exit statuses. Its own suite with its own X server and prefix, apart from the key-driven
// cases, so that each part can change on its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "real_platform/wine_prefix.h"
#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"
#include "support/x_session.h"

namespace vantor::testing {
namespace {

const std::string kWindowsFontsheet = VANTOR_WINDOWS_BUILD "/fontsheet.exe";
constexpr char kWindowTitle[] = "Vantor Application";
constexpr double kStepSeconds = 30;

struct ToolRun {
    int status = -1;
    std::string output;  // standard output, with Windows' line ends made plain
};

// Each family's records, as lines without their index, in the order listed; and whether
// the indexes count from 0 line by line.
struct ListedFamilies {
    std::map<std::string, std::vector<std::string>> records;
    bool indexesInOrder = true;
};

ListedFamilies ReadList(const std::string& list) {
    ListedFamilies families;
    std::istringstream lines(list);
    size_t index = 0;
    for (std::string line; std::getline(lines, line); ++index) {
        const size_t tab = line.find('\t');
        families.indexesInOrder &= line.substr(0, tab) == std::to_string(index);
        const std::string record = line.substr(tab + 1);
        families.records[record.substr(0, record.find('\t'))].push_back(record);
    }
    return families;
}

// The X server at the tool's mode and the prefix the suite's cases share.
struct WineDesk {
    XSession session;
    WinePrefix prefix;
    std::string error;

    WineDesk() {
        if (!WinePrefix::Installed())
            error = "Wine is missing: make test installs it (wine64)";
        else if (!session.Start(640, 480, 16))
            error = session.Error();
        else if (!prefix.Create(session.Display()))
            error = prefix.Error();
    }
};

class RealPlatformCommandLine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { desk_ = new WineDesk; }
    static void TearDownTestSuite() { delete desk_; }
    void SetUp() override {
        ASSERT_EQ(desk_->error, "");
        ASSERT_TRUE(std::ifstream(kWindowsFontsheet).good())
            << kWindowsFontsheet << " was not built";
    }

    // Runs fontsheet.exe to its end in the folder. Wine hands the program this process's
    // standard output, which points at a file of its own meanwhile.
    static ToolRun RunTool(const std::vector<std::string>& arguments, const std::string& folder) {
        const ScratchDirectory outputFolder;
        const std::string outputPath = outputFolder.File("output");
        std::fflush(stdout);
        const int saved = dup(STDOUT_FILENO);
        const int file = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(file, STDOUT_FILENO);
        close(file);
        std::vector<std::string> command = {kWindowsFontsheet};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ToolRun run;
        run.status = desk_->prefix.Run(command, folder, kStepSeconds);
        dup2(saved, STDOUT_FILENO);
        close(saved);
        const std::vector<uint8_t> bytes = ReadFileBytes(outputPath);
        for (uint8_t byte : bytes)
            if (byte != '\r') run.output += static_cast<char>(byte);
        return run;
    }

    // The tool's window once it has drawn a pass of its list and shown it (and so recorded
    // the fonts on screen), focused; 0 when it did not come. Wine may make the window anew
    // when the tool takes the screen, so a window that goes is looked for again.
    static XWindow ListShown() {
        for (int attempt = 0; attempt < 3; ++attempt) {
            const std::vector<XWindow> windows =
                desk_->session.WindowsTitled(kWindowTitle, kStepSeconds);
            if (windows.size() == 1 && desk_->session.Focus(windows[0]) &&
                desk_->session.Ping(windows[0], kStepSeconds) &&
                desk_->session.Ping(windows[0], kStepSeconds))
                return windows[0];
        }
        return 0;
    }

    static WineDesk* desk_;
};

WineDesk* RealPlatformCommandLine::desk_ = nullptr;

TEST_F(RealPlatformCommandLine, TheListIsTheStandInsButForTheFamilyOrder) {
    const ScratchDirectory folder;
    const ToolRun onWine = RunTool({"--list"}, folder.Path());
    ASSERT_EQ(onWine.status, 0);
    const FontsheetRun ours = RunFontsheetCommand(folder.Path(), {"--list"});
    ASSERT_EQ(ours.exitStatus, 0) << ours.errorOutput;
    const ListedFamilies wine = ReadList(onWine.output), stand = ReadList(ours.output);
    EXPECT_TRUE(wine.indexesInOrder) << onWine.output;
    EXPECT_FALSE(wine.records.empty());
    EXPECT_EQ(wine.records, stand.records) << "Wine:\n"
                                           << onWine.output << "ours:\n"
                                           << ours.output;
}

// Record 0 is the one the list selects at the start, so Enter needs no walk to it.
TEST_F(RealPlatformCommandLine, TheSheetIsTheOneWinesInteractiveEnterWrites) {
    const ScratchDirectory folder;
    WineProcess tool(desk_->prefix.Start({kWindowsFontsheet}, folder.Path()));
    ASSERT_NE(ListShown(), 0u) << "the tool's window did not show its list";
    ASSERT_EQ(desk_->session.Run("xdotool keydown Return"), 0);
    const int status = tool.Wait(kStepSeconds);
    desk_->session.Run("xdotool keyup Return");
    ASSERT_EQ(status, 0);
    const std::vector<uint8_t> interactive = ReadFileBytes(folder.File("Font.bmp"));
    ASSERT_FALSE(interactive.empty());

    const ToolRun run = RunTool({"--font", "0", "-o", "batch.bmp"}, folder.Path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");
    EXPECT_TRUE(ReadFileBytes(folder.File("batch.bmp")) == interactive);
}

TEST_F(RealPlatformCommandLine, StatusesAreTheStandInsAndTheOutputReachesTheCaller) {
    const ScratchDirectory folder;
    ToolRun run = RunTool({"--version"}, folder.Path());
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output.rfind("fontsheet (Vantor) ", 0), 0u) << run.output;
    EXPECT_EQ(RunTool({"--help"}, folder.Path()).status, 0);
    EXPECT_EQ(RunTool({"--bogus"}, folder.Path()).status, 2);
    EXPECT_EQ(RunTool({"--font", "No Such Face"}, folder.Path()).status, 1);
    // A face name with a space, whole through Wine's command line.
    run = RunTool({"--font", "DejaVu Sans Mono", "-o", "mono.png", "--descriptor"}, folder.Path());
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(std::ifstream(folder.File("mono.png")).good());
    EXPECT_TRUE(std::ifstream(folder.File("mono.fnt")).good());
}

}  // namespace
}  // namespace vantor::testing
