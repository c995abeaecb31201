#include "support/window_recorder.h"

#include "modules.h"

namespace vantor::testing {
namespace {

WindowRecorder* current = nullptr;

}  // namespace

WindowRecorder::WindowRecorder() {
    current = this;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &WindowRecorder::Procedure;
    windowClass.hInstance = platform::ProgramInstance();
    windowClass.lpszClassName = "Recorder Window";
    RegisterClassA(&windowClass);
}

WindowRecorder::~WindowRecorder() { current = nullptr; }

HWND WindowRecorder::Create(DWORD style, int width, int height) {
    return CreateWindowExA(0, "Recorder Window", "Recorder", style, 0, 0, width, height, nullptr,
                           nullptr, platform::ProgramInstance(), nullptr);
}

std::vector<UINT> WindowRecorder::Messages() const {
    std::vector<UINT> messages;
    for (const ReceivedMessage& message : received) messages.push_back(message.message);
    return messages;
}

int WindowRecorder::Count(UINT message, std::optional<WORD> low) const {
    int count = 0;
    for (const ReceivedMessage& received : received)
        if (received.message == message && (!low || LOWORD(received.wParam) == *low)) ++count;
    return count;
}

LRESULT CALLBACK WindowRecorder::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    ReceivedMessage received{window, message, wParam, lParam};
    if (current) {
        current->received.push_back(received);
        if (current->answer)
            if (std::optional<LRESULT> answer = current->answer(received)) return *answer;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace vantor::testing
