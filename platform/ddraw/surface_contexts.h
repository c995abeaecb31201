// Device contexts over DirectDraw surfaces: GetDC and ReleaseDC of a surface hand their
// work to these.
#pragma once

#include "ddraw/ddraw.h"

namespace vantor::platform {

// A new device context drawing into the surface's own pixels, with the defaults of a new
// context; null when no context can be made.
HDC CreateSurfaceDC(IDirectDrawSurface* surface);
void DeleteSurfaceDC(HDC dc);

}  // namespace vantor::platform
