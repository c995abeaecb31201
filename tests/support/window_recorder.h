// A window class for tests of USER: its procedure records every message it receives and
// answers as the test asks, else as DefWindowProcA does.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "win32.h"

namespace vantor::testing {

struct ReceivedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class WindowRecorder {
public:
    // Registers the class "Recorder Window"; the platform must have been reset first.
    WindowRecorder();
    ~WindowRecorder();

    HWND Create(DWORD style = WS_POPUP | WS_VISIBLE, int width = 640, int height = 480);
    // The message numbers received, in order, by any window of the class.
    std::vector<UINT> Messages() const;
    // How many times a window received `message` with LOWORD(wParam) == `low`.
    int Count(UINT message, std::optional<WORD> low = std::nullopt) const;

    std::vector<ReceivedMessage> received;
    // Given a message, returns an answer to give instead of the default processing.
    std::function<std::optional<LRESULT>(const ReceivedMessage&)> answer;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace vantor::testing
