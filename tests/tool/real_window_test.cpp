// The tool on a real screen: a private X server, keys typed as a person types them, the
// screen read back, and the file it writes compared with a headless run's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"
#include "support/image_compare.h"
#include "support/x_session.h"

namespace vantor::testing {
namespace {

constexpr int kRowHeight = 16;

// The tool reads its window's events each time it asks for a key or a message: five times
// a pass (Escape, the message, Up, Down, Return). It answers a ping at one of those reads,
// and a ping sent once the one before is answered meets a later read: five answers in a
// row span a whole pass.
constexpr int kReadsPerPass = 5;
// From the read that answers first: the rest of its pass, which may still act on a key
// read before, the whole pass after, which draws what that one chose, and the read that
// follows its present.
constexpr int kReadsToDrawnPass = 2 * kReadsPerPass + 1;

// The tool started on the X server as from a desktop: no presenter forced, no key script.
class WindowedTool {
public:
    // `fault` is a VANTOR_FAIL value for a tool that is to fail, or null; `video` a
    // VANTOR_VIDEO value, or null for the platform's own choice.
    WindowedTool(const XSession& session, const std::string& directory, const char* fault = nullptr,
                 const char* video = nullptr)
        : errorPath_(directory + "/stderr.txt") {
        process_ = fork();
        if (process_ != 0) return;
        int errors = open(errorPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int nothing = open("/dev/null", O_RDWR);
        if (errors < 0 || nothing < 0 || chdir(directory.c_str()) != 0) _exit(127);
        dup2(nothing, STDIN_FILENO);
        dup2(nothing, STDOUT_FILENO);
        dup2(errors, STDERR_FILENO);
        setenv("DISPLAY", session.Display().c_str(), 1);
        setenv("FONTCONFIG_FILE", FixtureFontConfig().c_str(), 1);
        for (const char* name : {"VANTOR_VIDEO", "VANTOR_KEYS", "VANTOR_SCREENSHOT", "VANTOR_FAIL"})
            unsetenv(name);
        if (fault) setenv("VANTOR_FAIL", fault, 1);
        if (video) setenv("VANTOR_VIDEO", video, 1);
        execl(VANTOR_FONTSHEET, VANTOR_FONTSHEET, static_cast<char*>(nullptr));
        _exit(127);
    }
    ~WindowedTool() {
        if (process_ > 0 && !status_) {
            kill(process_, SIGKILL);
            waitpid(process_, nullptr, 0);
        }
    }

    pid_t Process() const { return process_; }

    // The exit status once the tool has ended (-1 when a signal ended it), or nothing if
    // it is still running after the given time.
    std::optional<int> Exit(double seconds) {
        Eventually(
            [&] {
                int status = 0;
                if (waitpid(process_, &status, WNOHANG) != process_) return false;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return true;
            },
            seconds);
        return status_;
    }

    // The status of an end by the tool's own path; a sanitizer's report at exit, which
    // would also end it with status 1, counts as a failure.
    std::optional<int> OrderlyExit(double seconds) {
        std::optional<int> status = Exit(seconds);
        EXPECT_EQ(ErrorOutput().find("Sanitizer"), std::string::npos) << ErrorOutput();
        return status;
    }

    std::string ErrorOutput() const {
        std::ifstream in(errorPath_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::string errorPath_;
    pid_t process_ = -1;
    std::optional<int> status_;
};

// Where the 640 x 480 frame stands on the screen and how large.
struct FramePlace {
    int left;
    int top;
    int scale;
};
// As the whole screen shows it: scaled by two, centred between black bands.
constexpr FramePlace kWholeScreen{0, kModeBand, kModeScale};

// The 640 x 480 frame inside a screenshot, taking one pixel of every scale x scale block,
// or nothing when the screen is not that frame at that place on black: a pixel around it
// that is not black, or a block whose pixels differ.
std::optional<std::vector<uint32_t>> FrameOnScreen(const RgbImage& screen, std::string* why,
                                                   FramePlace place = kWholeScreen) {
    auto fail = [&](const char* what, int x, int y) {
        *why =
            std::string(what) + " at screen (" + std::to_string(x) + "," + std::to_string(y) + ")";
        return std::nullopt;
    };
    const int right = place.left + kModeWidth * place.scale,
              bottom = place.top + kModeHeight * place.scale;
    if (place.left < 0 || place.top < 0 || right > screen.width || bottom > screen.height)
        return fail("the frame would not fit", place.left, place.top);
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x) {
            bool around = y < place.top || y >= bottom || x < place.left || x >= right;
            if (around && screen.At(x, y) != 0)
                return fail("a pixel around the frame is lit", x, y);
        }
    std::vector<uint32_t> frame(static_cast<size_t>(kModeWidth) * kModeHeight);
    for (int y = 0; y < kModeHeight; ++y)
        for (int x = 0; x < kModeWidth; ++x) {
            int sx = place.left + x * place.scale, sy = place.top + y * place.scale;
            uint32_t pixel = screen.At(sx, sy);
            for (int dy = 0; dy < place.scale; ++dy)
                for (int dx = 0; dx < place.scale; ++dx)
                    if (screen.At(sx + dx, sy + dy) != pixel)
                        return fail("a frame pixel is not a sharp block", sx, sy);
            frame[static_cast<size_t>(y) * kModeWidth + x] = pixel;
        }
    return frame;
}

bool Yellowish(uint32_t rgb) {
    return (rgb >> 16) >= 0xC0 && ((rgb >> 8) & 0xFF) >= 0xC0 && (rgb & 0xFF) < 0x40;
}
bool Whitish(uint32_t rgb) {
    return (rgb >> 16) >= 0xC0 && ((rgb >> 8) & 0xFF) >= 0xC0 && (rgb & 0xFF) >= 0xC0;
}

// Counts the row's pixels for which `test` holds.
template <typename Test>
int CountInRow(const std::vector<uint32_t>& frame, int row, Test test) {
    int count = 0;
    for (int y = row * kRowHeight; y < (row + 1) * kRowHeight; ++y)
        for (int x = 0; x < kModeWidth; ++x)
            count += test(frame[static_cast<size_t>(y) * kModeWidth + x]) ? 1 : 0;
    return count;
}

class RealWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(session_.Start(kXScreenWidth, kXScreenHeight)) << session_.Error();
    }

    // The frame on screen now.
    std::optional<std::vector<uint32_t>> FrameNow(std::string* why,
                                                  FramePlace place = kWholeScreen) const {
        std::optional<RgbImage> screen = session_.Screenshot();
        return screen ? FrameOnScreen(*screen, why, place) : std::nullopt;
    }

    // The tool's window, asked for once it shows the list: the window may be made anew
    // while the renderer is set up.
    XWindow ToolWindow(const WindowedTool& tool) {
        std::vector<XWindow> windows = session_.WindowsOf(tool.Process(), 20);
        EXPECT_EQ(windows.size(), 1u) << "the tool should show exactly one window";
        return windows.empty() ? 0 : windows[0];
    }

    // True once the tool has answered `reads` pings in a row: it has read its events that
    // many times since the last thing the test did to it.
    bool Answered(XWindow window, int reads) const {
        for (int i = 0; i < reads; ++i)
            if (!session_.Ping(window, 20)) return false;
        return true;
    }

    // True once the tool has ended the pass that read everything done to it so far and
    // presented the pass after, which draws what the first one chose: the frame on screen
    // then stays as it is until the next key.
    bool Settled(XWindow window) const { return Answered(window, kReadsToDrawnPass); }

    // The first frame of the list once the tool has drawn it (the window starts black) and
    // its window; the frame is the settled one.
    std::optional<std::vector<uint32_t>> ListOnScreen(const WindowedTool& tool, std::string* why,
                                                      XWindow* window = nullptr) {
        auto drawn = [](const std::optional<std::vector<uint32_t>>& frame) {
            return frame && std::find(frame->begin(), frame->end(), 0u) != frame->end() &&
                   std::find_if(frame->begin(), frame->end(),
                                [](uint32_t rgb) { return rgb != 0; }) != frame->end();
        };
        if (!Eventually([&] { return drawn(FrameNow(why)); })) return std::nullopt;
        XWindow shown = ToolWindow(tool);
        if (window) *window = shown;
        if (!shown || !Settled(shown)) {
            *why = "the tool's window does not answer pings";
            return std::nullopt;
        }
        return FrameNow(why);
    }

    // The tool's window once its list is on the screen and settled; 0, with the reason
    // reported as a failure, when it does not come.
    XWindow WindowShowingList(const WindowedTool& tool) {
        std::string why;
        XWindow window = 0;
        if (!ListOnScreen(tool, &why, &window)) {
            ADD_FAILURE() << why << "; " << tool.ErrorOutput();
            return 0;
        }
        return window;
    }

    // Holds a key until the tool has had a whole pass to see it, which it samples once per
    // pass, then lets it go and waits until the tool has drawn what the key did.
    bool Press(XWindow window, const std::string& key) {
        return session_.Run("xdotool keydown " + key) == 0 && Answered(window, kReadsPerPass) &&
               session_.Run("xdotool keyup " + key) == 0 && Settled(window);
    }

    XSession session_;
};

// The frame the headless tool shows after `downs` passes with Down held, as a viewer
// sees it; empty when the run fails.
std::vector<uint32_t> HeadlessFrame(int downs) {
    ScratchDirectory directory;
    std::string keys;
    for (int i = 0; i < downs; ++i) keys += "Down ";
    RunFontsheet(directory.Path(),
                 {{"VANTOR_KEYS", keys + "-"}, {"VANTOR_SCREENSHOT", directory.File("frame.bmp")}});
    BitmapImage frame = DecodeBitmap(ReadFileBytes(directory.File("frame.bmp")));
    return frame.error.empty() ? frame.rgb : std::vector<uint32_t>{};
}

// The sheet the headless tool writes after `downs` passes with Down held. Enter comes in
// the third pass or later, as in a window: the first pass records no fonts, and an Enter
// before that renders a font that was never listed.
std::vector<uint8_t> HeadlessSheet(int downs) {
    ScratchDirectory directory;
    std::string keys = "- - ";
    for (int i = 0; i < downs; ++i) keys += "Down ";
    RunFontsheet(directory.Path(), {{"VANTOR_KEYS", keys + "Return"}});
    return ReadFileBytes(directory.File("Font.bmp"));
}

TEST_F(RealWindowTest, ListIsShownSharpAndKeysChooseTheFontWhoseSheetIsWritten) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path());

    // The list as a person sees it: twice its size, centred on black, selected row yellow
    // on black at the top, the others black on white; the very frame a headless run shows.
    std::string why;
    XWindow window = 0;
    std::optional<std::vector<uint32_t>> shown = ListOnScreen(tool, &why, &window);
    ASSERT_TRUE(shown) << why << "; " << tool.ErrorOutput();
    EXPECT_GT(CountInRow(*shown, 0, Yellowish), 0) << "no yellow text in the selected row";
    EXPECT_EQ(CountInRow(*shown, 0, Whitish), 0) << "white background in the selected row";
    EXPECT_GT(CountInRow(*shown, 1, Whitish), 0) << "no white background in the second row";
    EXPECT_EQ(CountInRow(*shown, 1, Yellowish), 0) << "yellow text outside the selected row";
    EXPECT_TRUE(
        SameImage({kModeWidth, kModeHeight, *shown}, {kModeWidth, kModeHeight, HeadlessFrame(0)}))
        << "the window shows another list than the headless run";

    // The user switches to another window and back: nothing is fatal, and afterwards the
    // tool still answers keys and presents new frames.
    ASSERT_TRUE(session_.FocusOtherWindow());
    ASSERT_TRUE(Settled(window)) << "the tool stopped answering when it lost the focus: "
                                 << tool.ErrorOutput();
    ASSERT_FALSE(tool.Exit(0)) << "the tool ended when it lost the focus: " << tool.ErrorOutput();
    ASSERT_TRUE(session_.Focus(window));

    ASSERT_TRUE(Press(window, "Down")) << tool.ErrorOutput();
    std::optional<std::vector<uint32_t>> moved = FrameNow(&why);
    ASSERT_TRUE(moved) << why;
    ASSERT_NE(*moved, *shown) << "Down did not move the list";

    // How far the held key moved the selection: the headless run that shows the same list.
    int downs = 1;
    while (downs <= 60 && HeadlessFrame(downs) != *moved) ++downs;
    ASSERT_LE(downs, 60) << "no headless run shows the list the window shows";

    // Held until the tool ends on it.
    ASSERT_EQ(session_.Run("xdotool keydown Return"), 0);
    ASSERT_EQ(tool.OrderlyExit(30), 0) << tool.ErrorOutput();
    std::vector<uint8_t> sheet = ReadFileBytes(directory.File("Font.bmp"));
    ASSERT_FALSE(sheet.empty()) << "no Font.bmp";
    EXPECT_TRUE(sheet == HeadlessSheet(downs))
        << "Font.bmp differs from the headless run's after " << downs << " Down";
}

// Window lists and tools find the tool's window by the title and class it gave its window.
TEST_F(RealWindowTest, TheWindowBearsTheToolsNamesAndACloseRequestEndsTheTool) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path());
    const XWindow window = WindowShowingList(tool);
    ASSERT_NE(window, 0u);
    std::istringstream named(session_.Output("xdotool search --name '^Vantor Application$'"));
    EXPECT_EQ(std::vector<XWindow>(std::istream_iterator<XWindow>(named), {}),
              std::vector<XWindow>{window});
    std::string windowClass = session_.Output("xprop -id " + std::to_string(window) + " WM_CLASS");
    EXPECT_NE(windowClass.find("\"Vantor Window\""), std::string::npos) << windowClass;

    ASSERT_TRUE(session_.RequestClose(window));
    EXPECT_EQ(tool.OrderlyExit(30), 1)
        << "a close request should end the tool as Escape does; " << tool.ErrorOutput();
    EXPECT_FALSE(std::ifstream(directory.File("Font.bmp")).good());
}

TEST_F(RealWindowTest, TerminationSignalEndsTheToolByItsOwnPath) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path());
    ASSERT_NE(WindowShowingList(tool), 0u);

    kill(tool.Process(), SIGTERM);
    EXPECT_EQ(tool.OrderlyExit(30), 1)
        << "SIGTERM should end the tool as Escape does; " << tool.ErrorOutput();
}

TEST_F(RealWindowTest, AFatalErrorIsSaidInADialogOnTheGivenBackScreen) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path(), "CreateSurface");
    std::vector<XWindow> dialogs = session_.WindowsTitled("Error", 20);
    ASSERT_EQ(dialogs.size(), 1u) << "no dialog titled \"Error\"; " << tool.ErrorOutput();
    EXPECT_NE(tool.ErrorOutput().find("Error: Can't create drawing surface.\n"), std::string::npos)
        << tool.ErrorOutput();

    // The full-screen window is gone: the small dialog alone is lit on the desktop, and
    // it waits for the person.
    std::optional<RgbImage> screen = session_.Screenshot();
    ASSERT_TRUE(screen);
    int left = screen->width, right = -1, top = screen->height, bottom = -1;
    for (int y = 0; y < screen->height; ++y)
        for (int x = 0; x < screen->width; ++x) {
            if (screen->At(x, y) == 0) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    ASSERT_GE(right, 0) << "nothing is shown";
    EXPECT_LT(right - left, kXScreenWidth / 2) << "more than a dialog is lit";
    EXPECT_LT(bottom - top, kXScreenHeight / 2) << "more than a dialog is lit";
    // Drawn, the dialog is up and the tool is inside it, not past it.
    EXPECT_EQ(session_.WindowsTitled("Error", 0).size(), 1u) << "the dialog went unanswered";
    EXPECT_FALSE(tool.Exit(0)) << "the tool ended before its dialog was answered";

    ASSERT_TRUE(session_.Focus(dialogs[0]));
    ASSERT_EQ(session_.Run("xdotool key Return"), 0);
    EXPECT_EQ(tool.OrderlyExit(30), 1) << tool.ErrorOutput();
}

// ---- Nothing to wait for: a display that goes away, a dialog that cannot be shown --------

constexpr char kLossLine[] = "the display was lost";

// How long the tool may take to end once its display is gone. Built with AddressSanitizer
// it does the same work several times slower, and its dialog forks a far larger process.
#ifdef __SANITIZE_ADDRESS__
constexpr double kLossSeconds = 10;
#else
constexpr double kLossSeconds = 2;
#endif

size_t Occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// The process ids whose parent is this program, each with its command line.
std::vector<std::pair<pid_t, std::string>> ChildProcesses() {
    std::vector<std::pair<pid_t, std::string>> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t parent = 0;
        if (!(fields >> state >> parent) || parent != getpid()) continue;
        std::ifstream commandLine(entry.path() / "cmdline");
        std::string command;
        std::getline(commandLine, command, '\0');
        children.emplace_back(std::stoi(entry.path().filename().string()), command);
    }
    return children;
}

// The tool must end by itself when nothing is left to wait for, and take every process it
// started with it (a dialog's, say). Processes orphaned below this program become its own
// children, so that the clean-up sees each one end.
class EndWithoutWaitingTest : public RealWindowTest {
protected:
    void SetUp() override {
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        RealWindowTest::SetUp();
    }

    void TearDown() override {
        session_.Stop();
        bool noneLeft = Eventually(
            [] {
                while (waitpid(-1, nullptr, WNOHANG) > 0) {}
                return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
            },
            2);
        if (noneLeft) return;
        for (const auto& [process, command] : ChildProcesses()) {
            ADD_FAILURE() << "process " << process << " (" << command << ") is still running";
            kill(process, SIGKILL);
            waitpid(process, nullptr, 0);
        }
    }

    // Losing the display ends the tool at once, with status 1 and one line saying why.
    static void ExpectEndOnLoss(WindowedTool& tool) {
        EXPECT_EQ(tool.OrderlyExit(kLossSeconds), 1)
            << "the tool did not end on losing its display; " << tool.ErrorOutput();
        EXPECT_EQ(Occurrences(tool.ErrorOutput(), kLossLine), 1u) << tool.ErrorOutput();
    }
};

TEST_F(EndWithoutWaitingTest, TheToolEndsWhenItsXServerGoesAway) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path());
    ASSERT_NE(WindowShowingList(tool), 0u);

    session_.Stop();
    ExpectEndOnLoss(tool);
}

TEST_F(EndWithoutWaitingTest, TheToolEndsWhenItsXServerGoesAwayRightAfterATerminationSignal) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path());
    ASSERT_NE(WindowShowingList(tool), 0u);

    // Held still meanwhile, the tool meets the signal and the dead connection together:
    // its orderly end gives the screen back to a server that is no longer there.
    ASSERT_EQ(kill(tool.Process(), SIGSTOP), 0);
    kill(tool.Process(), SIGTERM);
    session_.Stop();
    kill(tool.Process(), SIGCONT);
    ExpectEndOnLoss(tool);
}

TEST_F(EndWithoutWaitingTest, TheToolEndsWhenItsXServerGoesAwayUnderItsErrorDialog) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path(), "CreateSurface");
    ASSERT_EQ(session_.WindowsTitled("Error", 20).size(), 1u)
        << "no dialog titled \"Error\"; " << tool.ErrorOutput();

    session_.Stop();
    ExpectEndOnLoss(tool);
    EXPECT_NE(tool.ErrorOutput().find("Error: Can't create drawing surface.\n"), std::string::npos);
}

// The server goes away just after Enter: whichever moment the tool meets the loss, Font.bmp
// is the whole sheet or is not there, and no part of it is left beside it.
TEST_F(EndWithoutWaitingTest, ASheetWrittenAsTheDisplayGoesIsWholeOrAbsent) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path());
    const XWindow window = WindowShowingList(tool);
    ASSERT_NE(window, 0u);

    // Stopped once the tool has read the key: it is starting on the sheet, or has written
    // it and closed its window.
    ASSERT_EQ(session_.Run("xdotool keydown Return"), 0);
    session_.Ping(window, 20);
    session_.Stop();
    ASSERT_TRUE(tool.OrderlyExit(60)) << tool.ErrorOutput();
    std::vector<uint8_t> sheet = ReadFileBytes(directory.File("Font.bmp"));
    EXPECT_TRUE(sheet.empty() || sheet == HeadlessSheet(0)) << "Font.bmp is not the whole sheet";
    for (const auto& entry : std::filesystem::directory_iterator(directory.Path())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "Font.bmp" || name == "stderr.txt")
            << name << " was left in the directory";
    }
}

// The dialog draws its text with the server's fonts; a server without them cannot show it.
// The error is then said on standard error alone, and the tool ends as after the dialog.
TEST_F(EndWithoutWaitingTest, AnErrorNoDialogCanShowIsSaidOnStandardErrorAndTheToolEnds) {
    // Where SDL's own dialog fails, SDL asks zenity, which draws its own text.
    if (session_.Run("command -v zenity >/dev/null") == 0)
        GTEST_SKIP() << "zenity would show the dialog";
    ASSERT_TRUE(session_.KeepOnlyBuiltInFonts());
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path(), "CreateSurface");

    EXPECT_EQ(tool.OrderlyExit(20), 1)
        << "the tool waits for a dialog that cannot be shown; " << tool.ErrorOutput();
    EXPECT_NE(tool.ErrorOutput().find("Error: Can't create drawing surface.\n"), std::string::npos)
        << tool.ErrorOutput();
    EXPECT_EQ(Occurrences(tool.ErrorOutput(), kLossLine), 0u) << tool.ErrorOutput();
}

TEST_F(RealWindowTest, InADesktopWindowTheListIsScaledByWholeMultiplesAndAltEnterTakesTheScreen) {
    ScratchDirectory directory;
    WindowedTool tool(session_, directory.Path(), nullptr, "window");
    const std::vector<uint32_t> list = HeadlessFrame(0);

    // A window of the mode's size in the middle of the screen, the rest of it left alone.
    const FramePlace centred{(kXScreenWidth - kModeWidth) / 2, (kXScreenHeight - kModeHeight) / 2,
                             1};
    std::string why;
    ASSERT_TRUE(Eventually([&] { return FrameNow(&why, centred) == list; }))
        << why << "; " << tool.ErrorOutput();
    XWindow window = ToolWindow(tool);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(session_.Focus(window));

    // Sized by the person: the largest whole multiple that fits, centred, sharp.
    const std::string id = std::to_string(window);
    ASSERT_EQ(session_.Run("xdotool windowmove " + id + " 0 0 windowsize " + id + " 1280 1000"), 0);
    const FramePlace doubled{0, (1000 - 2 * kModeHeight) / 2, 2};
    EXPECT_TRUE(Eventually([&] { return FrameNow(&why, doubled) == list; })) << why;

    // Alt+Enter takes the whole screen and gives it back; the program never sees its Return.
    ASSERT_EQ(session_.Run("xdotool key alt+Return"), 0);
    EXPECT_TRUE(Eventually([&] { return FrameNow(&why) == list; }))
        << "not on the whole screen: " << why;
    ASSERT_EQ(session_.Run("xdotool key alt+Return"), 0);
    EXPECT_TRUE(Eventually([&] {
        return session_.Run("xdotool getwindowgeometry " + id +
                            " | grep -q 'Geometry: 1280x1000'") == 0;
    })) << "the window did not come back at its size";
    // Centred at that size, the doubled frame stands where the whole screen shows it.
    EXPECT_TRUE(Eventually([&] { return FrameNow(&why) == list; }))
        << "not back in the window: " << why;
    ASSERT_TRUE(Settled(window)) << tool.ErrorOutput();
    ASSERT_FALSE(tool.Exit(0)) << "Alt+Enter reached the tool as Enter";

    // Down and Enter work as on the whole screen.
    ASSERT_TRUE(Press(window, "Down")) << tool.ErrorOutput();
    EXPECT_NE(FrameNow(&why), list) << "Down did not move the list; " << why;
    ASSERT_EQ(session_.Run("xdotool keydown Return"), 0);
    EXPECT_EQ(tool.OrderlyExit(60), 0) << tool.ErrorOutput();
    EXPECT_TRUE(std::ifstream(directory.File("Font.bmp")).good());
}

}  // namespace
}  // namespace vantor::testing
