// What a surface asks of GDI, the layer above it: GetDC and ReleaseDC hand their work to
// these. Declared here, by the surface that needs them, and defined by GDI
// (gdi/device_context.cpp), so that DirectDraw includes nothing of GDI.
#pragma once

#include "ddraw/ddraw.h"

namespace vantor::platform {

// A new device context drawing into the surface's own pixels, with the defaults of a new
// context; null when no context can be made.
HDC CreateSurfaceDC(IDirectDrawSurface* surface);
void DeleteSurfaceDC(HDC dc);

}  // namespace vantor::platform
