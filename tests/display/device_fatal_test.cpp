// Fatal errors: every failing start-up step and both failing flips end the process with
// exit status 1 after the display was given back, the cursor shown and every DirectDraw
// object released, with the step's message in a box titled "Error" owned by the window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "support/device_fixture.h"
#include "support/fontsheet_runner.h"
#include "testing.h"

namespace {

namespace hooks = vantor::testing;
using hooks::kScreenHeight;
using hooks::kScreenWidth;
using ::testing::AllOf;
using ::testing::HasSubstr;

class FatalErrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        hooks::Reset();
    }
    void TearDown() override { hooks::Reset(); }
};

// Runs inside the death test's child: the process's static device takes the display the
// way the tool does, then `then` runs on it. Faults are armed by the caller beforehand.
template <typename Then>
void StartProcessDevice(int32_t bits, Then&& then) {
    hooks::ReportStateAtExit();
    DisplayDevice& device = hooks::ProcessDevice();
    HWND window =
        device.CreateAppWindow(nullptr, "Vantor Application", kScreenWidth, kScreenHeight);
    hooks::SetReportedWindow(window);
    device.Initialize(window, kScreenWidth, kScreenHeight, bits, 1);
    then(device);
    std::exit(0);
}

struct StartFailure {
    const char* operation;
    int nth;
    int32_t bits;
    const char* message;
};

void PrintTo(const StartFailure& failure, std::ostream* out) {
    *out << failure.operation << " call " << failure.nth << " at " << failure.bits << " bits";
}

const StartFailure kStartFailures[] = {
    {"DirectDrawCreate", 1, 16, "Can't Create a DirectDraw Object."},
    {"QueryInterface", 1, 16, "Can't Retrieve the DirectDraw2 object"},
    {"SetCooperativeLevel", 1, 16, "Can't get control of the screen."},
    {"SetDisplayMode", 1, 16, "Can't Set Display Mode."},
    {"CreateSurface", 1, 16, "Can't create drawing surface."},
    {"GetAttachedSurface", 1, 16, "Can't get the back buffer."},
    {"CreateSurface", 2, 16, "Can't create the offscreen surface."},
    {"CreatePalette", 1, 8, "Failed in Creating a palette"},
    {"SetPalette", 1, 8, "Failed in Setting the palette."},
    {"GetPixelFormat", 1, 16, "Failed to get the pixel format."},
};

class StartFailureTest : public FatalErrorTest,
                         public ::testing::WithParamInterface<StartFailure> {};

TEST_P(StartFailureTest, EndsTheProcessWithTheStepsMessageAndNothingLeftBehind) {
    const StartFailure& failure = GetParam();
    EXPECT_EXIT(
        {
            hooks::FailCall(failure.operation, failure.nth);
            StartProcessDevice(failure.bits, [](DisplayDevice&) {});
        },
        ::testing::ExitedWithCode(1),
        AllOf(HasSubstr(std::string("Error: ") + failure.message + "\n"),
              HasSubstr(hooks::CleanExitReport(failure.message, true))));
}

INSTANTIATE_TEST_SUITE_P(EveryStep, StartFailureTest, ::testing::ValuesIn(kStartFailures),
                         [](const auto& info) {
                             return std::string(info.param.operation) +
                                    std::to_string(info.param.nth);
                         });

TEST_F(FatalErrorTest, AFlipFailingForAnotherReasonThanLossEndsTheProcess) {
    EXPECT_EXIT(StartProcessDevice(16,
                                   [](DisplayDevice& device) {
                                       hooks::FailCall("Flip", 1, DDERR_GENERIC);
                                       device.Present(1);
                                   }),
                ::testing::ExitedWithCode(1),
                HasSubstr(hooks::CleanExitReport("Can't Flip the surfaces", true)));
}

TEST_F(FatalErrorTest, AFlipFailingAgainAfterARestoreEndsTheProcess) {
    EXPECT_EXIT(StartProcessDevice(16,
                                   [](DisplayDevice& device) {
                                       hooks::FailCallsFrom("Flip", 1, DDERR_SURFACELOST);
                                       device.Present(1);
                                   }),
                ::testing::ExitedWithCode(1),
                HasSubstr(hooks::CleanExitReport("Can't Flip the surfaces after Restoring", true)));
}

TEST_F(FatalErrorTest, BeforeAnyStartTheBoxHasNoOwner) {
    EXPECT_EXIT(
        {
            hooks::ReportStateAtExit();
            hooks::ProcessDevice().FatalError("Something went wrong.");
        },
        ::testing::ExitedWithCode(1),
        HasSubstr(hooks::CleanExitReport("Something went wrong.", false)));
}

TEST_F(FatalErrorTest, ABoxOwnedByAWindowThatIsGoneIsShownWithoutOwner) {
    EXPECT_EXIT(StartProcessDevice(16,
                                   [](DisplayDevice& device) {
                                       device.Shutdown();
                                       DestroyWindow(device.windowHandle);
                                       device.FatalError("Late failure.");
                                   }),
                ::testing::ExitedWithCode(1),
                HasSubstr(hooks::CleanExitReport("Late failure.", false)));
}

TEST_F(FatalErrorTest, AProgramEndingWhileStartedGetsTheDesktopBackAtExit) {
    EXPECT_EXIT(
        StartProcessDevice(16, [](DisplayDevice&) { std::exit(1); }), ::testing::ExitedWithCode(1),
        HasSubstr(
            "at exit: box \"\" caption \"\" owner none type 0x0; mode 0x0x0; cursor +0; live 0"));
}

// The same, black-box: the built tool (a 16-bit display) with a fault from its environment.
TEST_F(FatalErrorTest, TheToolReportsEveryFailedStartStepAndExitsWithOne) {
    for (const StartFailure& failure : kStartFailures) {
        if (failure.bits != 16) continue;
        const std::string nth = std::to_string(failure.nth);
        const hooks::ScratchDirectory directory;
        const hooks::FontsheetRun run = hooks::RunFontsheet(
            directory.Path(), {{"VANTOR_FAIL", std::string(failure.operation) + ":" + nth}});
        EXPECT_EQ(run.exitStatus, 1) << failure.operation;
        EXPECT_NE(run.errorOutput.find(std::string("Error: ") + failure.message + "\n"),
                  std::string::npos)
            << run.errorOutput;
    }
}

TEST_F(FatalErrorTest, TheToolReportsBothFailedFlipsAndExitsWithOne) {
    const std::pair<const char*, const char*> flips[] = {
        {"Flip=0x80004005", "Can't Flip the surfaces"},
        {"Flip,Flip:2", "Can't Flip the surfaces after Restoring"}};  // lost twice in a row
    for (const auto& [fault, message] : flips) {
        const hooks::ScratchDirectory directory;
        const hooks::FontsheetRun run = hooks::RunFontsheet(
            directory.Path(), {{"VANTOR_KEYS", "- - - Escape"}, {"VANTOR_FAIL", fault}});
        EXPECT_EQ(run.exitStatus, 1) << fault;
        EXPECT_NE(run.errorOutput.find(std::string("Error: ") + message + "\n"), std::string::npos)
            << run.errorOutput;
    }
}

}  // namespace
