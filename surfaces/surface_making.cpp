// How the device makes Surfaces (empty, as a copy of a DirectDraw surface, as a copy of a
// rectangle of the render target).
#include "display/device_steps.h"
#include "surfaces/surface.h"

namespace {

// Placement caps for a memory argument: -1 takes the device's default, then 1 lets the
// driver place the surface and any other value asks for system memory.
DWORD SurfaceCaps(int32_t memory, int32_t deviceDefault) {
    if (memory == -1) memory = deviceDefault;
    return memory == 1 ? DDSCAPS_OFFSCREENPLAIN : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
}

}  // namespace

int32_t DisplayDevice::MakeSurface(Surface& surface, int32_t width, int32_t height,
                                   int32_t memory) {
    // Refused before anything is released: a negative size is a caller's mistake, and a
    // device without DirectDraw can make nothing.
    if (width < 0 || height < 0 || directDraw == nullptr) return 0;
    if (surface.created == 1) surface.Release();

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwHeight = static_cast<DWORD>(height);
    desc.dwWidth = static_cast<DWORD>(width);
    desc.ddsCaps.dwCaps = SurfaceCaps(memory, surfaceMemory);
    NameSurfaceFormat(*this, desc);
    if (FAILED(directDraw->CreateSurface(&desc, &surface.ddSurface, nullptr))) {
        surface.ddSurface = nullptr;
        return 0;
    }

    surface.created = 1;
    surface.createdStamp = startStamp;
    surface.startStampRef = &startStamp;
    surface.owner = this;
    surface.width = width;
    surface.height = height;
    surface.bitsPerPixel = bitsPerPixel;
    surface.BuildRowTables();
    return 1;
}

int32_t DisplayDevice::MakeSurfaceFrom(Surface& surface, IDirectDrawSurface* source,
                                       int32_t memory) {
    // Making a Surface releases what it held, so it cannot be made from its own surface.
    if (source == nullptr || source == surface.ddSurface) return 0;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    source->GetSurfaceDesc(&desc);
    if (!MakeSurface(surface, static_cast<int32_t>(desc.dwWidth),
                     static_cast<int32_t>(desc.dwHeight), memory))
        return 0;
    surface.ddSurface->BltFast(0, 0, source, nullptr, DDBLTFAST_WAIT);
    return 1;
}

int32_t DisplayDevice::GrabSurface(Surface& surface, const RECT* rect, int32_t memory) {
    RECT area = rect ? *rect : RECT{0, 0, targetWidth, targetHeight};
    // An inverted rectangle is refused by MakeSurface's size check; the difference is
    // taken wide so that extreme coordinates cannot overflow into a plausible size.
    int64_t width = int64_t{area.right} - area.left;
    int64_t height = int64_t{area.bottom} - area.top;
    if (width > INT32_MAX || height > INT32_MAX || renderTarget == nullptr) return 0;
    // Remaking the Surface that is the render target would release the target itself.
    if (surface.ddSurface == renderTarget) return 0;
    if (!MakeSurface(surface, static_cast<int32_t>(width), static_cast<int32_t>(height), memory))
        return 0;
    // Not clipped to the render target: a rectangle reaching outside it fails the copy.
    return SUCCEEDED(surface.ddSurface->BltFast(0, 0, renderTarget, &area, DDBLTFAST_WAIT)) ? 1 : 0;
}
