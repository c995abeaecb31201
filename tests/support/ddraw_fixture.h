// Set-up for the DirectDraw contract tests: a fresh platform, a window, and the display
// taken the way the system takes it, with helpers for the surfaces a test needs.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "win32.h"

namespace vantor::testing {

class DdrawTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // DirectDrawCreate, IDirectDraw2, exclusive full screen on the window, then the mode.
    void TakeDisplay(int bitsPerPixel = 16);
    // The primary surface with one back buffer (flags 0x21, caps 0x218).
    IDirectDrawSurface* MakeFlipChain(IDirectDrawSurface** backBuffer);
    // A plain surface in the display's format; system memory unless asked otherwise.
    IDirectDrawSurface* MakePlain(int width, int height, bool systemMemory = true);
    // A clipper whose list is the one rectangle.
    IDirectDrawClipper* MakeClipper(const RECT& clip);
    // Runs the message pump once, so that focus events reach DirectDraw.
    void Pump();

    HWND window = nullptr;
    IDirectDraw2* directDraw = nullptr;
};

// Raw pixels of a whole surface, row by row, read through Lock; empty when it cannot lock.
std::vector<uint32_t> ReadAllPixels(IDirectDrawSurface* surface);
// Writes raw pixel values row by row through Lock; false when it cannot lock.
bool WriteAllPixels(IDirectDrawSurface* surface, const std::vector<uint32_t>& pixels);
// A rectangle region record holding the given rectangles.
std::vector<uint8_t> MakeRegion(const std::vector<RECT>& rects);

}  // namespace vantor::testing
