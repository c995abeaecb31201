// The tool on the real platform: fontsheet.exe, cross-built from the system's sources, run
// on Wine's DirectDraw, GDI and USER in a private X server at 640 x 480 x 16, driven with
// real key presses; its sheets of three faces and their sample lines in the list held beside
// the stand-in's, and the text probe run on both.
// The demo runs there too, full screen and in a window: the framework's windowed start-up
// (a normal cooperative level, a clipper bound to the window) on the real DirectDraw.
//
// Where Wine departs from the documented platform the stand-in follows the documentation.
// Departures this test meets:
// - Wine lists the font families in fontconfig's order, not by name; the order is not
//   documented, so the walk finds its font by face and character set on each platform.
// - With no window manager Wine makes the tool's X window anew when the tool takes the
//   screen, so the window is looked up again if the first one goes.
// - A window partly off the screen: Wine's clip list reaches past the screen's edge (see
//   kMovedX), and the frames shown in the visible part have wrong colours on the 16-bit
//   screen (the 16-bit pixels shown as if 32-bit: white comes out cyan), though the same
//   frames are right when the window is wholly on the screen. There the test checks where
//   the picture stands and where the screen changes, not the colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "real_platform/probe_comparison.h"
#include "real_platform/sheet_comparison.h"
#include "real_platform/wine_prefix.h"
#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"
#include "support/x_session.h"

namespace vantor::testing {
namespace {

const std::string kWindowsFontsheet = VANTOR_WINDOWS_BUILD "/fontsheet.exe";
const std::string kWindowsProbe = VANTOR_WINDOWS_BUILD "/text_probe.exe";
const std::string kWindowsDemo = VANTOR_WINDOWS_BUILD "/vantor_demo.exe";
const std::string kReport = VANTOR_BINARY_DIR "/real_platform_report.txt";
constexpr char kWindowTitle[] = "Vantor Application";
constexpr char kDemoTitle[] = "Vantor Demo";
constexpr double kStepSeconds = 30;
constexpr int kRowHeight = 16;
constexpr int kRows = 30;
constexpr int kSampleX = 280;  // where the list's sample lines start
constexpr size_t kSheetFileSize = 245814;
constexpr size_t kHeaderSize = 54;

// The least mean ink overlap per printable cell of one face's sheets on the two platforms.
constexpr double kLeastOverlap = 0.9;
// The faces whose sheets are compared, as the probe names them.
const std::string kSheetFaces[] = {"\"DejaVu Sans\"", "\"DejaVu Sans Mono\"", "\"DejaVu Serif\""};

// Whether two screens show the same pixels in a list row.
bool SameRow(const RgbImage& a, int rowA, const RgbImage& b, int rowB) {
    return std::equal(a.rgb.begin() + rowA * kRowHeight * a.width,
                      a.rgb.begin() + (rowA + 1) * kRowHeight * a.width,
                      b.rgb.begin() + rowB * kRowHeight * b.width);
}

// Which font the screen shows selected, read against the first screen (font 0 selected):
// the rows under the selected one are the first screen's rows, moved up by the selection.
// Rows differ at least by their index, so one match is the only match.
std::optional<int> SelectedOnScreen(const RgbImage& first, const RgbImage& now) {
    for (int selected = 0; selected < kRows - 1; ++selected) {
        bool matches = true;
        for (int row = 1; row + selected < kRows && matches; ++row)
            matches = SameRow(now, row, first, row + selected);
        if (matches) return selected;
    }
    return std::nullopt;
}

// The enumeration index of the first record of a face, or -1.
int FirstRecordOf(const std::vector<ProbeRecord>& probe, const std::string& face) {
    for (const ProbeRecord& record : probe)
        if (record.key.rfind("enum " + face + " ", 0) == 0)
            return std::stoi(Field(record, "index"));
    return -1;
}

// Everything printed is also kept in one report beside the build, which `make test`
// shows after the tests.
void Report(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::ofstream(kReport, std::ios::app) << line << '\n';
}

// Where a window stands on the screen, as X places it.
struct Placement {
    int x = -1, y = -1, width = 0, height = 0;
};

Placement PlacementOf(const XSession& session, XWindow window) {
    std::istringstream info(session.Output("xwininfo -id " + std::to_string(window)));
    Placement placement;
    for (std::string line; std::getline(info, line);) {
        std::sscanf(line.c_str(), " Absolute upper-left X: %d", &placement.x);
        std::sscanf(line.c_str(), " Absolute upper-left Y: %d", &placement.y);
        std::sscanf(line.c_str(), " Width: %d", &placement.width);
        std::sscanf(line.c_str(), " Height: %d", &placement.height);
    }
    return placement;
}

// The bounds of the pixels that differ between two screens of one size.
Placement Bounds(const RgbImage& a, const RgbImage& b) {
    int left = a.width, top = a.height, right = 0, bottom = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            if (a.At(x, y) == b.At(x, y)) continue;
            left = std::min(left, x), right = std::max(right, x + 1);
            top = std::min(top, y), bottom = std::max(bottom, y + 1);
        }
    return right > left ? Placement{left, top, right - left, bottom - top} : Placement{};
}

std::string Describe(uint32_t rgb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06X", rgb);
    return text;
}

// A point of the demo's picture inside its square, on the white half of the backdrop and
// clear of the list of keys and of the balls: white in the sprite scene, half red in the
// blends, red and white in turn in the checkerboard.
constexpr int kSquareProbeX = 361;
constexpr int kSquareProbeY = 241;

// Where the windowed demo is moved, partly off the screen. Wine rounds a window's visible
// region out to 32-pixel steps from the window's corner, past the screen's edge, where on
// the platform a top-level window's visible region ends at the desktop's edge; DirectDraw then
// refuses every blit through the clipper as leaving the primary surface, and the window stays
// black. Here the visible part (480 x 352) is a whole number of steps, so the region ends at the
// screen's edge.
constexpr int kMovedX = 160;
constexpr int kMovedY = 128;

bool Reddish(uint32_t rgb) { return (rgb >> 16) > 0xC0 && (rgb & 0xFF) < 0x40; }
bool Whitish(uint32_t rgb) {
    return (rgb >> 16) > 0xC0 && ((rgb >> 8) & 0xFF) > 0xC0 && (rgb & 0xFF) > 0xC0;
}
bool HalfRed(uint32_t rgb) {
    const uint32_t green = (rgb >> 8) & 0xFF;
    return (rgb >> 16) > 0xC0 && green > 0x60 && green < 0xA0;
}

class RealPlatform : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::remove(kReport.c_str());
        session_ = new XSession;
        prefix_ = new WinePrefix;
        if (!WinePrefix::Installed()) {
            setUpError_ = "Wine is missing: make test installs it (wine64)";
        } else if (!session_->Start(640, 480, 16)) {
            setUpError_ = session_->Error();
        } else if (!prefix_->Create(session_->Display())) {
            setUpError_ = prefix_->Error();
        }
    }
    static void TearDownTestSuite() {
        delete prefix_;
        delete session_;
    }
    void SetUp() override {
        ASSERT_EQ(setUpError_, "");
        ASSERT_TRUE(std::ifstream(kWindowsFontsheet).good())
            << kWindowsFontsheet << " was not built (mingw-w64)";
    }

    // A program's window, focused, once it has drawn a whole pass and shown it; the first
    // X window found may go when the program takes the screen.
    XWindow ShownWindow(const std::string& title) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::vector<XWindow> windows = session_->WindowsTitled(title, kStepSeconds);
            if (windows.size() != 1 || !session_->Ping(windows[0], kStepSeconds)) continue;
            if (session_->Focus(windows[0]) && Settle(windows[0])) return windows[0];
        }
        return 0;
    }

    // Returns once the tool has handled every event sent so far and then shown a frame:
    // it answers a ping while pumping messages, at the start of a pass, so a second answer
    // comes after the pass that handled the first.
    bool Settle(XWindow window) {
        return session_->Ping(window, kStepSeconds) && session_->Ping(window, kStepSeconds);
    }

    // One press of a key in a program that may make its X window anew meanwhile (the demo
    // takes the screen again in another mode), `queued` Shift messages with it (see Tap);
    // the window after it, 0 when it is gone.
    XWindow PressIn(XWindow window, const std::string& title, const std::string& key,
                    int queued = 0) {
        if (!session_->Tap(window, key, queued, kStepSeconds)) window = ShownWindow(title);
        if (window != 0 && !Settle(window)) window = ShownWindow(title);
        return window;
    }

    // One press of Up or Down in the tool, with `queued` Shift messages. The tool reads the
    // keys in every pass: the pass that handles the press reads it, and so does each pass
    // that takes a queued message instead of reading X events, as Wine does while its queue
    // holds one. The release, sent once the tool has answered the ping behind the press,
    // reaches the tool before its next pass reads the keys on an idle machine and after it
    // on a loaded one: a plain press moves the list one row or two, each message one more.
    bool Press(XWindow window, const std::string& key, int queued) {
        return PressIn(window, kWindowTitle, key, queued) == window;
    }

    // Where the screen changes while the program draws: screenshots a pass apart until one
    // differs from the first, as the balls may come back to where they were; the bounds
    // of the change, of width 0 when nothing changed.
    Placement Changes(XWindow window) {
        std::optional<RgbImage> first = session_->Screenshot();
        for (int attempt = 0; first && attempt < 5; ++attempt) {
            if (!Settle(window)) break;
            std::optional<RgbImage> now = session_->Screenshot();
            if (now && now->rgb != first->rgb) return Bounds(*first, *now);
        }
        return {};
    }

    // The picture's pixel at (x, y) with the picture's top-left corner at `origin`.
    static uint32_t PictureAt(const Placement& origin, int x, int y) {
        std::optional<RgbImage> screen = session_->Screenshot();
        return screen ? screen->At(origin.x + x, origin.y + y) : 0;
    }

    // Goes through the scenes with their keys (1, 2, 3, and back to 1), reading each at the
    // probe point of the picture placed at `origin`; the window after them.
    XWindow ShowsEachScene(XWindow window, const Placement& origin) {
        uint32_t probe = PictureAt(origin, kSquareProbeX, kSquareProbeY);
        EXPECT_TRUE(Whitish(probe)) << "sprites: " << Describe(probe);
        window = PressIn(window, kDemoTitle, "2");
        if (window == 0) return 0;
        probe = PictureAt(origin, kSquareProbeX, kSquareProbeY);
        EXPECT_TRUE(HalfRed(probe)) << "blends: " << Describe(probe);
        window = PressIn(window, kDemoTitle, "3");
        if (window == 0) return 0;
        probe = PictureAt(origin, kSquareProbeX, kSquareProbeY);
        const uint32_t next = PictureAt(origin, kSquareProbeX + 1, kSquareProbeY);
        EXPECT_TRUE((Reddish(probe) && Whitish(next)) || (Whitish(probe) && Reddish(next)))
            << "checkerboard: " << Describe(probe) << " " << Describe(next);
        window = PressIn(window, kDemoTitle, "1");
        if (window == 0) return 0;
        probe = PictureAt(origin, kSquareProbeX, kSquareProbeY);
        EXPECT_TRUE(Whitish(probe)) << "sprites again: " << Describe(probe);
        return window;
    }

    // Holds a key down until the program ends; its exit status.
    static int EndWith(WineProcess& program, const std::string& key) {
        if (session_->Run("xdotool keydown " + key) != 0) return -1;
        const int status = program.Wait(kStepSeconds);
        session_->Run("xdotool keyup " + key);
        return status;
    }

    // The screen and the selection it shows, read against the first screen. A screenshot
    // taken while Wine puts a frame on the screen may show parts of two, so an unreadable one
    // is taken again after another pass.
    std::optional<std::pair<RgbImage, int>> ShownSelection(XWindow window, const RgbImage& first) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            std::optional<RgbImage> screen = session_->Screenshot();
            std::optional<int> shown = screen ? SelectedOnScreen(first, *screen) : std::nullopt;
            if (shown) return std::make_pair(std::move(*screen), *shown);
            if (!Settle(window)) break;
        }
        return std::nullopt;
    }

    // Presses Down or Up until the screen shows the wanted font selected; the screen then, or
    // nothing when the walk could not reach it, with the fonts it saw selected in `path`.
    // Each press read off the screen says how far a plain press goes; the walk presses that
    // far when that is the distance left, else one row further (going past when the distance
    // is shorter, and coming back).
    std::optional<RgbImage> WalkTo(XWindow window, const RgbImage& first, int wanted,
                                   std::string* path) {
        std::optional<std::pair<RgbImage, int>> shown = std::make_pair(first, 0);
        int plainRows = 1;
        for (int step = 0; step < 3 * kRows && shown && shown->second != wanted; ++step) {
            const int from = shown->second, distance = wanted - from;
            const int queued = std::abs(distance) == plainRows ? 0 : 1;
            if (!Press(window, distance > 0 ? "Down" : "Up", queued)) {
                *path += " (a press lost the tool's window)";
                return std::nullopt;
            }
            shown = ShownSelection(window, first);
            *path += shown ? " " + std::to_string(shown->second) : " (no selection on the screen)";
            if (shown && std::abs(shown->second - from) > queued)
                plainRows = std::abs(shown->second - from) - queued;
        }
        if (!shown || shown->second != wanted) return std::nullopt;
        return std::move(shown->first);
    }

    // Runs a program under Wine to its end in the folder; its exit status.
    static int RunOnWine(const std::string& program, const std::string& arguments,
                         const std::string& folder) {
        return prefix_->Run({program, arguments}, folder, kStepSeconds);
    }

    static const std::vector<ProbeRecord>& WineProbe() {
        static std::vector<ProbeRecord> records = [] {
            ScratchDirectory folder;
            EXPECT_EQ(RunOnWine(kWindowsProbe, "probe.txt", folder.Path()), 0);
            return ReadProbe(folder.File("probe.txt"));
        }();
        return records;
    }

    static const std::vector<ProbeRecord>& StandInProbe() {
        static std::vector<ProbeRecord> records = [] {
            ScratchDirectory folder;
            const std::string command =
                std::string(VANTOR_TEXT_PROBE) + " " + folder.File("probe.txt");
            EXPECT_EQ(std::system(command.c_str()), 0);
            return ReadProbe(folder.File("probe.txt"));
        }();
        return records;
    }

    // A sheet as written, with its header's bytes; or what went wrong.
    struct Sheet {
        BitmapImage image;
        std::vector<uint8_t> header;
        std::string error;
        std::vector<uint32_t> list;  // the screen with the font selected, 640 x 480
    };

    static Sheet Read(const std::string& path) {
        const std::vector<uint8_t> bytes = ReadFileBytes(path);
        if (bytes.size() != kSheetFileSize) return Broken(path + " is not a whole sheet");
        Sheet sheet{DecodeBitmap(bytes), {bytes.begin(), bytes.begin() + kHeaderSize}, "", {}};
        sheet.error = sheet.image.error;
        return sheet;
    }

    static Sheet Broken(const std::string& error) { return {{}, {}, error, {}}; }

    // The sheet the tool writes on Wine with the font at `index` selected by the walk.
    Sheet SheetOnWine(int index) {
        ScratchDirectory folder;
        WineProcess tool(prefix_->Start({kWindowsFontsheet}, folder.Path()));
        XWindow window = ShownWindow(kWindowTitle);
        if (window == 0) return Broken("the tool's window did not show its list");
        std::optional<RgbImage> first = session_->Screenshot();
        if (!first) return Broken("no screenshot");
        std::string path = "0";
        std::optional<RgbImage> list = WalkTo(window, *first, index, &path);
        if (!list)
            return Broken("the walk did not reach font " + std::to_string(index) + ": " + path);
        if (EndWith(tool, "Return") != 0) return Broken("Return did not end the tool with 0");
        Sheet sheet = Read(folder.File("Font.bmp"));
        sheet.list = list->rgb;
        // The format leaves bfSize 0; biSizeImage counts the rows.
        if (sheet.error.empty() && (sheet.image.fileSizeField != 0 ||
                                    sheet.image.imageSizeField != kSheetFileSize - kHeaderSize))
            sheet.error = "the sheet's header sizes are not the format's";
        return sheet;
    }

    // The sheet the stand-in writes with the font at `index` selected. A pass draws the list
    // before it reads the keys, so one pass without a key shows the last move before Return.
    static Sheet SheetOnStandIn(int index) {
        ScratchDirectory folder;
        std::string keys = "- -";
        for (int i = 0; i < index; ++i) keys += " Down";
        const FontsheetRun run = RunFontsheet(
            folder.Path(),
            {{"VANTOR_KEYS", keys + " - Return"}, {"VANTOR_SCREENSHOT", folder.File("list.bmp")}});
        if (run.exitStatus != 0) return Broken("the stand-in's run: " + run.errorOutput);
        Sheet sheet = Read(folder.File("Font.bmp"));
        // The last frame shown: the list with the font selected.
        const BitmapImage list = DecodeBitmap(ReadFileBytes(folder.File("list.bmp")));
        if (list.width != kModeWidth || list.height != kModeHeight)
            sheet.error = "no screenshot of the stand-in's list";
        sheet.list = list.rgb;
        return sheet;
    }

    // Writes one face's sheet on both platforms, selected on each by its face and Western
    // character set (the two list the families in different orders), and holds them side by
    // side: the mean ink overlap of the printable cells must reach the bar, and no cell may
    // have ink on one platform only.
    void SheetsAgreeFor(const std::string& face) {
        const int onWine = FirstRecordOf(WineProbe(), face);
        const int ours = FirstRecordOf(StandInProbe(), face);
        ASSERT_GE(onWine, 0) << "Wine does not list " << face;
        ASSERT_GE(ours, 0) << "the stand-in does not list " << face;
        ASSERT_LT(onWine, kRows - 1);
        const Sheet wineSheet = SheetOnWine(onWine);
        ASSERT_EQ(wineSheet.error, "");
        const Sheet ourSheet = SheetOnStandIn(ours);
        ASSERT_EQ(ourSheet.error, "");
        ASSERT_EQ(wineSheet.image.width, 4096);
        ASSERT_EQ(wineSheet.image.height, 20);
        // The same system wrote both files.
        EXPECT_EQ(wineSheet.header, ourSheet.header);

        std::vector<CellComparison> cells =
            CompareCells(wineSheet.image, ourSheet.image, PrintableWesternCodes());
        double sum = 0;
        for (const CellComparison& cell : cells) sum += cell.overlap;
        const double mean = sum / cells.size();
        Report("Sheets of " + face + " (font " + std::to_string(onWine) + " on Wine, " +
               std::to_string(ours) + " on the stand-in): mean ink overlap " +
               std::to_string(mean) + " over " + std::to_string(cells.size()) + " printable cells");
        EXPECT_GE(mean, kLeastOverlap) << face;
        std::sort(cells.begin(), cells.end(),
                  [](auto& a, auto& b) { return a.overlap < b.overlap; });
        for (size_t i = 0; i < 5 && i < cells.size(); ++i) {
            Report("  worst: code " + std::to_string(cells[i].code) + " overlap " +
                   std::to_string(cells[i].overlap) + ", inked pixels Wine " +
                   std::to_string(cells[i].inkA) + ", ours " + std::to_string(cells[i].inkB));
        }
        for (const CellComparison& cell : cells) {
            if ((cell.inkA == 0) == (cell.inkB == 0)) continue;
            ADD_FAILURE() << face << ": character " << cell.code << " has ink on "
                          << (cell.inkA ? "Wine" : "the stand-in") << " only";
        }
        SampleLinesAgree(face, wineSheet.list, ourSheet.list);
    }

    // The list's sample lines of the selected font (yellow on black) and of the row under it
    // (the face's next record, black on white) on the two screens.
    static void SampleLinesAgree(const std::string& face, const std::vector<uint32_t>& onWine,
                                 const std::vector<uint32_t>& ours) {
        const Pixels wine{onWine, kModeWidth}, stand{ours, kModeWidth};
        const double selected = BoxInkOverlap(wine, kSampleX, 0, stand, kSampleX, 0,
                                              kModeWidth - kSampleX, kRowHeight, 0x000000);
        const double under = BoxInkOverlap(wine, kSampleX, kRowHeight, stand, kSampleX, kRowHeight,
                                           kModeWidth - kSampleX, kRowHeight, 0xFFFFFF);
        Report("  sample lines in the list: ink overlap " + std::to_string(selected) +
               " selected, " + std::to_string(under) + " under it");
        EXPECT_GE(selected, kLeastOverlap) << face;
        EXPECT_GE(under, kLeastOverlap) << face;
    }

    static XSession* session_;
    static WinePrefix* prefix_;
    static std::string setUpError_;
};

XSession* RealPlatform::session_ = nullptr;
WinePrefix* RealPlatform::prefix_ = nullptr;
std::string RealPlatform::setUpError_;

TEST_F(RealPlatform, EscapeEndsWithStatusOneAndWritesNothing) {
    ScratchDirectory folder;
    WineProcess tool(prefix_->Start({kWindowsFontsheet}, folder.Path()));
    XWindow window = ShownWindow(kWindowTitle);
    ASSERT_NE(window, 0u) << "the tool's window did not show its list";

    EXPECT_EQ(EndWith(tool, "Escape"), 1);
    EXPECT_FALSE(std::ifstream(folder.File("Font.bmp")).good());
}

TEST_F(RealPlatform, SheetsOfDejaVuSansAgree) { SheetsAgreeFor(kSheetFaces[0]); }
TEST_F(RealPlatform, SheetsOfDejaVuSansMonoAgree) { SheetsAgreeFor(kSheetFaces[1]); }
TEST_F(RealPlatform, SheetsOfDejaVuSerifAgree) { SheetsAgreeFor(kSheetFaces[2]); }

// Prints every difference between the platforms' text, and judges the faces of the sheets
// above: their records must agree in every field but their place in the list (see above),
// their metrics wholly, and the box of a character with its zero byte for 99 in 100 codes.
TEST_F(RealPlatform, TextProbeAgreesForTheSheetFaces) {
    const std::vector<ProbeRecord>& onWine = WineProbe();
    const std::vector<ProbeRecord>& ours = StandInProbe();
    ASSERT_FALSE(onWine.empty());
    ASSERT_FALSE(ours.empty());
    const std::vector<std::string> differences = ProbeDifferences(onWine, "Wine", ours, "ours");
    Report("Text probe: " + std::to_string(onWine.size()) + " facts from Wine, " +
           std::to_string(ours.size()) + " from the stand-in, " +
           std::to_string(differences.size()) + " differences");
    for (const std::string& difference : differences) Report("  " + difference);

    for (const std::string& face : kSheetFaces) {
        int boxes = 0;
        for (const std::string& difference : differences) {
            if (difference.rfind("font " + face + " pair ", 0) == 0) ++boxes;
            const bool record = difference.rfind("enum " + face + " ", 0) == 0;
            EXPECT_FALSE(record && difference.find(": index ") == std::string::npos) << difference;
            EXPECT_NE(difference.rfind("font " + face + " metrics", 0), 0u) << difference;
        }
        EXPECT_LE(boxes, 2) << face << ": boxes of 255 characters differ";
    }
}

TEST_F(RealPlatform, DemoFullScreenCoversTheScreenDrawsSwitchesScenesAndEnds) {
    ASSERT_TRUE(std::ifstream(kWindowsDemo).good()) << kWindowsDemo << " was not built";
    ScratchDirectory folder;
    WineProcess demo(prefix_->Start({kWindowsDemo}, folder.Path()));
    XWindow window = ShownWindow(kDemoTitle);
    ASSERT_NE(window, 0u) << "the demo's window did not show";
    const Placement placement = PlacementOf(*session_, window);
    EXPECT_EQ(placement.x, 0);
    EXPECT_EQ(placement.y, 0);
    EXPECT_EQ(placement.width, kModeWidth);
    EXPECT_EQ(placement.height, kModeHeight);
    EXPECT_GT(Changes(window).width, 0) << "the picture does not move";
    window = ShowsEachScene(window, placement);
    ASSERT_NE(window, 0u) << "the demo's window went";
    EXPECT_EQ(EndWith(demo, "Escape"), 0);
}

TEST_F(RealPlatform, DemoInAWindowDrawsIntoItsClientAreaWhereverItStands) {
    ASSERT_TRUE(std::ifstream(kWindowsDemo).good()) << kWindowsDemo << " was not built";
    ScratchDirectory folder;
    WineProcess demo(prefix_->Start({kWindowsDemo, "-window"}, folder.Path()));
    XWindow window = ShownWindow(kDemoTitle);
    ASSERT_NE(window, 0u) << "the demo's window did not show";
    Placement placement = PlacementOf(*session_, window);
    EXPECT_EQ(placement.width, kModeWidth);
    EXPECT_EQ(placement.height, kModeHeight);
    EXPECT_GT(Changes(window).width, 0) << "the picture does not move";
    window = ShowsEachScene(window, placement);
    ASSERT_NE(window, 0u) << "the demo's window went";

    // Partly off the screen: what is on the screen shows the picture's part, moved with the
    // window (the backdrop's halves meet at its middle), and nothing changes outside.
    ASSERT_EQ(session_->Run("xdotool windowmove " + std::to_string(window) + " " +
                            std::to_string(kMovedX) + " " + std::to_string(kMovedY)),
              0);
    ASSERT_TRUE(Settle(window));
    placement = PlacementOf(*session_, window);
    EXPECT_EQ(placement.x, kMovedX);
    EXPECT_EQ(placement.y, kMovedY);
    std::optional<RgbImage> screen = session_->Screenshot();
    ASSERT_TRUE(screen);
    const int middle = kMovedX + kModeWidth / 2, row = kMovedY + 100;
    EXPECT_EQ(screen->At(middle - 2, row), screen->At(middle - 1, row));
    EXPECT_NE(screen->At(middle - 1, row), screen->At(middle, row));
    EXPECT_EQ(screen->At(middle, row), screen->At(middle + 1, row));
    const Placement changed = Changes(window);
    EXPECT_GT(changed.width, 0) << "the picture does not move";
    EXPECT_GE(changed.x, kMovedX);
    EXPECT_GE(changed.y, kMovedY);
    EXPECT_EQ(EndWith(demo, "Escape"), 0);
}

// The example a newcomer copies (examples/), built from its own CMakeLists.txt.
TEST_F(RealPlatform, ExampleTakesTheScreenMovesItsSurfacesAndEndsOnEscape) {
    const std::string example = VANTOR_WINDOWS_BUILD "/examples/vantor_example.exe";
    ASSERT_TRUE(std::ifstream(example).good()) << example << " was not built";
    ScratchDirectory folder;
    WineProcess program(prefix_->Start({example}, folder.Path()));
    XWindow window = ShownWindow("Vantor Example");
    ASSERT_NE(window, 0u) << "the example's window did not show";
    EXPECT_EQ(PlacementOf(*session_, window).width, kModeWidth);
    EXPECT_GT(Changes(window).width, 0) << "the picture does not move";
    EXPECT_EQ(EndWith(program, "Escape"), 0);
}

}  // namespace
}  // namespace vantor::testing
