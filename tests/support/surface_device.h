// A display device started on a fresh platform for the surface tests, and raw pixel
// access to Surfaces through their own locks.
#pragma once

#include "support/device_fixture.h"
#include "support/reference_blends.h"
#include "surfaces/surface.h"

namespace vantor::testing {

struct DeviceMode {
    int32_t bitsPerPixel = 16;
    bool layout555 = false;
};

// Each test gets a device initialised at 640 x 480 x 16 unless it restarts it in another
// mode; the device is destroyed (and so shut down) after the test.
class SurfaceDeviceTest : public DeviceTest {
protected:
    void SetUp() override;
    // Destroys the current device and starts a new one in the given mode.
    void RestartDevice(const DeviceMode& mode);
};

// The pixels of a made Surface, copied out through its lock.
PackedImage ReadSurface(Surface& surface);
// Overwrites a made Surface's pixels through its lock; the image must match its size.
void WriteSurface(Surface& surface, const PackedImage& image);
// A made Surface in system memory holding the image.
void MakeSurfaceWith(DisplayDevice& device, Surface& surface, const PackedImage& image);

}  // namespace vantor::testing
