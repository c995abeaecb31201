#include "present/presenter_internal.h"
#include "testing.h"
#include "user/user_state.h"

namespace vantor::testing {

// Each goes through the presenter's event stream, as the user's own action would, so the
// platform takes it in exactly as it takes real ones.
void SendFocusLost() {
    platform::InjectPresenterEvent({platform::PresenterEventKind::FocusLost, 0});
}
void SendFocusGained() {
    platform::InjectPresenterEvent({platform::PresenterEventKind::FocusGained, 0});
}
void SendCloseRequest() {
    platform::InjectPresenterEvent({platform::PresenterEventKind::CloseRequested, 0});
}
void SendWindowPlaced(int x, int y, int width, int height) {
    platform::InjectPresenterEvent(
        {platform::PresenterEventKind::WindowPlaced, 0, x, y, width, height});
}

void SetKey(int virtualKey, bool down) {
    auto kind = down ? platform::PresenterEventKind::KeyDown : platform::PresenterEventKind::KeyUp;
    platform::InjectPresenterEvent({kind, virtualKey});
}

int CursorCounter() { return platform::User().cursorCounter; }

std::optional<MessageBoxRecord> LastMessageBox() {
    const auto& shown = platform::User().lastMessageBox;
    if (!shown) return std::nullopt;
    return MessageBoxRecord{shown->owner, shown->text, shown->caption, shown->type};
}

int PresentedFrameCount() { return platform::FramesShown(); }

std::optional<Frame> LastPresentedFrame() {
    Frame frame{};
    if (!platform::LastFrameShown(&frame.width, &frame.height, &frame.rgb)) return std::nullopt;
    return frame;
}

}  // namespace vantor::testing
