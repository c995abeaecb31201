// The framework demo: each scene's frame read back from its screenshot and held to what
// the operations must produce (the blended square, the trail's mixed frame, the 8-bit
// checkerboard), and a run on an X server full screen and in a window.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "support/bitmap_reader.h"
#include "support/fontsheet_runner.h"
#include "support/reference_blends.h"
#include "support/x_session.h"

namespace vantor::testing {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kBelowLegend = 48;  // the two lines of keys and state end above this row
constexpr int kSquareX = 240, kSquareY = 160, kSquareSide = 160;
constexpr int kBalls = 336;  // the balls run below this row

// 5-6-5 and the 0x00RRGGBB a viewer sees of it: each channel at the top of its byte and
// repeated below.
uint32_t Packed565(uint32_t rgb) {
    return (rgb >> 19 & 31) << 11 | (rgb >> 10 & 63) << 5 | (rgb >> 3 & 31);
}
uint32_t Shown565(uint32_t value) {
    const uint32_t red = value >> 11 & 31, green = value >> 5 & 63, blue = value & 31;
    return (red << 3 | red >> 2) << 16 | (green << 2 | green >> 4) << 8 | (blue << 3 | blue >> 2);
}

// The last frame of a headless run with the given key script and command-line argument.
BitmapImage DemoFrame(const std::string& keys, const char* argument = nullptr) {
    ScratchDirectory directory;
    FontsheetRun run =
        RunDemo(argument, directory.Path(),
                {{"VANTOR_KEYS", keys}, {"VANTOR_SCREENSHOT", directory.File("frame.bmp")}});
    EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
    BitmapImage frame = DecodeBitmap(ReadFileBytes(directory.File("frame.bmp")));
    EXPECT_EQ(frame.error, "");
    EXPECT_EQ(frame.width, kWidth);
    EXPECT_EQ(frame.height, kHeight);
    return frame;
}

// Pixels below the legend where `shown` differs from `expected(x, y)`.
template <typename Expected>
int Mismatches(const BitmapImage& shown, Expected expected, std::string* first) {
    int wrong = 0;
    for (int y = kBelowLegend; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (shown.At(x, y) != expected(x, y) && wrong++ == 0)
                *first = "(" + std::to_string(x) + "," + std::to_string(y) + ") is " +
                         std::to_string(shown.At(x, y)) + ", expected " +
                         std::to_string(expected(x, y));
    return wrong;
}

bool InSquare(int x, int y) {
    return x >= kSquareX && x < kSquareX + kSquareSide && y >= kSquareY &&
           y < kSquareY + kSquareSide;
}

TEST(Demo, TheBlendedSquareIsTheMeanOfItsColourAndTheBackdrop) {
    const BitmapImage plain = DemoFrame("- -");  // the same frame without the square
    const BitmapImage blended = DemoFrame("2 -");
    ASSERT_FALSE(plain.rgb.empty() || blended.rgb.empty());
    // The blend's reference drawn over the plain frame: a red square at the square's place.
    PackedImage expected(kWidth, kHeight, 2), square(kSquareSide, kSquareSide, 2);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) expected.SetPixel(y, x, Packed565(plain.At(x, y)));
    for (int y = 0; y < kSquareSide; ++y)
        for (int x = 0; x < kSquareSide; ++x) square.SetPixel(y, x, 0xF800);
    ReferenceDrawBlended(expected, square,
                         ReferenceDraw{{0, 0, kWidth, kHeight}, kSquareX, kSquareY, -1, 16, 6});
    std::string first;
    EXPECT_EQ(Mismatches(
                  blended, [&](int x, int y) { return Shown565(expected.Pixel(y, x)); }, &first),
              0)
        << first;
    EXPECT_NE(blended.At(kSquareX + 8, kSquareY + 8), plain.At(kSquareX + 8, kSquareY + 8))
        << "nothing blended";
}

TEST(Demo, TheTrailMixesTheEarlierFramesIntoTheShownOne) {
    // Three frames of the moving picture as drawn, then the one shown with a trail of three
    // switched on before the first: the newest earlier frame mixed in first, the oldest last.
    const BitmapImage frames[] = {DemoFrame("- -"), DemoFrame("- - -"), DemoFrame("- - - -")};
    const BitmapImage trailed = DemoFrame("T - - -");
    ASSERT_FALSE(trailed.rgb.empty());
    std::string first;
    EXPECT_EQ(Mismatches(
                  trailed,
                  [&](int x, int y) {
                      const uint32_t oldest = Packed565(frames[0].At(x, y));
                      const uint32_t earlier = Packed565(frames[1].At(x, y));
                      const uint32_t current = Packed565(frames[2].At(x, y));
                      const uint32_t once =
                          ReferenceMix(BlendForm::Rgb565, earlier, current, current);
                      return Shown565(ReferenceMix(BlendForm::Rgb565, oldest, once, once));
                  },
                  &first),
              0)
        << first;
    EXPECT_NE(trailed.rgb, frames[2].rgb) << "the picture did not move, so the trail shows nothing";
}

TEST(Demo, TheCheckerboardInThePaletteModeDrawsEverySecondPixel) {
    const BitmapImage plain = DemoFrame("- -");
    const BitmapImage checkered = DemoFrame("3 -");
    ASSERT_FALSE(checkered.rgb.empty());
    // Every drawn pixel is the square's one colour, a red of the palette; the others show
    // the backdrop, in the palette's nearest colours: the same on each side of the halves.
    const uint32_t drawn = checkered.At(kSquareX, kSquareY);
    EXPECT_GE(drawn >> 16, 0xC0u);
    EXPECT_EQ(drawn & 0xFFFF, 0u);
    std::string first;
    EXPECT_EQ(Mismatches(
                  checkered,
                  [&](int x, int y) {
                      if (y >= kBalls)
                          return checkered.At(x, y);  // the moving balls are not the point here
                      if (InSquare(x, y) && (x - kSquareX + y - kSquareY) % 2 == 0) return drawn;
                      // The backdrop's colour on this side, read beside the square.
                      return checkered.At(x < kWidth / 2 ? 8 : kWidth - 8,
                                          y < kSquareY + kSquareSide ? kSquareY : y);
                  },
                  &first),
              0)
        << first;
    EXPECT_NE(checkered.At(8, kSquareY), plain.At(8, kSquareY)) << "not shown in the palette mode";
}

// --help and --version print on standard output and end the demo at once with 0, before it
// shows anything; any other word is a usage error, said on standard error, with status 2.
TEST(Demo, HelpAndVersionEndAtOnceAndAnUnknownArgumentIsAUsageError) {
    const std::map<std::string, std::string> expected = {
        {"--help", "Usage: vantor_demo [-window]\n"},
        {"--version", "vantor_demo "},
        {"--windows 2", ""}};  // one argument, quoted on the line the demo is handed
    for (const auto& [argument, start] : expected) {
        SCOPED_TRACE(argument);
        ScratchDirectory directory;
        const std::string frame = directory.File("frame.bmp");
        FontsheetRun run = RunDemo(argument.c_str(), directory.Path(),
                                   {{"VANTOR_KEYS", "- -"}, {"VANTOR_SCREENSHOT", frame}});
        const bool usageError = argument == "--windows 2";
        EXPECT_EQ(run.exitStatus, usageError ? 2 : 0);
        EXPECT_EQ(run.output.rfind(start, 0), 0u) << run.output;
        EXPECT_EQ(run.output.empty(), usageError) << run.output;
        EXPECT_EQ(run.errorOutput.find("'--windows 2'") != std::string::npos, usageError)
            << run.errorOutput;
        EXPECT_TRUE(ReadFileBytes(frame).empty()) << "the demo showed a frame";
    }
}

TEST(Demo, RunsOnAnXServerFullScreenAndInAWindow) {
    XSession session;
    ASSERT_TRUE(session.Start(kXScreenWidth, kXScreenHeight)) << session.Error();
    for (const char* argument : {static_cast<const char*>(nullptr), "-window"}) {
        SCOPED_TRACE(argument ? argument : "full screen");
        ScratchDirectory directory;
        FontsheetRun run = RunDemo(argument, directory.Path(),
                                   {{"VANTOR_VIDEO", "sdl"},
                                    {"DISPLAY", session.Display()},
                                    {"VANTOR_KEYS", "- 2 T - 3 - 1 T -"},
                                    {"VANTOR_SCREENSHOT", directory.File("frame.bmp")}});
        EXPECT_EQ(run.exitStatus, 0) << run.errorOutput;
        EXPECT_EQ(run.errorOutput.find("Sanitizer"), std::string::npos) << run.errorOutput;
        BitmapImage frame = DecodeBitmap(ReadFileBytes(directory.File("frame.bmp")));
        EXPECT_EQ(frame.width, kWidth) << frame.error;
        EXPECT_EQ(frame.height, kHeight);
    }
}

}  // namespace
}  // namespace vantor::testing
