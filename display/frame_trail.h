// The frame trail's ring of earlier frames, as SetFrameTrail and the device's destructor
// tear it down.
#pragma once

#include "display/display_device.h"

// Destroys the Surfaces in slots 0 to count - 1 that are not null (a Surface still holding a
// DirectDraw surface of the current generation gives it back first), then frees the array.
void DestroyTrailRing(Surface** ring, int32_t count);
