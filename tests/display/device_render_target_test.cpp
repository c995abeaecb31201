// The render target: selection and its refusals, the row tables and the refresh shortcut,
// locking and unlocking, and whole-target fills.
#include <gtest/gtest.h>

#include <vector>

#include "display/row_tables.h"
#include "support/device_fixture.h"
#include "surfaces/surface.h"
#include "testing.h"

namespace {

namespace hooks = vantor::testing;
using hooks::DeviceTest;
using hooks::kScreenHeight;
using hooks::kScreenWidth;

class RenderTargetTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        StartDevice();
    }
    void ExpectWholeTargetClip() {
        EXPECT_EQ(device->clipRect.left, 0);
        EXPECT_EQ(device->clipRect.top, 0);
        EXPECT_EQ(device->clipRect.right, device->targetWidth);
        EXPECT_EQ(device->clipRect.bottom, device->targetHeight);
    }
};

TEST_F(RenderTargetTest, EachKindSelectsItsSurfaceAndResetsTheClip) {
    const std::pair<TargetKind, IDirectDrawSurface*> kinds[] = {
        {TargetKind::Primary, device->primarySurface},
        {TargetKind::BackBuffer, device->backBuffer},
        {TargetKind::Offscreen, device->offscreenBuffer}};
    for (auto [kind, surface] : kinds) {
        device->clipRect = {5, 6, 7, 8};
        EXPECT_EQ(device->SelectTarget(static_cast<int32_t>(kind)), 1);
        EXPECT_EQ(device->renderTarget, surface);
        ExpectWholeTargetClip();
    }
    IDirectDrawSurface* before = device->renderTarget;
    for (int32_t bad : {3, -1, 1000}) {
        EXPECT_EQ(device->SelectTarget(bad), 0);
        EXPECT_EQ(device->renderTarget, before);
    }
}

TEST_F(RenderTargetTest, TablesFollowThePitchAndAreKeptForATargetOfTheSameShape) {
    EXPECT_EQ(device->targetPitch, 1280);
    EXPECT_EQ(device->pixelOffsets[1], 640);
    EXPECT_EQ(device->byteOffsets[1], 1280);
    EXPECT_EQ(device->wordOffsets[1], 640);
    EXPECT_EQ(device->dwordOffsets[1], 320);
    EXPECT_EQ(device->byteOffsets[479], 479 * 1280);
    const int32_t* tables = device->pixelOffsets;
    ASSERT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::BackBuffer)), 1);
    EXPECT_EQ(device->pixelOffsets, tables);  // same size and pitch: no new allocation
    ASSERT_EQ(device->RefreshTargetInfo(1), 1);
    EXPECT_EQ(device->pixelOffsets[479], 479 * 640);  // rebuilt, with the same values
}

// A glyph sheet switches between the off-screen buffer and surfaces of other shapes, whose
// tables are kept aside and taken back: each switch must bring tables of the new shape.
TEST_F(RenderTargetTest, ASurfaceTargetBringsItsOwnSizeAndTables) {
    Surface sheet, taller, narrower;
    ASSERT_EQ(device->MakeSurface(sheet, 100, 7, 0), 1);
    ASSERT_EQ(device->MakeSurface(taller, 100, 9, 0), 1);
    ASSERT_EQ(device->MakeSurface(narrower, 50, 7, 0), 1);
    for (Surface* surface : {&sheet, &sheet, &taller, &sheet, &narrower, &sheet}) {
        ASSERT_EQ(device->SelectSurfaceTarget(*surface), 1);
        EXPECT_EQ(device->targetWidth, surface->width);
        EXPECT_EQ(device->targetHeight, surface->height);
        for (int32_t row = 0; row < surface->height; ++row)
            ASSERT_EQ(device->byteOffsets[row], row * device->targetPitch) << row;
        EXPECT_EQ(device->pixelOffsets[surface->height - 1],
                  (surface->height - 1) * surface->width);
        ExpectWholeTargetClip();
        ASSERT_EQ(device->SelectOffscreen(), 1);
        EXPECT_EQ(device->targetWidth, kScreenWidth);
        EXPECT_EQ(device->pixelOffsets[479], 479 * 640);
    }
}

TEST(RowOffsetsTest, APixelEntryDividesTheWholeRowOffset) {
    // At 24 bits a pitch that is no whole number of pixels truncates per row.
    std::vector<int32_t> pixel(4), byte(4), word(4), dword(4);
    FillRowOffsets(pixel.data(), byte.data(), word.data(), dword.data(), 4, 100, 24);
    EXPECT_EQ(pixel, (std::vector<int32_t>{0, 33, 66, 100}));
    EXPECT_EQ(byte, (std::vector<int32_t>{0, 100, 200, 300}));
    EXPECT_EQ(word, (std::vector<int32_t>{0, 50, 100, 150}));
    EXPECT_EQ(dword, (std::vector<int32_t>{0, 25, 50, 75}));
    FillRowOffsets(pixel.data(), byte.data(), word.data(), dword.data(), 4, 640, 8);
    EXPECT_EQ(pixel, byte);
    FillRowOffsets(pixel.data(), byte.data(), word.data(), dword.data(), 4, 2560, 32);
    EXPECT_EQ(pixel, (std::vector<int32_t>{0, 640, 1280, 1920}));
    EXPECT_EQ(pixel, dword);
}

TEST_F(RenderTargetTest, ALockedTargetCannotBeChangedOrLockedTwice) {
    uint8_t* pixels = device->LockTarget(1);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(device->targetLocked, 1);
    EXPECT_EQ(device->targetPointer, pixels);
    EXPECT_EQ(device->LockTarget(1), nullptr);
    EXPECT_EQ(device->targetPointer, pixels);
    EXPECT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::Primary)), 0);
    EXPECT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::Offscreen)), 0);
    EXPECT_EQ(device->UnlockTarget(), 1);
    EXPECT_EQ(device->targetPointer, nullptr);
    EXPECT_EQ(device->UnlockTarget(), 0);
}

TEST_F(RenderTargetTest, SelectOffscreenWhileLockedKeepsTheLockedTarget) {
    ASSERT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::BackBuffer)), 1);
    ASSERT_NE(device->LockTarget(0), nullptr);
    EXPECT_EQ(device->SelectOffscreen(), 1);
    EXPECT_EQ(device->renderTarget, device->backBuffer);
}

TEST_F(RenderTargetTest, RefusedLocksAndUnlocksLeaveTheState) {
    hooks::RecordCalls(true);
    hooks::FailCall("Lock");
    EXPECT_EQ(device->LockTarget(1), nullptr);
    EXPECT_EQ(device->targetLocked, 0);
    EXPECT_EQ(hooks::CallsNamed("Lock").at(0).detail, "flags=0x1");
    uint8_t* pixels = device->LockTarget(7);  // any wait but 1 does not wait
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(hooks::CallsNamed("Lock").at(1).detail, "flags=0");
    hooks::FailCall("Unlock");
    EXPECT_EQ(device->UnlockTarget(), 0);
    EXPECT_EQ(device->targetLocked, 1);
    EXPECT_EQ(device->targetPointer, pixels);
    EXPECT_EQ(device->UnlockTarget(), 1);
}

TEST_F(RenderTargetTest, LockedPixelsAreAddressedThroughThePixelTable) {
    ASSERT_EQ(device->Clear(0xF81F), 1);
    uint16_t* pixels = reinterpret_cast<uint16_t*>(device->LockTarget(1));
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[device->pixelOffsets[479] + 639], 0xF81F);
    pixels[device->pixelOffsets[200] + 10] = 0x07E0;
    ASSERT_EQ(device->UnlockTarget(), 1);
    EXPECT_EQ(hooks::ReadPixel(device->offscreenBuffer, 10, 200), 0x07E0u);
    EXPECT_EQ(hooks::ReadPixel(device->offscreenBuffer, 11, 200), 0xF81Fu);
}

TEST_F(RenderTargetTest, ClearFillsTheWholeTargetOnly) {
    ASSERT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::BackBuffer)), 1);
    device->clipRect = {10, 10, 20, 20};  // a fill ignores the clip rectangle
    EXPECT_EQ(device->Clear(0x1234), 1);
    EXPECT_EQ(hooks::ReadPixel(device->backBuffer, 0, 0), 0x1234u);
    EXPECT_EQ(hooks::ReadPixel(device->backBuffer, 639, 479), 0x1234u);
    EXPECT_EQ(hooks::ReadPixel(device->offscreenBuffer, 0, 0), 0u);
    hooks::FailCall("Blt");
    EXPECT_EQ(device->Clear(0), 0);
    EXPECT_EQ(hooks::ReadPixel(device->backBuffer, 5, 5), 0x1234u);
}

TEST_F(RenderTargetTest, AFailedDescriptionReadsAsAnEmptyTarget) {
    hooks::FailCall("GetSurfaceDesc");
    EXPECT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::Primary)), 1);
    EXPECT_EQ(device->targetWidth, 0);
    EXPECT_EQ(device->targetHeight, 0);
    ExpectWholeTargetClip();
    EXPECT_EQ(device->SelectTarget(static_cast<int32_t>(TargetKind::Offscreen)), 1);
    EXPECT_EQ(device->targetHeight, kScreenHeight);
}

}  // namespace
