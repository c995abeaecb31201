// The display device: the one object that owns the screen.
//
//   Lifecycle      DisplayDevice(), ~DisplayDevice(), CreateAppWindow, Initialize,
//                  InitializeWindowed, InitializeWithoutDisplay, Shutdown, PumpMessages, FatalError, FollowWindow;
//                  DeviceWindowProc is the window's procedure
//   Render target  SelectTarget, SelectOffscreen, SelectSurfaceTarget, RefreshTargetInfo,
//                  LockTarget, UnlockTarget, Clear, SetSurfaceMemory
//   Pixel format   PixelToRgb, HighestSetBit, LowestSetBit
//   Palette        BuildPalette
//   Presentation   Present, SetFrameTrail, StepFrameTrail
//   Surfaces       MakeSurface, MakeSurfaceFrom, GrabSurface
//   Drawing        DrawSurface, DrawStretched, DrawBlended, DrawCheckered
//   Export         SaveBitmap
//
// Results are 1 for success and 0 for failure or refusal; a refusal changes nothing.
#pragma once

#include <cstdint>

#include "win32.h"

struct Surface;

enum class TargetKind : int32_t { Offscreen = 0, BackBuffer = 1, Primary = 2 };

struct ClipRect {
    int32_t left;
    int32_t top;
    int32_t right;   // exclusive
    int32_t bottom;  // exclusive
};

struct DisplayDevice {
    int32_t initialized;
    uint32_t startStamp;  // timeGetTime at Initialize: the generation of the DirectDraw objects
    uint8_t* targetPointer;
    HDC targetDC;
    int32_t targetLocked;
    int32_t pageParity;
    int32_t lastFlipOk;
    int32_t paletteMode;
    PALETTEENTRY paletteEntries[256];
    int32_t surfaceMemory;
    // Pixel format: per channel the lowest mask bit, the bit count and the left shift
    // that widens the channel to 8 bits. greenBits 5 marks a 5-5-5 16-bit mode.
    int32_t redLow;
    int32_t redBits;
    int32_t redShift;
    int32_t greenLow;
    int32_t greenBits;
    int32_t greenShift;
    int32_t blueLow;
    int32_t blueBits;
    int32_t blueShift;
    // Row offset tables of the render target, built from its pitch: where each row
    // starts, counted in pixels, bytes, 16-bit words and 32-bit words.
    int32_t* pixelOffsets;
    int32_t* byteOffsets;
    int32_t* wordOffsets;
    int32_t* dwordOffsets;
    ClipRect clipRect;
    int32_t targetWidth;
    int32_t targetHeight;
    int32_t targetPitch;
    IDirectDrawSurface* renderTarget;  // borrowed, never released through this field
    IDirectDrawSurface* offscreenBuffer;
    IDirectDrawClipper* clipper;
    int32_t fullScreen;
    RECT windowRect;
    Surface* spareSurface;
    int32_t trailEnabled;
    int32_t trailCount;
    Surface** trailSurfaces;
    HWND windowHandle;
    int32_t active;
    int32_t screenWidth;
    int32_t screenHeight;
    int32_t bitsPerPixel;
    IDirectDraw2* directDraw;
    IDirectDrawSurface* primarySurface;
    IDirectDrawSurface* backBuffer;  // belongs to the flipping chain
    IDirectDrawPalette* palette;
    DDPIXELFORMAT pixelFormat;
    int32_t displayless;  // 1 while started without a display: surfaces name pixelFormat

    DisplayDevice();
    ~DisplayDevice();
    DisplayDevice(const DisplayDevice&) = delete;
    DisplayDevice& operator=(const DisplayDevice&) = delete;

    // Lifecycle
    HWND CreateAppWindow(HINSTANCE instance, const char* title, int32_t width, int32_t height);
    int32_t Initialize(HWND window, int32_t width, int32_t height, int32_t bitsPerPixel,
                       int32_t offscreenMemory);
    // The display in the window instead of the whole screen: the desktop keeps its mode,
    // and Present blits each frame into the window's client area (windowRect).
    int32_t InitializeWindowed(HWND window, int32_t width, int32_t height);
    // Drawing without a display, for programs that only write files: no window, no mode
    // change, no primary surface; the off-screen buffer and every Surface are made in
    // 16-bit 5-6-5, the format of the full-screen tool, so they hold the pixels they would
    // hold there. A failure returns 0 with nothing left taken and nothing shown.
    int32_t InitializeWithoutDisplay(int32_t width, int32_t height);
    int32_t Shutdown();
    int32_t PumpMessages();
    [[noreturn]] void FatalError(const char* message);
    // Windowed: windowRect becomes the window's client area in screen coordinates.
    void FollowWindow();
    // Steps the start-ups share; each failure among them is fatal.
    void BeginStart(HWND window);
    void CreatePrimarySurface(DWORD backBuffers);
    void CreateOffscreenBuffer(int32_t offscreenMemory);
    // The same steps, their failure returned: the message BeginStart and
    // CreateOffscreenBuffer would end the program with, or null.
    const char* TryBeginStart(HWND window);
    const char* TryCreateOffscreenBuffer(int32_t offscreenMemory);
    void ReadPixelFormat();
    void TargetOffscreenBuffer();
    // Ends a start-up: flip state reset and every surface of the display cleared to 0 (the
    // primary surface, the back buffer where there is one, the off-screen buffer), the
    // off-screen buffer left as the render target.
    void ClearDisplaySurfaces(int32_t withBackBuffer);

    // Render target
    int32_t SelectTarget(int32_t kind);
    int32_t SelectOffscreen();
    int32_t SelectSurfaceTarget(Surface& surface);
    int32_t RefreshTargetInfo(int32_t force);
    uint8_t* LockTarget(int32_t wait);
    int32_t UnlockTarget();
    int32_t Clear(uint32_t colour);
    int32_t SetSurfaceMemory(int32_t choice);

    // Pixel format
    int32_t PixelToRgb(uint32_t value, uint8_t& red, uint8_t& green, uint8_t& blue) const;
    static uint16_t HighestSetBit(uint32_t value);
    static uint16_t LowestSetBit(uint32_t value);

    // Palette
    int32_t BuildPalette(int32_t cube);

    // Presentation
    int32_t Present(int32_t wait);
    int32_t SetFrameTrail(int32_t count);
    void StepFrameTrail();  // the trail's part of Present: drop, rotate, capture, mix

    // Surfaces
    int32_t MakeSurface(Surface& surface, int32_t width, int32_t height, int32_t memory);
    int32_t MakeSurfaceFrom(Surface& surface, IDirectDrawSurface* source, int32_t memory);
    int32_t GrabSurface(Surface& surface, const RECT* rect, int32_t memory);

    // Drawing
    int32_t DrawSurface(Surface& surface, int32_t x, int32_t y, int32_t colourKey, int32_t wait);
    int32_t DrawStretched(Surface& surface, int32_t x, int32_t y, int32_t w, int32_t h,
                          int32_t colourKey, int32_t wait);
    int32_t DrawBlended(Surface& surface, int32_t x, int32_t y, int32_t colourKey, int32_t wait);
    int32_t DrawCheckered(Surface& surface, int32_t x, int32_t y, int32_t colourKey, int32_t wait);

    // Export
    int32_t SaveBitmap(const char* path);
};

// The live device; null before its construction and after its destruction.
extern DisplayDevice* currentDevice;

LRESULT CALLBACK DeviceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
