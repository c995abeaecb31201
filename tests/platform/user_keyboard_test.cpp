// Key state as GetAsyncKeyState reads it (live, scripted, or held Escape after a request
// to end), and what the cursor and message boxes tell the presenter.
#include <gtest/gtest.h>

#include <csignal>

#include "modules.h"
#include "present/orderly_end.h"
#include "present/presenter.h"
#include "testing.h"
#include "user/user_state.h"

namespace {

namespace platform = vantor::platform;

bool Down(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

void Pump() {
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
}

// A screen that answers as a test sets it and remembers what it was asked to do.
struct PresenterLog {
    bool dialogsPossible = false;
    std::vector<bool> cursorVisible;
    std::vector<std::string> dialogs;
};

class ScriptedScreen final : public platform::Presenter {
public:
    explicit ScriptedScreen(PresenterLog* log) : log_(log) {}
    const char* Name() const override { return "scripted"; }
    bool SetMode(int, int, int) override { return true; }
    void RestoreDesktop() override {}
    void Show(const platform::PixelView&, bool) override {}
    bool PollEvent(platform::PresenterEvent*) override { return false; }
    void SetCursorVisible(bool visible) override { log_->cursorVisible.push_back(visible); }
    bool CanShowDialogs() const override { return log_->dialogsPossible; }
    void ShowDialog(const char* caption, const char* text) override {
        log_->dialogs.push_back(std::string(caption) + ": " + text);
    }

private:
    PresenterLog* log_;
};

class UserKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        vantor::testing::Reset();
        platform::UsePresenter(std::make_unique<ScriptedScreen>(&log));
    }
    void TearDown() override { vantor::testing::Reset(); }

    PresenterLog log;
};

TEST_F(UserKeyboardTest, KeyStateIsLiveWithoutPumping) {
    EXPECT_FALSE(Down(VK_UP));
    vantor::testing::SetKey(VK_UP, true);
    EXPECT_TRUE(Down(VK_UP));
    EXPECT_EQ(static_cast<uint16_t>(GetAsyncKeyState(VK_UP)), 0x8000u);
    vantor::testing::SetKey(VK_UP, false);
    EXPECT_FALSE(Down(VK_UP));
    EXPECT_EQ(GetAsyncKeyState(-1), 0);
    EXPECT_EQ(GetAsyncKeyState(100000), 0);
}

TEST_F(UserKeyboardTest, ScriptHoldsOneStepPerPumpThenEscape) {
    platform::InstallKeyScript({{}, {VK_UP}, {VK_DOWN, VK_RETURN}});
    vantor::testing::SetKey(VK_RETURN, true);  // the real keyboard is replaced
    EXPECT_FALSE(Down(VK_RETURN));
    EXPECT_FALSE(Down(VK_ESCAPE));  // nothing before the first pump

    Pump();
    EXPECT_FALSE(Down(VK_UP));
    EXPECT_FALSE(Down(VK_ESCAPE));
    Pump();
    EXPECT_TRUE(Down(VK_UP));
    EXPECT_TRUE(Down(VK_UP));  // reading does not advance the script
    Pump();
    EXPECT_FALSE(Down(VK_UP));
    EXPECT_TRUE(Down(VK_DOWN));
    EXPECT_TRUE(Down(VK_RETURN));
    EXPECT_FALSE(Down(VK_ESCAPE));
    Pump();
    EXPECT_TRUE(Down(VK_ESCAPE));
    EXPECT_FALSE(Down(VK_DOWN));
    Pump();
    EXPECT_TRUE(Down(VK_ESCAPE));
}

TEST_F(UserKeyboardTest, CloseRequestHoldsEscape) {
    vantor::testing::SendCloseRequest();
    EXPECT_TRUE(Down(VK_ESCAPE));
    vantor::testing::SetKey(VK_ESCAPE, false);
    EXPECT_TRUE(Down(VK_ESCAPE));
    vantor::testing::Reset();
    EXPECT_FALSE(Down(VK_ESCAPE));
}

// In a child process, so that this program keeps the usual signal handling.
TEST_F(UserKeyboardTest, FirstInterruptHoldsEscapeSecondEndsTheProcess) {
    auto interruptTwice = [] {
        platform::InstallInterruptHandlers();
        std::raise(SIGTERM);
        if (!Down(VK_ESCAPE)) std::exit(3);
        std::raise(SIGINT);
        std::exit(4);
    };
    EXPECT_EXIT(interruptTwice(), ::testing::KilledBySignal(SIGINT), "");
}

TEST_F(UserKeyboardTest, CursorCounterFollowsWindowsAndTellsThePresenter) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(vantor::testing::CursorCounter(), 0);
    EXPECT_EQ(log.cursorVisible, (std::vector<bool>{false, false, false, true}));
}

TEST_F(UserKeyboardTest, MessageBoxPrintsRecordsAndShowsOnlyWhenSeen) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Can't Set Display Mode.", "Error", MB_ICONWARNING), IDOK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Error: Can't Set Display Mode.\n");
    auto box = vantor::testing::LastMessageBox();
    ASSERT_TRUE(box.has_value());
    EXPECT_EQ(box->owner, nullptr);
    EXPECT_EQ(box->text, "Can't Set Display Mode.");
    EXPECT_EQ(box->caption, "Error");
    EXPECT_EQ(box->type, MB_ICONWARNING);
    EXPECT_TRUE(log.dialogs.empty());  // nobody could see it

    log.dialogsPossible = true;
    PostQuitMessage(0);  // a pending quit does not close the box unseen
    ::testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "Failed to Initialize Vantor", "Error", MB_ICONWARNING);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.dialogs, (std::vector<std::string>{"Error: Failed to Initialize Vantor"}));

    platform::InstallKeyScript({{}});  // a scripted run never waits for a person
    ::testing::internal::CaptureStderr();
    MessageBoxA(nullptr, "again", "Error", MB_ICONWARNING);
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.dialogs.size(), 1u);
}

TEST_F(UserKeyboardTest, MessageBoxWithADeadOwnerFails) {
    EXPECT_EQ(MessageBoxA(reinterpret_cast<HWND>(uintptr_t{0x777}), "text", "Error", MB_OK), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(vantor::testing::LastMessageBox().has_value());
}

}  // namespace
