// The frame conversion as the presenters call it, handed to the build the dispatcher chose,
// and the plain build's table.
#include "frame_rows.h"
#include "kernel_choice.h"
#include "presenter_internal.h"

namespace vantor::platform {

const FrameKernelTable kPlainFrameKernels = {ConvertFrame};

bool WellFormedFrame(const PixelView& frame) {
    int bits = frame.bitsPerPixel;
    if (!frame.pixels || frame.width <= 0 || frame.height <= 0) return false;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    return frame.pitch >= static_cast<int64_t>(frame.width) * (bits / 8);
}

void FrameToRgb(const PixelView& frame, uint32_t* rgbOut) {
    if (!rgbOut || !WellFormedFrame(frame)) return;
    ChosenTable(kPlainFrameKernels, kAvx2FrameKernels).toRgb(frame, rgbOut);
}

}  // namespace vantor::platform
