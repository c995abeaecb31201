// The framework demo: what the font sheet tool does not use, on one screen. Keyed sprites
// moving over a backdrop, 50 % blends, the frame trail, and the checkerboard in an 8-bit
// palette mode; full screen, or in a window with "-window" on the command line.
#pragma once

#include "display/display_device.h"
#include "surfaces/surface.h"

enum class DemoScene { Sprites = 1, Blends = 2, Checkerboard = 3 };

constexpr int32_t kDemoWidth = 640;
constexpr int32_t kDemoHeight = 480;
constexpr int32_t kSpriteSide = 48;
constexpr int32_t kSquareSide = 160;
// Where the blended square and the checkerboard stand: over the boundary of the backdrop's
// two halves, below the list of keys.
constexpr int32_t kSquareX = 240;
constexpr int32_t kSquareY = 160;
constexpr int32_t kTrailLength = 3;

// What the command line asks for: the window rather than the whole screen, or an end with
// the given status at once (the help, the version, a usage error: already printed).
struct DemoCommand {
    bool windowed = false;
    int exitStatus = -1;  // -1: run the demo
};
DemoCommand ParseDemoCommandLine(const char* commandLine);

// A raw pixel value of the display for a colour, in whatever format the device decoded;
// in a palette mode the nearest of the colour cube's levels.
uint32_t DemoColour(const DisplayDevice& display, uint8_t red, uint8_t green, uint8_t blue);

// Makes the scene's Surfaces in the device's current format; false when one cannot be made.
bool MakeDemoSurfaces(DisplayDevice& display);
void ReleaseDemoSurfaces();

// Draws one frame of a scene into the render target; `frame` moves the sprites.
void DrawDemoScene(DisplayDevice& display, DemoScene scene, int32_t frame);
// The keys and the state, as text along the top of the render target.
void DrawDemoLegend(DisplayDevice& display, DemoScene scene, bool trailOn, bool windowed);
