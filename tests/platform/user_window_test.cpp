// Windows and their classes: the messages of creation and destruction in Windows' order,
// activation, the quit flag that outlives the window, and handles that stop working.
#include <gtest/gtest.h>

#include "modules.h"
#include "present/presenter.h"
#include "support/window_recorder.h"
#include "testing.h"

namespace {

using vantor::testing::ReceivedMessage;
using vantor::testing::WindowRecorder;

class UserWindowTest : public ::testing::Test {
protected:
    void SetUp() override { vantor::testing::Reset(); }
    void TearDown() override { vantor::testing::Reset(); }
};

// Position of the first `message` (with the given low word of wParam) in what was received.
long IndexOf(const WindowRecorder& recorder, UINT message, std::optional<WORD> low = std::nullopt) {
    for (size_t i = 0; i < recorder.received.size(); ++i) {
        const ReceivedMessage& received = recorder.received[i];
        if (received.message == message && (!low || LOWORD(received.wParam) == *low))
            return static_cast<long>(i);
    }
    return -1;
}

TEST_F(UserWindowTest, VisiblePopupIsCreatedThenShownThenActivated) {
    WindowRecorder recorder;
    CREATESTRUCTA arguments{};
    recorder.answer = [&arguments](const ReceivedMessage& message) -> std::optional<LRESULT> {
        if (message.message == WM_CREATE)
            arguments = *reinterpret_cast<const CREATESTRUCTA*>(message.lParam);
        return std::nullopt;
    };
    HWND window = recorder.Create(WS_POPUP | WS_VISIBLE, 640, 480);
    ASSERT_NE(window, nullptr);

    std::vector<UINT> expected = {WM_NCCREATE,    WM_CREATE,     WM_SHOWWINDOW,
                                  WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE,
                                  WM_SETFOCUS,    WM_SIZE,       WM_MOVE};
    EXPECT_EQ(recorder.Messages(), expected);
    EXPECT_EQ(recorder.Count(WM_ACTIVATE, WA_ACTIVE), 1);
    EXPECT_EQ(GetActiveWindow(), window);

    EXPECT_EQ(arguments.cx, 640);  // the creation arguments reach WM_CREATE
    EXPECT_EQ(arguments.cy, 480);
    EXPECT_EQ(arguments.style, static_cast<LONG>(WS_POPUP | WS_VISIBLE));

    RECT client{-1, -1, -1, -1};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.left, 0);
    EXPECT_EQ(client.top, 0);
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
}

TEST_F(UserWindowTest, HiddenWindowIsNotActivatedUntilShown) {
    WindowRecorder recorder;
    HWND window = recorder.Create(WS_POPUP);
    EXPECT_EQ(recorder.Count(WM_ACTIVATE), 0);
    EXPECT_EQ(GetActiveWindow(), nullptr);

    EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));  // was hidden
    EXPECT_EQ(recorder.Count(WM_ACTIVATE, WA_ACTIVE), 1);
    EXPECT_TRUE(ShowWindow(window, SW_SHOWNORMAL));  // already visible and active: nothing more
    EXPECT_EQ(recorder.Count(WM_ACTIVATE, WA_ACTIVE), 1);
}

TEST_F(UserWindowTest, DestroyingActiveWindowDeactivatesBeforeDestroyAndKeepsQuit) {
    WindowRecorder recorder;
    HWND window = recorder.Create();
    recorder.answer = [](const ReceivedMessage& message) -> std::optional<LRESULT> {
        if (message.message != WM_DESTROY) return std::nullopt;
        PostQuitMessage(7);
        return 0;
    };
    ASSERT_TRUE(PostMessageA(window, WM_NULL + 0x400, 1, 2));
    recorder.received.clear();

    ASSERT_TRUE(DestroyWindow(window));
    long inactive = IndexOf(recorder, WM_ACTIVATE, WA_INACTIVE);
    long destroy = IndexOf(recorder, WM_DESTROY);
    ASSERT_GE(inactive, 0);
    EXPECT_LT(inactive, destroy);
    EXPECT_EQ(recorder.Messages().back(), WM_NCDESTROY);
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_FALSE(IsWindow(window));

    // The message posted to the window went with it; the quit flag did not.
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.wParam, 7u);
    recorder.received.clear();
    EXPECT_EQ(DispatchMessageA(&message), 0);
    EXPECT_TRUE(recorder.received.empty());
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(vantor::testing::LiveObjects(), 0);
}

TEST_F(UserWindowTest, ActivatingAnotherWindowDeactivatesTheFirst) {
    WindowRecorder recorder;
    HWND first = recorder.Create();
    HWND second = recorder.Create();
    EXPECT_EQ(GetActiveWindow(), second);
    bool firstDeactivated = false;
    for (const ReceivedMessage& message : recorder.received)
        if (message.window == first && message.message == WM_ACTIVATE &&
            LOWORD(message.wParam) == WA_INACTIVE)
            firstDeactivated = true;
    EXPECT_TRUE(firstDeactivated);

    // What SetCooperativeLevel does: activation is sent even to the window that has it.
    recorder.received.clear();
    vantor::platform::ActivateWindow(second);
    EXPECT_EQ(recorder.Count(WM_ACTIVATE, WA_ACTIVE), 1);
    EXPECT_EQ(recorder.received.back().window, second);
}

TEST_F(UserWindowTest, ClassNamesIgnoreCaseAndRegisterOnce) {
    WindowRecorder recorder;
    WNDCLASSA again{};
    again.lpfnWndProc = DefWindowProcA;
    again.hInstance = vantor::platform::ProgramInstance();
    again.lpszClassName = "RECORDER window";
    EXPECT_EQ(RegisterClassA(&again), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

    HWND window = CreateWindowExA(0, "recorder WINDOW", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, vantor::platform::ProgramInstance(), nullptr);
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(CreateWindowExA(0, "No Such Class", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    EXPECT_EQ(RegisterClassA(nullptr), 0);
}

TEST_F(UserWindowTest, RefusedOrAbandonedCreationLeavesNoWindow) {
    WindowRecorder recorder;
    recorder.answer = [](const ReceivedMessage& message) -> std::optional<LRESULT> {
        if (message.message == WM_CREATE) return -1;
        return std::nullopt;
    };
    EXPECT_EQ(recorder.Create(), nullptr);
    EXPECT_EQ(recorder.Count(WM_DESTROY), 1);
    EXPECT_EQ(recorder.Count(WM_NCDESTROY), 1);

    // A procedure that destroys its own window while it is being created.
    recorder.answer = [](const ReceivedMessage& message) -> std::optional<LRESULT> {
        if (message.message == WM_CREATE) DestroyWindow(message.window);
        return std::nullopt;
    };
    EXPECT_EQ(recorder.Create(), nullptr);
    EXPECT_EQ(vantor::testing::LiveObjects(), 0);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(UserWindowTest, DefaultProcessingClosesAndValidates) {
    WindowRecorder recorder;
    HWND window = recorder.Create();
    MSG message{};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    UpdateWindow(window);  // sends WM_PAINT; the default processing validates
    EXPECT_EQ(recorder.Count(WM_PAINT), 1);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    // Every call on the dead handle refuses it.
    RECT client;
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(GetClientRect(window, &client));
    EXPECT_FALSE(PostMessageA(window, WM_CLOSE, 0, 0));
    EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(vantor::platform::ValidWindow(reinterpret_cast<HWND>(uintptr_t{0x1234})));
}

// The screen as the desktop's window lists see it: the title and class it was last given.
class NamedScreen final : public vantor::platform::Presenter {
public:
    const char* Name() const override { return "named"; }
    bool SetMode(int, int, int) override { return true; }
    void RestoreDesktop() override {}
    void Show(const vantor::platform::PixelView&, bool) override {}
    bool PollEvent(vantor::platform::PresenterEvent*) override { return false; }
    void SetCursorVisible(bool) override {}
    bool CanShowDialogs() const override { return false; }
    void ShowDialog(const char*, const char*) override {}
    void NameWindow(const char* title, const char* className) override {
        shown = {title, className};
    }

    std::pair<std::string, std::string> shown;
};

TEST_F(UserWindowTest, TheScreenBearsTheNamesOfTheExclusiveWindowAndFollowsItsTitle) {
    auto owned = std::make_unique<NamedScreen>();
    NamedScreen& screen = *owned;
    vantor::platform::UsePresenter(std::move(owned));
    WindowRecorder recorder;
    HWND other = recorder.Create();
    HWND window = recorder.Create();
    IDirectDraw* first = nullptr;
    IDirectDraw2* directDraw = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw)),
              DD_OK);
    first->Release();
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    EXPECT_EQ(screen.shown,
              std::make_pair(std::string("Recorder"), std::string("Recorder Window")));

    EXPECT_TRUE(SetWindowTextA(window, "Renamed"));
    EXPECT_EQ(screen.shown.first, "Renamed");
    EXPECT_TRUE(SetWindowTextA(other, "Elsewhere"));  // not the window on the screen
    EXPECT_EQ(screen.shown.first, "Renamed");

    // The text is set by the window's procedure, and only if it lets DefWindowProcA do it.
    recorder.answer = [](const ReceivedMessage& message) -> std::optional<LRESULT> {
        if (message.message == WM_SETTEXT) return FALSE;
        return std::nullopt;
    };
    EXPECT_FALSE(SetWindowTextA(window, "Refused"));
    EXPECT_EQ(screen.shown.first, "Renamed");
    recorder.answer = nullptr;
    EXPECT_TRUE(SetWindowTextA(window, nullptr));
    EXPECT_EQ(screen.shown.first, "");

    directDraw->Release();
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(SetWindowTextA(window, "Gone"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

}  // namespace
