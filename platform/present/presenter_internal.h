// What the presenter layer keeps for the platform's own use and for the testing hooks:
// events a test makes the screen report, and the frames shown.
#pragma once

#include <cstdint>
#include <vector>

#include "presenter.h"

namespace vantor::platform {

// A view the converters and writers can walk: pixels present, a size, a depth of 8, 16,
// 24 or 32 bits and rows at least as long as the width.
bool WellFormedFrame(const PixelView& frame);

// Handed out by CurrentPresenter().PollEvent before the presenter's own events.
void InjectPresenterEvent(const PresenterEvent& event);

// Frames shown since the last reset, and the last of them as a viewer saw it
// (0x00RRGGBB); false before the first frame.
int FramesShown();
bool LastFrameShown(int* width, int* height, std::vector<uint32_t>* rgb);

}  // namespace vantor::platform
