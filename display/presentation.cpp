// Presentation: the drawn frame becomes visible. Full screen, the off-screen buffer is
// copied to the back buffer and the primary surface flips; a lost primary is restored and
// the flip tried once more. Windowed, the render target is blitted into the window.
#include "display/display_device.h"

namespace {

int32_t Toggled(int32_t parity) { return parity == 0 ? 1 : 0; }

int32_t PresentWindowed(DisplayDevice& device) {
    if (device.renderTarget == device.primarySurface) return 0;
    device.primarySurface->Blt(&device.windowRect, device.renderTarget, nullptr, DDBLT_WAIT,
                               nullptr);
    return 1;
}

// A waiting flip must go through: anything but a lost surface is fatal, and so is a
// second failure after the primary came back.
int32_t FlipWaiting(DisplayDevice& device) {
    HRESULT result = device.primarySurface->Flip(nullptr, DDFLIP_WAIT);
    device.lastFlipOk = 1;
    if (result != DD_OK) {
        if (result != DDERR_SURFACELOST) device.FatalError("Can't Flip the surfaces");
        if (device.primarySurface->Restore() != DD_OK) return 0;
        if (device.primarySurface->Flip(nullptr, DDFLIP_WAIT) != DD_OK)
            device.FatalError("Can't Flip the surfaces after Restoring");
    }
    device.pageParity = Toggled(device.pageParity);
    return 1;
}

// A non-waiting flip never blocks and never ends the program: after a restore and one
// retry it gives up, and the next call flips the same frame again (lastFlipOk 0).
int32_t FlipNonWaiting(DisplayDevice& device) {
    if (device.primarySurface->Flip(nullptr, 0) != DD_OK) {
        device.primarySurface->Restore();
        if (device.primarySurface->Flip(nullptr, 0) != DD_OK) {
            device.lastFlipOk = 0;
            return 0;
        }
    }
    device.lastFlipOk = 1;
    return 1;
}

int32_t PresentFullScreen(DisplayDevice& device, int32_t wait) {
    // The frame is always drawn in the off-screen buffer, also while a Surface is the target.
    const bool copyFrame =
        device.renderTarget != device.primarySurface && device.renderTarget != device.backBuffer;
    if (copyFrame && wait == 1) {
        device.backBuffer->BltFast(0, 0, device.offscreenBuffer, nullptr, DDBLTFAST_WAIT);
    } else if (copyFrame && device.lastFlipOk == 1) {
        if (device.backBuffer->BltFast(0, 0, device.offscreenBuffer, nullptr, 0) != DD_OK) return 0;
    }
    // Otherwise the back buffer still holds the frame whose flip failed: flip that one.

    if (device.paletteMode == 1 && device.palette != nullptr)
        device.palette->SetEntries(0, 0, 256, device.paletteEntries);

    if (device.renderTarget == device.primarySurface) {
        device.pageParity = Toggled(device.pageParity);
        return 1;
    }
    return wait == 1 ? FlipWaiting(device) : FlipNonWaiting(device);
}

}  // namespace

int32_t DisplayDevice::Present(int32_t wait) {
    if (initialized != 1) return 0;
    if (trailEnabled == 1) StepFrameTrail();
    return fullScreen != 0 ? PresentFullScreen(*this, wait) : PresentWindowed(*this);
}
