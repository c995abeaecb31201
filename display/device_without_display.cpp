// The device's third start-up: drawing without a display, for programs that only write
// files. DirectDraw at the normal cooperative level with no window asks nothing of the
// screen; surfaces in a format of their own, named in each creation record, do not depend
// on the desktop's format either.
#include "display/device_steps.h"

namespace {

// 16-bit 5-6-5: the format most adapters give the full-screen tool's 640 x 480 x 16 mode.
DDPIXELFORMAT Format565() {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    format.dwRBitMask = 0xF800;
    format.dwGBitMask = 0x07E0;
    format.dwBBitMask = 0x001F;
    return format;
}

}  // namespace

void NameSurfaceFormat(const DisplayDevice& device, DDSURFACEDESC& desc) {
    if (device.displayless != 1) return;
    desc.dwFlags |= DDSD_PIXELFORMAT;
    desc.ddpfPixelFormat = device.pixelFormat;
}

int32_t DisplayDevice::InitializeWithoutDisplay(int32_t width, int32_t height) {
    if (initialized == 1) return 0;
    if (TryBeginStart(nullptr) != nullptr ||
        directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL) != DD_OK) {
        Shutdown();
        return 0;
    }
    displayless = 1;
    screenWidth = width;
    screenHeight = height;
    bitsPerPixel = 16;
    fullScreen = 0;
    clipRect = {0, 0, width, height};
    pixelFormat = Format565();
    DecodePixelFormat(*this);
    // Made where the full-screen start-up makes it, so the same drawing takes the same path.
    if (TryCreateOffscreenBuffer(1) != nullptr) {
        Shutdown();
        return 0;
    }
    TargetOffscreenBuffer();
    Clear(0);
    return 1;
}
