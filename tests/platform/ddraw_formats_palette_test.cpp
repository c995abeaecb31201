// What surfaces report about themselves, palettes on 8-bit surfaces, clip lists, and the
// call log details other parts of the system are checked through.
#include "pixel_view.h"
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "testing.h"

namespace vantor::testing {
namespace {

class DdrawFormats : public DdrawTest {};

DDPIXELFORMAT FormatOf(IDirectDrawSurface* surface) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    EXPECT_EQ(surface->GetPixelFormat(&format), DD_OK);
    return format;
}

TEST_F(DdrawFormats, SixteenBitModesAre565UnlessAskedFor555) {
    TakeDisplay(16);
    IDirectDrawSurface* primary = MakeFlipChain(nullptr);
    DDPIXELFORMAT format = FormatOf(primary);
    EXPECT_EQ(format.dwFlags, DDPF_RGB);
    EXPECT_EQ(format.dwRGBBitCount, 16u);
    EXPECT_EQ(format.dwRBitMask, 0xF800u);
    EXPECT_EQ(format.dwGBitMask, 0x07E0u);
    EXPECT_EQ(format.dwBBitMask, 0x001Fu);

    Use555(true);
    ASSERT_EQ(directDraw->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
    IDirectDrawSurface* plain = MakePlain(4, 4);
    format = FormatOf(plain);
    EXPECT_EQ(format.dwRBitMask, 0x7C00u);
    EXPECT_EQ(format.dwGBitMask, 0x03E0u);
}

TEST_F(DdrawFormats, EightBitSurfacesArePalettizedAndTheChainReportsItsCaps) {
    TakeDisplay(8);
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    DDPIXELFORMAT format = FormatOf(primary);
    EXPECT_EQ(format.dwFlags, DDPF_PALETTEINDEXED8 | DDPF_RGB);
    EXPECT_EQ(format.dwRBitMask | format.dwGBitMask | format.dwBBitMask, 0u);

    DDSCAPS caps{};
    ASSERT_EQ(primary->GetCaps(&caps), DD_OK);
    EXPECT_EQ(caps.dwCaps, DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER | DDSCAPS_FLIP |
                               DDSCAPS_COMPLEX | DDSCAPS_VISIBLE | DDSCAPS_VIDEOMEMORY |
                               DDSCAPS_LOCALVIDMEM);
    ASSERT_EQ(back->GetCaps(&caps), DD_OK);
    EXPECT_EQ(caps.dwCaps, DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX |
                               DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(primary->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwFlags, 0x100Fu | DDSD_BACKBUFFERCOUNT);
    EXPECT_EQ(desc.dwBackBufferCount, 1u);
    EXPECT_EQ(desc.lPitch, 640);

    IDirectDrawSurface* second = nullptr;
    desc = {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &second, nullptr),
              DDERR_PRIMARYSURFACEALREADYEXISTS);
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP;
    EXPECT_EQ(directDraw->CreateSurface(&desc, &second, nullptr), DDERR_INVALIDCAPS);
}

TEST_F(DdrawFormats, PalettesKeepTheirEndsUnlessAllowedAndReachTheView) {
    TakeDisplay(8);
    IDirectDrawSurface* primary = MakeFlipChain(nullptr);
    PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) entries[i] = {BYTE(i), BYTE(255 - i), 7, 0};
    IDirectDrawPalette* fixedEnds = nullptr;
    IDirectDrawPalette* all = nullptr;
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, entries, &fixedEnds, nullptr), DD_OK);
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &all, nullptr),
              DD_OK);
    PALETTEENTRY read[256];
    ASSERT_EQ(fixedEnds->GetEntries(0, 0, 256, read), DD_OK);
    EXPECT_EQ(read[0].peRed + read[0].peGreen + read[0].peBlue, 0);
    EXPECT_EQ(read[255].peRed + read[255].peGreen + read[255].peBlue, 765);
    EXPECT_EQ(read[1].peGreen, 254);

    ASSERT_EQ(primary->SetPalette(all), DD_OK);
    DWORD caps = 0;
    ASSERT_EQ(all->GetCaps(&caps), DD_OK);
    EXPECT_EQ(caps, DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_PRIMARYSURFACE);
    entries[0] = {1, 2, 3, 0};
    ASSERT_EQ(all->SetEntries(0, 0, 1, entries), DD_OK);
    IDirectDrawSurface* plain = MakePlain(4, 4);
    platform::PixelView view{};
    ASSERT_TRUE(platform::ViewSurfacePixels(plain, &view));
    ASSERT_NE(view.palette, nullptr) << "an 8-bit view carries the primary's palette";
    EXPECT_EQ(view.palette[0].peBlue, 3);
    EXPECT_EQ(view.pitch, 4);

    fixedEnds->Release();
    all->Release();
}

TEST_F(DdrawFormats, OnlyEightBitSurfacesTakeAPalette) {
    TakeDisplay(16);
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(directDraw->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    IDirectDrawSurface* primary = MakeFlipChain(nullptr);
    EXPECT_EQ(primary->SetPalette(palette), DDERR_INVALIDPIXELFORMAT);
    palette->Release();
}

TEST_F(DdrawFormats, AOneRectangleClipListRoundTrips) {
    TakeDisplay(16);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    DWORD size = 0;
    EXPECT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DDERR_NOCLIPLIST);
    std::vector<uint8_t> region = MakeRegion({{3, 4, 30, 40}});
    ASSERT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(region.data()), 0), DD_OK);
    region.assign(region.size(), 0xEE);  // the list was copied
    ASSERT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DD_OK);
    ASSERT_EQ(size, 48u);
    std::vector<uint8_t> back(size);
    ASSERT_EQ(clipper->GetClipList(nullptr, reinterpret_cast<RGNDATA*>(back.data()), &size), DD_OK);
    const RGNDATA* data = reinterpret_cast<const RGNDATA*>(back.data());
    EXPECT_EQ(data->rdh.dwSize, 32u);
    EXPECT_EQ(data->rdh.iType, RDH_RECTANGLES);
    EXPECT_EQ(data->rdh.nCount, 1u);
    EXPECT_EQ(data->rdh.nRgnSize, 16u);
    const RECT* rect = reinterpret_cast<const RECT*>(data->Buffer);
    EXPECT_EQ(rect->left, 3);
    EXPECT_EQ(rect->bottom, 40);
    clipper->Release();
}

TEST_F(DdrawFormats, TheCallLogShowsArgumentsAndFlags) {
    RecordCalls(true);
    TakeDisplay(16);
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    RECT box = {0, 0, 2, 2};
    back->Blt(&box, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    back->BltFast(0, 0, back, &box, DDBLTFAST_WAIT);
    primary->Flip(nullptr, DDFLIP_WAIT);
    EXPECT_EQ(CallsNamed("SetCooperativeLevel").at(0).detail, "flags=0x11");
    EXPECT_EQ(CallsNamed("SetDisplayMode").at(0).detail, "640x480x16 refresh=0 flags=0");
    EXPECT_EQ(CallsNamed("CreateSurface").at(0).detail,
              "flags=0x21 caps=0x218 backbuffers=1 width=0 height=0");
    EXPECT_EQ(CallsNamed("Blt").at(0).detail,
              "dst=(0,0,2,2) src=null srcrect=null flags=0x1000400 fill=0x0");
    EXPECT_EQ(CallsNamed("BltFast").at(0).detail, "x=0 y=0 srcrect=(0,0,2,2) flags=0x10");
    EXPECT_EQ(CallsNamed("Flip").at(0).detail, "flags=0x1");
    EXPECT_EQ(CallsNamed("Flip").at(0).object, primary);
    EXPECT_EQ(CallsNamed("Release").at(0).detail, "refs=1");
}

TEST_F(DdrawFormats, InjectedFaultsFailTheCallWithoutEffect) {
    TakeDisplay(16);
    IDirectDrawSurface* surface = MakePlain(4, 4);
    FailCall("Blt", 1, DDERR_SURFACELOST);
    EXPECT_EQ(FillSurface(surface, 9), false);
    EXPECT_EQ(ReadPixel(surface, 0, 0), 0u);
    EXPECT_EQ(FillSurface(surface, 9), true);
}

}  // namespace
}  // namespace vantor::testing
