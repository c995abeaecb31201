// Per-pixel reference versions of the hardware blits, written straight from what they
// must draw, for comparison with the real operations.
#pragma once

#include "support/reference_blends.h"

namespace vantor::testing {

// The unscaled draw: each Surface pixel lands at (x + column, y + row) when that spot lies
// inside draw.clip and the pixel is not the colour key. Returns 1 when some part of the
// Surface lies inside the clip rectangle, else 0.
int32_t ReferenceDrawSurface(PackedImage& target, const PackedImage& surface,
                             const ReferenceDraw& draw);

// The stretch of the whole Surface onto the destination rectangle, point-sampled as the
// blitter's reference does, written only inside draw.clip and skipping the key.
void ReferenceDrawStretched(PackedImage& target, const PackedImage& surface,
                            const RECT& destination, const ReferenceDraw& draw);

}  // namespace vantor::testing
