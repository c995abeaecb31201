// The platform's VANTOR_* settings: what good values turn into, and that every bad value
// is named on standard error and stops the program with status 2 before it starts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include "environment.h"
#include "support/fontsheet_runner.h"
#include "testing.h"

namespace {

using vantor::platform::CurrentEnvironment;
using vantor::platform::ReadEnvironment;

const char* const kVariables[] = {"VANTOR_VIDEO", "VANTOR_KEYS", "VANTOR_SCREENSHOT", "VANTOR_FAIL",
                                  "VANTOR_CPU"};

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
        {"VANTOR_FAIL", "Flip,Fliip:2"},
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

// An operation name the platform does not have would arm a fault that never fires, and a
// black-box test relying on it would pass without testing anything.
TEST_F(EnvironmentTest, ProgramWithABadValueExitsWithStatusTwoBeforeStarting) {
    const std::pair<const char*, const char*> bad[] = {{"VANTOR_VIDEO", "bogus"},
                                                       {"VANTOR_FAIL", "NoSuchOperation"}};
    for (const auto& [name, value] : bad) {
        SCOPED_TRACE(std::string(name) + "=" + value);
        vantor::testing::FontsheetRun run = vantor::testing::RunFontsheet(
            scratch.Path(), {{name, value}, {"VANTOR_KEYS", "Return"}});
        EXPECT_EQ(run.exitStatus, 2);
        EXPECT_EQ(run.errorOutput.rfind(std::string(name) + ": ", 0), 0u) << run.errorOutput;
        EXPECT_NE(run.errorOutput.find(value), std::string::npos) << run.errorOutput;
        EXPECT_EQ(std::count(run.errorOutput.begin(), run.errorOutput.end(), '\n'), 1)
            << run.errorOutput;
        std::ifstream written(scratch.File("Font.bmp"));
        EXPECT_FALSE(written.good());
    }
}

// Every operation of the platform, as its sources begin it, can be named in a fault list.
TEST_F(EnvironmentTest, EveryPlatformOperationCanBeFailed) {
    const std::regex begun("BeginCall\\(\"(\\w+)\"");
    int operations = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(VANTOR_SOURCE_DIR "/platform")) {
        if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
        std::ifstream source(entry.path());
        const std::string text((std::istreambuf_iterator<char>(source)),
                               std::istreambuf_iterator<char>());
        for (std::sregex_iterator found(text.begin(), text.end(), begun), end; found != end;
             ++found) {
            const std::string operation = (*found)[1];
            setenv("VANTOR_FAIL", operation.c_str(), 1);
            EXPECT_EQ(Read(true), "") << operation << " (" << entry.path().filename().string()
                                      << ") is missing from the known operations in call_trace.cpp";
            ++operations;
        }
    }
    EXPECT_GT(operations, 50);
}

}  // namespace
