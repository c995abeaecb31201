// The frame trail: a ring of the most recent frames, each mixed half and half into the
// frame being presented, the oldest last. Slot 0 holds the newest copy, slot trailCount - 1
// the oldest; the copies are taken before anything is mixed in, so the ring stays unmixed.
#include "display/frame_trail.h"

#include <new>

#include "surfaces/surface.h"

void DestroyTrailRing(Surface** ring, int32_t count) {
    if (ring == nullptr) return;
    for (int32_t i = 0; i < count; ++i) delete ring[i];
    delete[] ring;
}

int32_t DisplayDevice::SetFrameTrail(int32_t count) {
    if (count < 0) return 0;
    if (count == 0) {
        trailEnabled = 0;  // the ring stays as it is, for the destructor
        return 1;
    }
    // The new ring is made before the old one goes, so a refused allocation changes nothing.
    Surface** ring = new (std::nothrow) Surface*[count]();
    if (ring == nullptr) return 0;
    DestroyTrailRing(trailSurfaces, trailCount);
    trailSurfaces = ring;
    trailCount = count;
    trailEnabled = 1;
    return 1;
}

void DisplayDevice::StepFrameTrail() {
    if (trailCount < 1 || trailSurfaces == nullptr) return;
    const int32_t oldest = trailCount - 1;

    // Drop the oldest frame and move the others one slot on; only pointers move.
    delete trailSurfaces[oldest];
    for (int32_t i = oldest; i > 0; --i) trailSurfaces[i] = trailSurfaces[i - 1];

    // A failed copy leaves an empty Surface in slot 0, which adds nothing later.
    trailSurfaces[0] = new Surface;
    MakeSurfaceFrom(*trailSurfaces[0], renderTarget, -1);

    for (int32_t i = 1; i <= oldest; ++i) {
        if (trailSurfaces[i] != nullptr) DrawBlended(*trailSurfaces[i], 0, 0, -1, 1);
    }
}
