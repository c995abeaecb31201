// The message queue: what PeekMessageA hands out first, the quit flag's place at the end,
// filters, the queue's quota, and focus changes that become activation.
#include <gtest/gtest.h>

#include "modules.h"
#include "support/window_recorder.h"
#include "testing.h"

namespace {

using vantor::testing::WindowRecorder;

constexpr UINT kAppMessage = 0x400;

class UserMessagesTest : public ::testing::Test {
protected:
    void SetUp() override { vantor::testing::Reset(); }
    void TearDown() override { vantor::testing::Reset(); }

    // The message numbers PeekMessageA hands out until it has nothing, dispatching each.
    std::vector<UINT> Drain(int limit = 10) {
        std::vector<UINT> taken;
        MSG message{};
        while (limit-- > 0 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(message.message);
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        return taken;
    }
};

TEST_F(UserMessagesTest, PostedThenInputThenQuitThenPaint) {
    WindowRecorder recorder;
    HWND window = recorder.Create();  // visible, so it needs painting
    PostQuitMessage(3);
    vantor::testing::SetKey(VK_SPACE, true);
    PostMessageA(window, kAppMessage, 0, 0);

    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, kAppMessage);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_KEYDOWN);
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(VK_SPACE));
    // The key press makes a character, handed out next.
    TranslateMessage(&message);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_CHAR);
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(' '));
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
    // Painting keeps coming until the window is validated.
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    DispatchMessageA(&message);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserMessagesTest, QuitWaitsForPostedMessagesAndCoalesces) {
    PostQuitMessage(1);
    PostQuitMessage(2);
    PostMessageA(nullptr, kAppMessage, 0, 0);
    PostMessageA(nullptr, kAppMessage + 1, 0, 0);
    EXPECT_EQ(Drain(), (std::vector<UINT>{kAppMessage, kAppMessage + 1, WM_QUIT}));

    // Without PM_REMOVE the flag stays; the last code wins.
    PostQuitMessage(4);
    PostQuitMessage(5);
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(message.wParam, 5u);
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserMessagesTest, FiltersSelectButNeverHoldBackQuit) {
    WindowRecorder recorder;
    HWND first = recorder.Create(WS_POPUP);
    HWND second = recorder.Create(WS_POPUP);
    PostMessageA(first, kAppMessage, 1, 0);
    PostMessageA(second, kAppMessage + 5, 2, 0);

    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, second, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.wParam, 2u);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, kAppMessage + 1, kAppMessage + 10, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&message, reinterpret_cast<HWND>(uintptr_t{0x999}), 0, 0, PM_REMOVE));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);

    Drain();
    PostQuitMessage(0);
    ASSERT_TRUE(PeekMessageA(&message, second, kAppMessage, kAppMessage, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
}

TEST_F(UserMessagesTest, PostedQueueHasAQuota) {
    int posted = 0;
    while (posted < 20000 && PostMessageA(nullptr, kAppMessage, 0, 0)) ++posted;
    EXPECT_EQ(posted, 10000);
    EXPECT_EQ(GetLastError(), 1816u);  // ERROR_NOT_ENOUGH_QUOTA
}

TEST_F(UserMessagesTest, FocusChangesBecomeActivationAtTheNextPump) {
    WindowRecorder recorder;
    HWND window = recorder.Create();
    recorder.received.clear();

    vantor::testing::SendFocusLost();
    EXPECT_EQ(recorder.Count(WM_ACTIVATE), 0);  // nothing happens before the pump
    Drain();
    EXPECT_EQ(recorder.Count(WM_ACTIVATE, WA_INACTIVE), 1);
    EXPECT_FALSE(vantor::platform::ApplicationInForeground());
    EXPECT_EQ(GetActiveWindow(), nullptr);

    vantor::testing::SendFocusGained();
    Drain();
    EXPECT_EQ(recorder.Count(WM_ACTIVATE, WA_ACTIVE), 1);
    EXPECT_TRUE(vantor::platform::ApplicationInForeground());
    EXPECT_EQ(GetActiveWindow(), window);

    // A repeated report changes nothing.
    vantor::testing::SendFocusGained();
    Drain();
    EXPECT_EQ(recorder.Count(WM_ACTIVATE, WA_ACTIVE), 1);
}

TEST_F(UserMessagesTest, WindowMadeInTheBackgroundIsActivatedOnReturn) {
    vantor::testing::SendFocusLost();
    Drain();
    WindowRecorder recorder;
    HWND window = recorder.Create();
    EXPECT_EQ(recorder.Count(WM_ACTIVATE), 0);
    vantor::testing::SendFocusGained();
    Drain();
    EXPECT_EQ(recorder.Count(WM_ACTIVATE, WA_ACTIVE), 1);
    EXPECT_EQ(GetActiveWindow(), window);
}

TEST_F(UserMessagesTest, CallLogShowsTheMessageTaken) {
    vantor::testing::RecordCalls(true);
    PostQuitMessage(9);
    MSG message{};
    PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    auto peeks = vantor::testing::CallsNamed("PeekMessageA");
    ASSERT_EQ(peeks.size(), 2u);
    EXPECT_NE(peeks[0].detail.find("msg=WM_QUIT hwnd=(nil) wParam=0x9"), std::string::npos)
        << peeks[0].detail;
    EXPECT_NE(peeks[1].detail.find("none"), std::string::npos) << peeks[1].detail;

    // An injected failure takes nothing.
    PostQuitMessage(1);
    vantor::testing::FailCall("PeekMessageA");
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
}

}  // namespace
