// The render target: which surface the device draws into, its size, pitch, row tables
// and clip rectangle, direct access by locking, and whole-target fills.
//
// These operations need an initialised device; before Initialize and after Shutdown
// there is no surface to act on and they refuse with 0 (or null).
#include "display/device_steps.h"
#include "display/row_tables.h"
#include "surfaces/surface.h"

namespace {

bool HasTarget(const DisplayDevice& device) {
    return device.initialized == 1 && device.renderTarget != nullptr;
}

IDirectDrawSurface* SurfaceOfKind(const DisplayDevice& device, int32_t kind) {
    switch (kind) {
        case static_cast<int32_t>(TargetKind::Offscreen): return device.offscreenBuffer;
        case static_cast<int32_t>(TargetKind::BackBuffer): return device.backBuffer;
        case static_cast<int32_t>(TargetKind::Primary): return device.primarySurface;
        default: return nullptr;
    }
}

}  // namespace

int32_t MakeRenderTarget(DisplayDevice& device, IDirectDrawSurface* surface) {
    device.renderTarget = surface;
    device.RefreshTargetInfo(0);
    device.clipRect = {0, 0, device.targetWidth, device.targetHeight};
    return 1;
}

int32_t DisplayDevice::SelectTarget(int32_t kind) {
    if (targetLocked == 1 || initialized != 1) return 0;
    IDirectDrawSurface* surface = SurfaceOfKind(*this, kind);
    if (surface == nullptr) return 0;
    return MakeRenderTarget(*this, surface);
}

int32_t DisplayDevice::SelectOffscreen() {
    // While locked, the locked surface must stay the target; the call still succeeds.
    if (targetLocked == 1) return 1;
    if (initialized != 1 || offscreenBuffer == nullptr) return 0;
    return MakeRenderTarget(*this, offscreenBuffer);
}

int32_t DisplayDevice::SelectSurfaceTarget(Surface& surface) {
    // An empty Surface has nothing to draw into, and the target is only ever a live surface.
    if (targetLocked == 1 || initialized != 1 || surface.created == 0) return 0;
    if (surface.locked == 1) surface.Unlock();
    return MakeRenderTarget(*this, surface.ddSurface);
}

// The tables are kept while the new target has the old one's width, height and pitch, so
// switching among the screen-sized surfaces allocates nothing. The pitch takes part in the
// comparison: two surfaces of one size with different row padding would otherwise share
// tables that address the wrong rows of one of them.
int32_t DisplayDevice::RefreshTargetInfo(int32_t force) {
    if (!HasTarget(*this)) return 0;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    renderTarget->GetSurfaceDesc(&desc);  // on failure the zeroed record reads as 0 x 0
    const int32_t width = static_cast<int32_t>(desc.dwWidth);
    const int32_t height = static_cast<int32_t>(desc.dwHeight);
    const bool sameShape =
        width == targetWidth && height == targetHeight && desc.lPitch == targetPitch;
    if (sameShape && force != 1) return 1;
    targetHeight = height;
    targetWidth = width;
    targetPitch = desc.lPitch;
    RebuildTargetTables(*this);
    return 1;
}

uint8_t* DisplayDevice::LockTarget(int32_t wait) {
    if (targetLocked == 1 || !HasTarget(*this)) return nullptr;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (renderTarget->Lock(nullptr, &desc, wait == 1 ? DDLOCK_WAIT : 0, nullptr) != DD_OK)
        return nullptr;
    // The pitch of the lock is not used: rows are addressed through the row tables.
    targetPointer = static_cast<uint8_t*>(desc.lpSurface);
    targetLocked = 1;
    return targetPointer;
}

int32_t DisplayDevice::UnlockTarget() {
    if (targetLocked != 1 || !HasTarget(*this)) return 0;
    if (renderTarget->Unlock(nullptr) != DD_OK) return 0;
    targetPointer = nullptr;
    targetDC = nullptr;
    targetLocked = 0;
    return 1;
}

int32_t DisplayDevice::Clear(uint32_t colour) {
    if (!HasTarget(*this)) return 0;
    DDBLTFX effects{};
    effects.dwSize = sizeof effects;
    effects.dwFillColor = colour;
    return renderTarget->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects) ==
                   DD_OK
               ? 1
               : 0;
}

int32_t DisplayDevice::SetSurfaceMemory(int32_t choice) {
    surfaceMemory = choice;
    return 1;
}
