#include "support/surface_device.h"

#include <cstring>

#include "testing.h"

namespace vantor::testing {

void SurfaceDeviceTest::SetUp() {
    DeviceTest::SetUp();
    StartDevice();
}

void SurfaceDeviceTest::RestartDevice(const DeviceMode& mode) {
    device.reset();
    if (window != nullptr) DestroyWindow(window);
    Reset();
    Use555(mode.layout555);
    StartDevice(mode.bitsPerPixel);
}

PackedImage ReadSurface(Surface& surface) {
    PackedImage image(surface.width, surface.height, surface.bitsPerPixel / 8);
    uint8_t* pixels = surface.Lock(1);
    EXPECT_NE(pixels, nullptr) << "the Surface could not be locked";
    if (pixels == nullptr) return image;
    std::memcpy(image.bytes.data(), pixels, image.bytes.size());
    surface.Unlock();
    return image;
}

void WriteSurface(Surface& surface, const PackedImage& image) {
    ASSERT_EQ(image.width, surface.width);
    ASSERT_EQ(image.height, surface.height);
    uint8_t* pixels = surface.Lock(1);
    ASSERT_NE(pixels, nullptr) << "the Surface could not be locked";
    std::memcpy(pixels, image.bytes.data(), image.bytes.size());
    surface.Unlock();
}

void MakeSurfaceWith(DisplayDevice& device, Surface& surface, const PackedImage& image) {
    ASSERT_EQ(device.MakeSurface(surface, image.width, image.height, 0), 1);
    WriteSurface(surface, image);
}

}  // namespace vantor::testing
