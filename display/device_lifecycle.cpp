// The device's life: construction, taking the display (Initialize), giving it back
// (Shutdown), destruction, and the fatal-error exit.
#include <cstdlib>
#include <cstring>

#include "display/device_steps.h"
#include "display/frame_trail.h"
#include "display/row_tables.h"
#include "surfaces/surface.h"

DisplayDevice* currentDevice = nullptr;

namespace {

template <typename Interface>
void ReleaseAndClear(Interface*& object) {
    if (object != nullptr) object->Release();
    object = nullptr;
}

// Initialize hides the cursor right after it builds the target's row tables, and nothing
// between the two can fail; Shutdown frees the tables. So the tables exist exactly while
// the cursor is hidden by this device, and Shutdown shows it only then: a start-up that
// failed earlier leaves the cursor counter where it found it. A display in a window leaves
// the pointer to the desktop.
bool CursorHiddenByDevice(const DisplayDevice& device) {
    return device.pixelOffsets != nullptr && device.fullScreen == 1;
}

// The stamp of a new generation: the clock, unless it is not ahead of the last stamp (in
// the clock's wrapping order). Surfaces tell generations apart by it, so two starts within
// one millisecond must still differ. 0 is the constructor's "no generation yet".
uint32_t NextGeneration(uint32_t previous) {
    const uint32_t now = timeGetTime();
    if (previous == 0 || static_cast<int32_t>(now - previous) > 0) return now;
    return previous + 1;
}

}  // namespace

DisplayDevice::DisplayDevice() {
    // Every field the constructor does not set starts at zero, whoever owns the storage.
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    currentDevice = this;
    surfaceMemory = 0;
    active = 1;
    spareSurface = new Surface;
    trailCount = 0;
    trailEnabled = 0;
    trailSurfaces = new Surface*[1]();  // one empty slot serves a ring of one
}

DisplayDevice::~DisplayDevice() {
    if (initialized == 1) Shutdown();
    delete spareSurface;
    spareSurface = nullptr;
    DestroyTrailRing(trailSurfaces, trailCount);
    trailSurfaces = nullptr;
    trailCount = 0;
    if (currentDevice == this) currentDevice = nullptr;
}

// The first steps of every start-up: every field the display sets up zeroed, the new
// generation begun, and the DirectDraw object made.
const char* DisplayDevice::TryBeginStart(HWND window) {
    targetPointer = nullptr;
    targetDC = nullptr;
    targetLocked = 0;
    pageParity = 0;
    paletteMode = 0;
    std::memset(paletteEntries, 0, sizeof paletteEntries);
    redLow = redBits = redShift = 0;
    greenLow = greenBits = greenShift = 0;
    blueLow = blueBits = blueShift = 0;
    pixelOffsets = byteOffsets = wordOffsets = dwordOffsets = nullptr;  // freed by Shutdown
    clipRect = {0, 0, 0, 0};
    targetWidth = targetHeight = targetPitch = 0;
    renderTarget = offscreenBuffer = primarySurface = backBuffer = nullptr;
    windowHandle = nullptr;
    screenWidth = screenHeight = bitsPerPixel = 0;
    directDraw = nullptr;
    palette = nullptr;
    displayless = 0;

    initialized = 1;
    startStamp = NextGeneration(startStamp);
    windowHandle = window;

    IDirectDraw* first = nullptr;
    if (DirectDrawCreate(nullptr, &first, nullptr) != DD_OK)
        return "Can't Create a DirectDraw Object.";
    // The first interface goes whether or not it gave the second one, so that a failure
    // here leaves no DirectDraw object behind.
    const HRESULT queried =
        first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw));
    first->Release();
    if (queried != DD_OK) {
        directDraw = nullptr;
        return "Can't Retrieve the DirectDraw2 object";
    }
    return nullptr;
}

void DisplayDevice::BeginStart(HWND window) {
    if (const char* failure = TryBeginStart(window)) FatalError(failure);
}

// The primary surface, with a flipping chain of that many back buffers or none. A failure
// is fatal.
void DisplayDevice::CreatePrimarySurface(DWORD backBuffers) {
    DDSURFACEDESC primaryDesc{};
    primaryDesc.dwSize = sizeof primaryDesc;
    primaryDesc.dwFlags = backBuffers != 0 ? DDSD_CAPS | DDSD_BACKBUFFERCOUNT : DDSD_CAPS;
    primaryDesc.dwBackBufferCount = backBuffers;
    primaryDesc.ddsCaps.dwCaps = backBuffers != 0
                                     ? DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX
                                     : DDSCAPS_PRIMARYSURFACE;
    if (directDraw->CreateSurface(&primaryDesc, &primarySurface, nullptr) != DD_OK) {
        primarySurface = nullptr;
        FatalError("Can't create drawing surface.");
    }
}

// The off-screen buffer: plain, of screen size, in the display's format (or, without a
// display, the device's own).
const char* DisplayDevice::TryCreateOffscreenBuffer(int32_t offscreenMemory) {
    DDSURFACEDESC offscreenDesc{};
    offscreenDesc.dwSize = sizeof offscreenDesc;
    offscreenDesc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    offscreenDesc.dwHeight = screenHeight;
    offscreenDesc.dwWidth = screenWidth;
    offscreenDesc.ddsCaps.dwCaps = offscreenMemory != 0
                                       ? DDSCAPS_OFFSCREENPLAIN
                                       : DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    NameSurfaceFormat(*this, offscreenDesc);
    if (directDraw->CreateSurface(&offscreenDesc, &offscreenBuffer, nullptr) != DD_OK) {
        offscreenBuffer = nullptr;
        return "Can't create the offscreen surface.";
    }
    return nullptr;
}

void DisplayDevice::CreateOffscreenBuffer(int32_t offscreenMemory) {
    if (const char* failure = TryCreateOffscreenBuffer(offscreenMemory)) FatalError(failure);
}

// The pixel format of the primary surface, decoded. A failure is fatal.
void DisplayDevice::ReadPixelFormat() {
    std::memset(&pixelFormat, 0, sizeof pixelFormat);
    pixelFormat.dwSize = sizeof pixelFormat;
    if (primarySurface->GetPixelFormat(&pixelFormat) != DD_OK)
        FatalError("Failed to get the pixel format.");
    DecodePixelFormat(*this);
}

// The render target becomes the off-screen buffer, with row tables of its own.
void DisplayDevice::TargetOffscreenBuffer() {
    renderTarget = offscreenBuffer;
    AllocateTargetTables(*this, 1);
    RefreshTargetInfo(1);
}

void DisplayDevice::ClearDisplaySurfaces(int32_t withBackBuffer) {
    pageParity = 0;
    lastFlipOk = 1;
    if (targetLocked != 1) MakeRenderTarget(*this, primarySurface);
    Clear(0);
    if (withBackBuffer == 1) {
        SelectTarget(static_cast<int32_t>(TargetKind::BackBuffer));
        Clear(0);
    }
    SelectTarget(static_cast<int32_t>(TargetKind::Offscreen));
    Clear(0);
}

int32_t DisplayDevice::Initialize(HWND window, int32_t width, int32_t height, int32_t bits,
                                  int32_t offscreenMemory) {
    if (initialized == 1) return 0;
    BeginStart(window);
    if (directDraw->SetCooperativeLevel(windowHandle, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) != DD_OK)
        FatalError("Can't get control of the screen.");

    bitsPerPixel = bits;
    screenWidth = width;
    screenHeight = height;
    fullScreen = 1;
    clipRect = {0, 0, width, height};
    paletteMode = bits == 8 ? 1 : 0;
    if (directDraw->SetDisplayMode(width, height, bits, 0, 0) != DD_OK)
        FatalError("Can't Set Display Mode.");

    CreatePrimarySurface(1);
    DDSCAPS backCaps{DDSCAPS_BACKBUFFER};
    if (primarySurface->GetAttachedSurface(&backCaps, &backBuffer) != DD_OK) {
        backBuffer = nullptr;
        FatalError("Can't get the back buffer.");
    }

    CreateOffscreenBuffer(offscreenMemory);

    BuildPalette(1);
    SetUpDisplayPalette(*this);
    ReadPixelFormat();

    TargetOffscreenBuffer();
    ShowCursor(FALSE);

    ClearDisplaySurfaces(1);
    return 1;
}

// The display in a window: the desktop keeps its mode and the primary surface is the
// desktop itself, so the frame is blitted into the window's client area through a clipper
// bound to the window. The off-screen buffer is made in the desktop's pixel format.
int32_t DisplayDevice::InitializeWindowed(HWND window, int32_t width, int32_t height) {
    if (initialized == 1) return 0;
    BeginStart(window);
    if (directDraw->SetCooperativeLevel(windowHandle, DDSCL_NORMAL) != DD_OK)
        FatalError("Can't get control of the screen.");

    screenWidth = width;
    screenHeight = height;
    fullScreen = 0;
    clipRect = {0, 0, width, height};

    CreatePrimarySurface(0);
    if (directDraw->CreateClipper(0, &clipper, nullptr) != DD_OK) {
        clipper = nullptr;
        FatalError("Can't create the clipper.");
    }
    if (clipper->SetHWnd(0, windowHandle) != DD_OK)
        FatalError("Can't attach the clipper to the window.");
    if (primarySurface->SetClipper(clipper) != DD_OK) FatalError("Can't set the clipper.");
    ReadPixelFormat();
    bitsPerPixel = static_cast<int32_t>(pixelFormat.dwRGBBitCount);
    paletteMode = bitsPerPixel == 8 ? 1 : 0;
    CreateOffscreenBuffer(1);

    BuildPalette(1);
    SetUpDisplayPalette(*this);
    TargetOffscreenBuffer();
    FollowWindow();

    // The primary surface is the whole desktop: only the window's part of it is cleared.
    ClearDisplaySurfaces(0);
    return 1;
}

int32_t DisplayDevice::Shutdown() {
    if (initialized != 1) return 0;
    const bool showCursor = CursorHiddenByDevice(*this);

    if (targetLocked == 1) UnlockTarget();
    if (targetDC != nullptr && renderTarget != nullptr) renderTarget->ReleaseDC(targetDC);
    targetDC = nullptr;
    if (fullScreen == 1 && directDraw != nullptr) {
        directDraw->FlipToGDISurface();
        directDraw->RestoreDisplayMode();
    }
    FreeTargetTables(*this);
    if (fullScreen == 0) {
        if (primarySurface != nullptr) primarySurface->SetClipper(nullptr);
        ReleaseAndClear(clipper);
    }
    if (spareSurface != nullptr) spareSurface->Release();
    ReleaseAndClear(offscreenBuffer);
    // The back buffer goes with its flipping chain; the palette loses the primary's
    // reference with it and ours here. Neither pointer is left dangling.
    ReleaseAndClear(primarySurface);
    backBuffer = nullptr;
    renderTarget = nullptr;
    ReleaseAndClear(palette);
    ReleaseAndClear(directDraw);
    if (showCursor) ShowCursor(TRUE);

    initialized = 0;
    return 1;
}

void DisplayDevice::FatalError(const char* message) {
    if (initialized == 1) Shutdown();
    // The box belongs to the device's window while it exists; a window already gone would
    // make the box fail and the message be lost, so it is shown without an owner then.
    HWND owner = windowHandle != nullptr && IsWindow(windowHandle) ? windowHandle : nullptr;
    MessageBoxA(owner, message, "Error", MB_ICONWARNING);
    std::exit(1);
}
