// The platform's VANTOR_* settings: what good values turn into, and that every bad value
// is named on standard error and stops the program with status 2 before it starts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "environment.h"
#include "support/fontsheet_runner.h"
#include "testing.h"

namespace {

using vantor::platform::CurrentEnvironment;
using vantor::platform::ReadEnvironment;

const char* const kVariables[] = {"VANTOR_VIDEO", "VANTOR_KEYS", "VANTOR_SCREENSHOT", "VANTOR_FAIL", "VANTOR_CPU"};

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kVariables)
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
        Clear();
        vantor::testing::Reset();
    }
    void TearDown() override {
        Clear();
        for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
        ReadEnvironment();
        vantor::testing::Reset();
    }

    static void Clear() {
        for (const char* name : kVariables) unsetenv(name);
    }

    // Reads the variables; returns what was printed on standard error.
    static std::string Read(bool expectAccepted) {
        ::testing::internal::CaptureStderr();
        bool accepted = ReadEnvironment();
        std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(accepted, expectAccepted) << printed;
        return printed;
    }

    vantor::testing::ScratchDirectory scratch;

private:
    std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(EnvironmentTest, GoodValuesAreTakenAsMeant) {
    setenv("VANTOR_VIDEO", "Headless", 1);
    setenv("VANTOR_KEYS", "  up+Down\t-\nReturn+a+7 ", 1);
    setenv("VANTOR_SCREENSHOT", scratch.File("shot.bmp").c_str(), 1);
    EXPECT_EQ(Read(true), "");

    const auto& environment = CurrentEnvironment();
    EXPECT_EQ(environment.video, "headless");
    EXPECT_TRUE(environment.keysScripted);
    std::vector<std::vector<int>> steps = {{VK_UP, VK_DOWN}, {}, {VK_RETURN, 'A', '7'}};
    EXPECT_EQ(environment.keySteps, steps);
    EXPECT_EQ(environment.screenshotPath, scratch.File("shot.bmp"));
}

TEST_F(EnvironmentTest, FaultListIsArmed) {
    setenv("VANTOR_FAIL", "PeekMessageA:2", 1);
    Read(true);
    MSG message;
    PostQuitMessage(0);
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(EnvironmentTest, EveryBadValueIsNamed) {
    std::ofstream(scratch.File("file")) << "x";
    const std::pair<const char*, std::string> bad[] = {
        {"VANTOR_VIDEO", "x11"},
        {"VANTOR_KEYS", "Up+"},
        {"VANTOR_KEYS", "Up Shift"},
        {"VANTOR_KEYS", "Up+-"},
        {"VANTOR_KEYS", " \t "},
        {"VANTOR_SCREENSHOT", scratch.File("missing/shot.bmp")},
        {"VANTOR_SCREENSHOT", scratch.File("file/shot.bmp")},
        {"VANTOR_SCREENSHOT", scratch.Path()},
        {"VANTOR_FAIL", "Flip:0"},
        {"VANTOR_FAIL", "Flip,"},
        {"VANTOR_FAIL", "Flip=banana"},
        {"VANTOR_CPU", "avx2"},
    };
    for (const auto& [name, value] : bad) {
        SCOPED_TRACE(std::string(name) + "=" + value);
        Clear();
        setenv(name, value.c_str(), 1);
        std::string printed = Read(false);
        EXPECT_EQ(printed.rfind(std::string(name) + ": ", 0), 0u) << printed;
    }
}

TEST_F(EnvironmentTest, BadValueDoesNotInstallTheRest) {
    setenv("VANTOR_KEYS", "Up", 1);
    setenv("VANTOR_VIDEO", "nonsense", 1);
    Read(false);
    vantor::testing::SetKey(VK_DOWN, true);
    EXPECT_TRUE(GetAsyncKeyState(VK_DOWN) & 0x8000);  // still the real keyboard
}

TEST_F(EnvironmentTest, ProgramWithABadValueExitsWithStatusTwoBeforeStarting) {
    vantor::testing::FontsheetRun run =
        vantor::testing::RunFontsheet(scratch.Path(), {{"VANTOR_VIDEO", "bogus"}, {"VANTOR_KEYS", "Return"}});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.errorOutput.rfind("VANTOR_VIDEO: ", 0), 0u) << run.errorOutput;
    EXPECT_EQ(run.errorOutput.find("Error:"), std::string::npos) << run.errorOutput;
    std::ifstream written(scratch.File("Font.bmp"));
    EXPECT_FALSE(written.good());
}

}  // namespace
