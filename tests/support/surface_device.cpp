#include "support/surface_device.h"

#include <cstring>

#include "testing.h"

namespace vantor::testing {

void SurfaceDeviceTest::SetUp() { RestartDevice(DeviceMode{}); }

void SurfaceDeviceTest::TearDown() {
    device.reset();
    Reset();
}

void SurfaceDeviceTest::RestartDevice(const DeviceMode& mode) {
    device.reset();
    Reset();
    Use555(mode.layout555);
    device = std::make_unique<DisplayDevice>();
    window = device->CreateAppWindow(nullptr, "Surface test", mode.width, mode.height);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(device->Initialize(window, mode.width, mode.height, mode.bitsPerPixel, 1), 1);
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
