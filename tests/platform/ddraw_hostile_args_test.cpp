// Whatever a caller passes, DirectDraw answers with the Windows code and never crashes or
// touches memory outside a surface.
#include <limits>

#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "testing.h"

namespace vantor::testing {
namespace {

class DdrawHostile : public DdrawTest {
protected:
    void SetUp() override {
        DdrawTest::SetUp();
        TakeDisplay(16);
    }
    HRESULT CreatePlain(DWORD width, DWORD height,
                        DWORD caps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY) {
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = width;
        desc.dwHeight = height;
        desc.ddsCaps.dwCaps = caps;
        IDirectDrawSurface* made = reinterpret_cast<IDirectDrawSurface*>(0x1);
        return directDraw->CreateSurface(&desc, &made, nullptr);
    }
};

TEST_F(DdrawHostile, SurfaceSizesAreCheckedBeforeAnythingIsAllocated) {
    EXPECT_EQ(CreatePlain(0, 10), DDERR_INVALIDPARAMS);
    EXPECT_EQ(CreatePlain(10, 0), DDERR_INVALIDPARAMS);
    EXPECT_EQ(CreatePlain(DWORD(-16), 10), DDERR_INVALIDPARAMS);
    EXPECT_EQ(CreatePlain(0xFFFFFFFF, 0xFFFFFFFF), DDERR_INVALIDPARAMS);
    EXPECT_EQ(CreatePlain(16384, 16384), DDERR_OUTOFMEMORY);
    EXPECT_EQ(CreatePlain(16384, 16384, DDSCAPS_OFFSCREENPLAIN), DDERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(directDraw->SetDisplayMode(0xFFFFFFFF, 480, 16, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 15, 0, 0), DDERR_INVALIDMODE);
    EXPECT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 1), DDERR_INVALIDPARAMS);
    EXPECT_EQ(CreatePlain(1, 1), DD_OK);
}

TEST_F(DdrawHostile, RecordsOfTheWrongSizeOrMissingAreRefused) {
    DDSURFACEDESC desc{};
    IDirectDrawSurface* made = nullptr;
    desc.dwSize = 108;  // the 32-bit size; this build's record is larger
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = 4;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &made, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->CreateSurface(nullptr, &made, nullptr), DDERR_INVALIDPARAMS);
    desc.dwSize = sizeof desc;
    EXPECT_EQ(directDraw->CreateSurface(&desc, nullptr, nullptr), DDERR_INVALIDPARAMS);
    ASSERT_EQ(directDraw->CreateSurface(&desc, &made, nullptr), DD_OK);

    DDPIXELFORMAT format{};
    format.dwSize = 31;
    EXPECT_EQ(made->GetPixelFormat(&format), DDERR_INVALIDPARAMS);
    EXPECT_EQ(made->GetPixelFormat(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(made->GetSurfaceDesc(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(made->GetAttachedSurface(nullptr, &made), DDERR_INVALIDPARAMS);
    EXPECT_EQ(made->GetDC(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(made->GetCaps(nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, nullptr, nullptr, nullptr),
              DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->CreateClipper(1, nullptr, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->GetDisplayMode(nullptr), DDERR_INVALIDPARAMS);
    DDBLTFX fx{};
    fx.dwSize = sizeof fx - 4;
    EXPECT_EQ(made->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DDERR_INVALIDPARAMS);
    EXPECT_EQ(directDraw->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_INVALIDPARAMS);
}

TEST_F(DdrawHostile, RectanglesFarOutsideAreRefusedWithoutTouchingMemory) {
    IDirectDrawSurface* target = MakePlain(16, 16);
    IDirectDrawSurface* source = MakePlain(8, 8);
    ASSERT_TRUE(FillSurface(source, 0x5555));
    constexpr LONG kMin = std::numeric_limits<LONG>::min(), kMax = std::numeric_limits<LONG>::max();
    for (RECT far : {RECT{kMin, kMin, kMax, kMax}, RECT{kMax - 1, 0, kMax, 1}, RECT{-5, -5, 3, 3},
                     RECT{0, 0, 17, 1}}) {
        EXPECT_EQ(target->Blt(&far, source, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
        EXPECT_EQ(target->Blt(nullptr, source, &far, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
        EXPECT_EQ(target->BltFast(0, 0, source, &far, DDBLTFAST_WAIT), DDERR_INVALIDRECT);
    }
    EXPECT_EQ(target->BltFast(0xFFFFFFFF, 0xFFFFFFFF, source, nullptr, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(target->BltFast(0x7FFFFFFF, 0, source, nullptr, 0), DDERR_INVALIDRECT);
    EXPECT_EQ(ReadAllPixels(target), std::vector<uint32_t>(16 * 16, 0));

    // Through a clipper a destination of billions of pixels is fine: only the surface's
    // pixels inside the clip list are written.
    IDirectDrawClipper* clipper = MakeClipper({kMin, kMin, kMax, kMax});
    ASSERT_EQ(target->SetClipper(clipper), DD_OK);
    RECT huge = {kMin, kMin, kMax, kMax};
    EXPECT_EQ(target->Blt(&huge, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(ReadAllPixels(target), std::vector<uint32_t>(16 * 16, 0x5555));
    clipper->Release();
}

TEST_F(DdrawHostile, PointersThatAreNotOursOrNoLongerLiveAreRefused) {
    IDirectDrawSurface* target = MakePlain(8, 8);
    IDirectDrawSurface* gone = MakePlain(8, 8);
    gone->Release();
    EXPECT_EQ(target->Blt(nullptr, gone, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDOBJECT);
    EXPECT_EQ(target->BltFast(0, 0, gone, nullptr, 0), DDERR_INVALIDOBJECT);
    int notASurface[64] = {};
    auto* foreign = reinterpret_cast<IDirectDrawSurface*>(notASurface);
    EXPECT_EQ(target->Blt(nullptr, foreign, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDOBJECT);
    EXPECT_EQ(target->Flip(foreign, 0), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(target->SetClipper(reinterpret_cast<IDirectDrawClipper*>(notASurface)),
              DDERR_INVALIDOBJECT);
    EXPECT_EQ(target->SetPalette(reinterpret_cast<IDirectDrawPalette*>(notASurface)),
              DDERR_INVALIDOBJECT);
    EXPECT_EQ(gone->Release(), 0u);
    EXPECT_EQ(gone->Unlock(nullptr), DDERR_INVALIDOBJECT);
}

TEST_F(DdrawHostile, MalformedClipListsAndPaletteRangesAreRefused) {
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    std::vector<uint8_t> region = MakeRegion({{0, 0, 4, 4}});
    RGNDATA* data = reinterpret_cast<RGNDATA*>(region.data());
    data->rdh.nCount = 0xFFFFFFFF;
    EXPECT_EQ(clipper->SetClipList(data, 0), DDERR_INVALIDCLIPLIST);
    data->rdh.nCount = 1;
    data->rdh.dwSize = 31;
    EXPECT_EQ(clipper->SetClipList(data, 0), DDERR_INVALIDCLIPLIST);
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    EXPECT_EQ(clipper->SetClipList(data, 1), DDERR_INVALIDPARAMS);
    EXPECT_EQ(clipper->SetClipList(data, 0), DD_OK);
    clipper->Release();

    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(
        directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr),
        DD_OK);
    EXPECT_EQ(palette->SetEntries(0, 255, 2, entries), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->SetEntries(0, 0xFFFFFFFF, 2, entries), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->GetEntries(0, 1, 0xFFFFFFFF, entries), DDERR_INVALIDPARAMS);
    EXPECT_EQ(palette->SetEntries(1, 0, 1, entries), DDERR_INVALIDPARAMS);
    palette->Release();
}

}  // namespace
}  // namespace vantor::testing
