// Off-screen images in the display's pixel format, made by the display device.
//
//   Surface(), ~Surface()   empty record with one-entry row tables; destruction releases
//   Lock, Unlock            direct pixel access (rows are width pixels apart)
//   Release                 gives the DirectDraw surface back, only within its generation
//   BuildRowTables          row starts from the width
//
// The device makes Surfaces (MakeSurface, MakeSurfaceFrom, GrabSurface), draws them
// (DrawSurface, DrawStretched, DrawBlended, DrawCheckered) and selects them as the
// render target (SelectSurfaceTarget); see display_device.h.
#pragma once

#include "display/display_device.h"

struct Surface {
    int32_t created;
    DisplayDevice* owner;
    const uint32_t* startStampRef;
    uint32_t createdStamp;
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    int32_t locked;
    IDirectDrawSurface* ddSurface;
    int32_t* pixelOffsets;
    int32_t* byteOffsets;
    int32_t* wordOffsets;
    int32_t* dwordOffsets;

    Surface();
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    uint8_t* Lock(int32_t wait);
    int32_t Unlock();
    int32_t Release();
    int32_t BuildRowTables();
};

// Key values of one Surface pixel for the blends' colour keys.
uint32_t ReadPixel555(const uint8_t* pixel);
uint32_t ReadPixel565(const uint8_t* pixel);
uint32_t ReadPixel32(const uint8_t* pixel);
