// The Surface record: making, locking, releasing across device generations, row tables
// and selection as the render target.
#include <gtest/gtest.h>

#include "support/surface_device.h"
#include "testing.h"

namespace vantor::testing {
namespace {

using SurfaceLifecycle = SurfaceDeviceTest;

int ReleasesOf(const void* object) {
    int count = 0;
    for (const PlatformCall& call : CallsNamed("Release"))
        if (call.object == object) ++count;
    return count;
}

void ExpectCleared(const Surface& surface) {
    EXPECT_EQ(surface.created, 0);
    EXPECT_EQ(surface.owner, nullptr);
    EXPECT_EQ(surface.width, 0);
    EXPECT_EQ(surface.height, 0);
    EXPECT_EQ(surface.bitsPerPixel, 0);
    EXPECT_EQ(surface.ddSurface, nullptr);
}

// Initialize names its generation by the millisecond timer; a new generation needs a tick.
void MoveTheTimerOn() { AdvanceTimer(1); }

TEST_F(SurfaceLifecycle, ReleaseWithinItsGenerationHandsTheSurfaceBack) {
    Surface surface;
    ASSERT_EQ(device->MakeSurface(surface, 8, 4, 0), 1);
    IDirectDrawSurface* held = surface.ddSurface;
    int live = LiveObjects();
    RecordCalls(true);
    EXPECT_EQ(surface.Release(), 1);
    EXPECT_EQ(ReleasesOf(held), 1);
    EXPECT_EQ(LiveObjects(), live - 1);
    ExpectCleared(surface);
    EXPECT_EQ(surface.Release(), 0) << "an empty Surface has nothing to release";
}

TEST_F(SurfaceLifecycle, ReleaseAfterShutdownOrANewGenerationLeavesThePlatformAlone) {
    Surface beforeShutdown, beforeRestart;
    ASSERT_EQ(device->MakeSurface(beforeShutdown, 8, 4, 0), 1);
    ASSERT_EQ(device->MakeSurface(beforeRestart, 8, 4, 0), 1);
    IDirectDrawSurface* first = beforeShutdown.ddSurface;
    IDirectDrawSurface* second = beforeRestart.ddSurface;
    uint32_t oldStamp = device->startStamp;
    ASSERT_EQ(device->Shutdown(), 1);

    RecordCalls(true);
    EXPECT_EQ(beforeShutdown.Release(), 1);
    EXPECT_EQ(ReleasesOf(first), 0);
    ExpectCleared(beforeShutdown);
    EXPECT_EQ(beforeShutdown.createdStamp, oldStamp) << "the stamp is kept";

    MoveTheTimerOn();
    ASSERT_EQ(device->Initialize(window, 640, 480, 16, 1), 1);
    ClearCallLog();
    EXPECT_EQ(beforeRestart.Release(), 1);
    EXPECT_EQ(ReleasesOf(second), 0);
    EXPECT_TRUE(CallsNamed("Release").empty());
    ExpectCleared(beforeRestart);
}

TEST_F(SurfaceLifecycle, SurfacesOfADestroyedDeviceTouchNothing) {
    auto orphan = std::make_unique<Surface>();
    auto survivor = std::make_unique<Surface>();
    for (Surface* surface : {orphan.get(), survivor.get()}) {
        ASSERT_EQ(device->MakeSurface(*surface, 8, 4, 0), 1);
        ASSERT_NE(surface->Lock(1), nullptr);
    }
    device.reset();  // shuts the display down and clears currentDevice
    RecordCalls(true);
    EXPECT_EQ(orphan->Unlock(), 0);
    EXPECT_EQ(orphan->locked, 1);
    orphan.reset();
    EXPECT_TRUE(CallLog().empty());

    // Nor once another device has taken its place, perhaps at the same address.
    MoveTheTimerOn();
    RestartDevice(DeviceMode{});
    RecordCalls(true);
    EXPECT_EQ(survivor->Unlock(), 0);
    EXPECT_EQ(survivor->Release(), 1);
    survivor.reset();
    EXPECT_TRUE(CallLog().empty());
}

TEST_F(SurfaceLifecycle, LockStateMachine) {
    Surface surface;
    EXPECT_EQ(surface.Lock(1), nullptr) << "an empty Surface cannot be locked";
    ASSERT_EQ(device->MakeSurface(surface, 8, 4, 0), 1);

    FailCall("Lock");
    EXPECT_EQ(surface.Lock(1), nullptr);
    EXPECT_EQ(surface.locked, 0) << "a failed lock changes nothing";

    uint8_t* pixels = surface.Lock(0);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(surface.Lock(1), nullptr) << "a second lock is refused";
    EXPECT_EQ(surface.locked, 1);
    EXPECT_EQ(surface.Unlock(), 1);
    EXPECT_EQ(surface.Unlock(), 0);

    ASSERT_NE(surface.Lock(1), nullptr);
    ASSERT_EQ(device->Shutdown(), 1);
    EXPECT_EQ(surface.Unlock(), 0) << "nothing to unlock once the display is shut down";
    EXPECT_EQ(surface.locked, 1);
    MoveTheTimerOn();
    ASSERT_EQ(device->Initialize(window, 640, 480, 16, 1), 1);
    EXPECT_EQ(surface.Unlock(), 0) << "nor in a later generation";
}

TEST_F(SurfaceLifecycle, ASurfaceReleasedWhileLockedNeedsOneUnlockAfterItIsMadeAgain) {
    Surface surface;
    ASSERT_EQ(device->MakeSurface(surface, 8, 4, 0), 1);
    ASSERT_NE(surface.Lock(1), nullptr);
    ASSERT_EQ(device->MakeSurface(surface, 6, 3, 0), 1);  // releases the locked one first
    EXPECT_EQ(surface.created, 1);
    EXPECT_EQ(surface.locked, 1);
    EXPECT_EQ(surface.Lock(1), nullptr);
    RecordCalls(true);
    EXPECT_EQ(surface.Unlock(), 1);
    EXPECT_EQ(CallsNamed("Unlock").size(), 1u) << "the platform is asked, its answer ignored";
    EXPECT_EQ(surface.locked, 0);
    EXPECT_NE(surface.Lock(1), nullptr);
    surface.Unlock();
}

TEST_F(SurfaceLifecycle, MemoryArgumentChoosesThePlacement) {
    struct Case {
        int32_t deviceDefault;
        int32_t memory;
        const char* request;
    };
    const Case cases[] = {{0, -1, "flags=0x7 caps=0x840"}, {1, -1, "flags=0x7 caps=0x40"},
                          {0, 0, "flags=0x7 caps=0x840"},  {0, 1, "flags=0x7 caps=0x40"},
                          {0, 2, "flags=0x7 caps=0x840"},  {1, -2, "flags=0x7 caps=0x840"},
                          {1, 0, "flags=0x7 caps=0x840"}};
    RecordCalls(true);
    for (const Case& c : cases) {
        ClearCallLog();
        device->SetSurfaceMemory(c.deviceDefault);
        Surface surface;
        ASSERT_EQ(device->MakeSurface(surface, 4, 3, c.memory), 1);
        ASSERT_EQ(CallsNamed("CreateSurface").size(), 1u);
        EXPECT_EQ(CallsNamed("CreateSurface")[0].detail,
                  std::string(c.request) + " backbuffers=0 width=4 height=3")
            << "surfaceMemory " << c.deviceDefault << ", memory " << c.memory;
    }
}

TEST(SurfaceRowTables, RestOnTheWidthWithUnitDivisionsFirst) {
    struct Case {
        int32_t bitsPerPixel;
        int32_t bytes, words, dwords;  // row 1 entries; row r is r times these
    };
    for (Case c : {Case{16, 200, 100, 0}, {32, 400, 200, 100}, {8, 100, 0, 0}, {24, 300, 100, 0}}) {
        Surface surface;
        surface.width = 100;
        surface.height = 3;
        surface.bitsPerPixel = c.bitsPerPixel;
        EXPECT_EQ(surface.BuildRowTables(), 1);
        for (int32_t r = 0; r < 3; ++r) {
            EXPECT_EQ(surface.pixelOffsets[r], 100 * r);
            EXPECT_EQ(surface.byteOffsets[r], c.bytes * r) << c.bitsPerPixel << " bits, row " << r;
            EXPECT_EQ(surface.wordOffsets[r], c.words * r) << c.bitsPerPixel << " bits, row " << r;
            EXPECT_EQ(surface.dwordOffsets[r], c.dwords * r)
                << c.bitsPerPixel << " bits, row " << r;
        }
    }
}

TEST_F(SurfaceLifecycle, MakingAgainReplacesSizeAndTables) {
    Surface surface;
    ASSERT_EQ(device->MakeSurface(surface, 100, 3, 0), 1);
    ASSERT_EQ(device->MakeSurface(surface, 7, 5, 0), 1);
    EXPECT_EQ(surface.width, 7);
    EXPECT_EQ(surface.height, 5);
    EXPECT_EQ(surface.bitsPerPixel, 16);
    EXPECT_EQ(surface.owner, device.get());
    EXPECT_EQ(surface.startStampRef, &device->startStamp);
    EXPECT_EQ(surface.pixelOffsets[4], 28);
    EXPECT_EQ(surface.byteOffsets[4], 56);
}

TEST_F(SurfaceLifecycle, NegativeSizesAreRefusedBeforeAnythingChanges) {
    Surface surface;
    ASSERT_EQ(device->MakeSurface(surface, 8, 4, 0), 1);
    IDirectDrawSurface* held = surface.ddSurface;
    int live = LiveObjects();
    RecordCalls(true);
    EXPECT_EQ(device->MakeSurface(surface, -1, 4, 0), 0);
    EXPECT_EQ(device->MakeSurface(surface, 4, -1, 0), 0);
    RECT inverted{10, 10, 5, 20};
    EXPECT_EQ(device->GrabSurface(surface, &inverted, 0), 0);
    EXPECT_TRUE(CallsNamed("CreateSurface").empty());
    EXPECT_EQ(LiveObjects(), live);
    EXPECT_EQ(surface.ddSurface, held) << "the Surface keeps what it held";
    EXPECT_EQ(surface.width, 8);
}

TEST_F(SurfaceLifecycle, AFailedMakeLeavesTheSurfaceEmpty) {
    Surface surface;
    ASSERT_EQ(device->MakeSurface(surface, 8, 4, 0), 1);
    int live = LiveObjects();
    FailCall("CreateSurface");
    EXPECT_EQ(device->MakeSurface(surface, 8, 4, 0), 0);
    EXPECT_EQ(surface.created, 0);
    EXPECT_EQ(surface.ddSurface, nullptr);
    EXPECT_EQ(LiveObjects(), live - 1) << "the previous surface was released";
}

// A target whose pixel at (x, y) is 100 * y + x, so every copy shows where it came from.
PackedImage NumberedImage(int32_t width, int32_t height) {
    PackedImage image(width, height, 2);
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            image.SetPixel(y, x, static_cast<uint32_t>(100 * y + x));
    return image;
}

TEST_F(SurfaceLifecycle, GrabCopiesARectangleOrTheWholeTarget) {
    Surface canvas;
    MakeSurfaceWith(*device, canvas, NumberedImage(30, 20));
    ASSERT_EQ(device->SelectSurfaceTarget(canvas), 1);

    Surface whole, part, outside;
    ASSERT_EQ(device->GrabSurface(whole, nullptr, 0), 1);
    EXPECT_EQ(whole.width, 30);
    EXPECT_EQ(whole.height, 20);
    EXPECT_EQ(ReadSurface(whole).bytes, NumberedImage(30, 20).bytes);

    RECT area{5, 3, 12, 9};
    ASSERT_EQ(device->GrabSurface(part, &area, 0), 1);
    PackedImage copy = ReadSurface(part);
    ASSERT_EQ(copy.width, 7);
    ASSERT_EQ(copy.height, 6);
    EXPECT_EQ(copy.Pixel(0, 0), 305u);
    EXPECT_EQ(copy.Pixel(5, 6), 811u);

    RECT beyond{25, 0, 35, 5};  // not clipped: the copy fails, the Surface stays made
    EXPECT_EQ(device->GrabSurface(outside, &beyond, 0), 0);
    EXPECT_EQ(outside.created, 1);
    EXPECT_EQ(outside.width, 10);
}

TEST_F(SurfaceLifecycle, MakeFromCopiesAWholeSurface) {
    Surface source, copy;
    MakeSurfaceWith(*device, source, NumberedImage(9, 4));
    ASSERT_EQ(device->MakeSurfaceFrom(copy, source.ddSurface, 0), 1);
    EXPECT_EQ(copy.width, 9);
    EXPECT_EQ(copy.height, 4);
    EXPECT_EQ(ReadSurface(copy).bytes, NumberedImage(9, 4).bytes);
}

TEST_F(SurfaceLifecycle, ASurfaceIsNeverRemadeFromItself) {
    Surface canvas;
    MakeSurfaceWith(*device, canvas, NumberedImage(12, 6));
    IDirectDrawSurface* held = canvas.ddSurface;
    EXPECT_EQ(device->MakeSurfaceFrom(canvas, canvas.ddSurface, 0), 0);
    ASSERT_EQ(device->SelectSurfaceTarget(canvas), 1);
    EXPECT_EQ(device->GrabSurface(canvas, nullptr, 0), 0) << "it would release the render target";
    EXPECT_EQ(canvas.ddSurface, held);
    EXPECT_EQ(device->renderTarget, held);
    EXPECT_EQ(ReadSurface(canvas).bytes, NumberedImage(12, 6).bytes);
}

TEST_F(SurfaceLifecycle, SelectingASurfaceMakesItTheWholeTarget) {
    Surface sheet;
    ASSERT_EQ(device->MakeSurface(sheet, 50, 20, 0), 1);
    ASSERT_NE(sheet.Lock(1), nullptr);
    ASSERT_EQ(device->SelectSurfaceTarget(sheet), 1);
    EXPECT_EQ(sheet.locked, 0) << "a locked Surface is unlocked before it becomes the target";
    EXPECT_EQ(device->renderTarget, sheet.ddSurface);
    EXPECT_EQ(device->targetWidth, 50);
    EXPECT_EQ(device->targetHeight, 20);
    EXPECT_EQ(device->clipRect.right, 50);
    EXPECT_EQ(device->clipRect.bottom, 20);

    Surface other;
    ASSERT_EQ(device->MakeSurface(other, 10, 10, 0), 1);
    ASSERT_NE(device->LockTarget(1), nullptr);
    EXPECT_EQ(device->SelectSurfaceTarget(other), 0);
    EXPECT_EQ(device->renderTarget, sheet.ddSurface);
    EXPECT_EQ(device->targetWidth, 50);
    device->UnlockTarget();

    Surface empty;
    EXPECT_EQ(device->SelectSurfaceTarget(empty), 0);
    EXPECT_EQ(device->renderTarget, sheet.ddSurface);
}

}  // namespace
}  // namespace vantor::testing
