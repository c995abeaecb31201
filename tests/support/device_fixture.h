// Shared set-up for tests of the display device and of what is built on it: a fresh
// platform per test, a device that has taken the display, pixel probes on DirectDraw
// surfaces, at-exit reports for tests of fatal exits, and runs of the built tool.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "display/display_device.h"

namespace vantor::testing {

// Each test starts from a fresh platform. StartDevice makes the window and takes the
// display; TearDown destroys the device before the platform is reset.
class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Constructs the device only (no window, no display).
    DisplayDevice& MakeDevice();
    // Constructs the device, makes its window and initialises it; fails the test when the
    // device does not come up.
    DisplayDevice& StartDevice(int32_t bitsPerPixel = 16, int32_t offscreenMemory = 1);

    std::unique_ptr<DisplayDevice> device;
    HWND window = nullptr;
};

inline constexpr int32_t kScreenWidth = 640;
inline constexpr int32_t kScreenHeight = 480;

// One pixel's raw value, read by locking the surface; fails the test when it cannot lock.
uint32_t ReadPixel(IDirectDrawSurface* surface, int32_t x, int32_t y);
// Fills the whole surface with a raw pixel value; true when the fill was done.
bool FillSurface(IDirectDrawSurface* surface, uint32_t value);

// ---- Fatal exits ------------------------------------------------------------------------

// For death tests, inside the child: a device of static storage duration, constructed on
// first use, so that it is destroyed by the exit path as the program's own device is.
DisplayDevice& ProcessDevice();

// For death tests, inside the child and before the device is made: at exit, after the
// static device is gone, prints one line on standard error describing the last message
// box, the display mode, the cursor counter (relative to now) and the live platform
// objects. `window`, when set later with SetReportedWindow, is destroyed first, so that
// only what the device leaked is counted.
void ReportStateAtExit();
void SetReportedWindow(HWND window);
// The line ReportStateAtExit prints after a clean fatal exit: a box with `text` titled
// "Error" with the warning icon, owned by the reported window (or by none), the desktop
// mode back, the cursor counter where it started and nothing alive.
std::string CleanExitReport(const std::string& text, bool ownedByWindow);

}  // namespace vantor::testing
