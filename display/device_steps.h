// Steps of the device's operations that one file of display/ owns and another runs.
#pragma once

#include "display/display_device.h"

// Makes `surface` the render target: records it, refreshes the size, pitch and row tables
// (rebuilt only when they no longer match) and resets the clip rectangle to the whole
// target. Callers refuse first while the target is locked. Returns 1.
int32_t MakeRenderTarget(DisplayDevice& device, IDirectDrawSurface* surface);

// Decodes the red, green and blue masks of device.pixelFormat into the per-channel
// lowest bit, bit count and widening shift.
void DecodePixelFormat(DisplayDevice& device);

// In a palette mode, creates the display palette from paletteEntries and attaches it to
// the primary surface; a failure is fatal.
void SetUpDisplayPalette(DisplayDevice& device);

// Without a display a surface has no display format to take: the creation record names
// the device's own. With a display the record is left as it is.
void NameSurfaceFormat(const DisplayDevice& device, DDSURFACEDESC& desc);
