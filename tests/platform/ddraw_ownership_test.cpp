// Reference counts and ownership: the DirectDraw object owns what it makes, releasing it
// frees everything and gives the desktop back, and released objects answer with an error.
#include "modules.h"
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"
#include "testing.h"

namespace vantor::testing {
namespace {

class DdrawOwnership : public DdrawTest {};

TEST_F(DdrawOwnership, ReleasingTheDirectDrawObjectFreesEverythingWhateverTheCounts) {
    TakeDisplay(8);
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    IDirectDrawSurface* plain = MakePlain(8, 8);
    plain->AddRef();
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(
        directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr),
        DD_OK);
    ASSERT_EQ(primary->SetPalette(palette), DD_OK);
    IDirectDrawClipper* clipper = MakeClipper({0, 0, 8, 8});
    ASSERT_EQ(plain->SetClipper(clipper), DD_OK);
    EXPECT_EQ(platform::DdrawLiveObjects(), 6);
    EXPECT_TRUE(ExclusiveMode());

    EXPECT_EQ(directDraw->Release(), 0u);
    directDraw = nullptr;
    EXPECT_EQ(platform::DdrawLiveObjects(), 0);
    EXPECT_FALSE(ExclusiveMode());
    EXPECT_EQ(CurrentDisplayMode().width, 0) << "the desktop mode is back";

    // Stale pointers answer, they do not crash.
    EXPECT_EQ(plain->Release(), 0u);
    EXPECT_EQ(plain->Blt(nullptr, primary, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDOBJECT);
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_INVALIDOBJECT);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    EXPECT_EQ(primary->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDOBJECT);
    EXPECT_EQ(palette->SetEntries(0, 0, 256, entries), DDERR_INVALIDOBJECT);
    EXPECT_EQ(clipper->SetClipList(nullptr, 0), DDERR_INVALIDOBJECT);
    EXPECT_EQ(palette->Release(), 0u);
}

TEST_F(DdrawOwnership, TheFirstInterfaceAndTheSecondShareOneObject) {
    IDirectDraw* first = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw)),
              DD_OK);
    EXPECT_EQ(first->Release(), 1u);
    EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK)
        << "the object lives on through the second interface";
    void* other = reinterpret_cast<void*>(0x1);
    const IID unknown = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    EXPECT_EQ(directDraw->QueryInterface(unknown, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    IDirectDraw* aggregated = nullptr;
    EXPECT_EQ(DirectDrawCreate(nullptr, &aggregated, reinterpret_cast<IUnknown*>(directDraw)),
              CLASS_E_NOAGGREGATION);
}

TEST_F(DdrawOwnership, ChainPaletteAndClipperReferencesFollowTheRules) {
    TakeDisplay(8);
    IDirectDrawSurface* back = nullptr;
    IDirectDrawSurface* primary = MakeFlipChain(&back);
    EXPECT_EQ(back->Release(), 1u) << "GetAttachedSurface added one reference";
    back->AddRef();

    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(
        directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr),
        DD_OK);
    ASSERT_EQ(primary->SetPalette(palette), DD_OK);
    EXPECT_EQ(palette->Release(), 1u) << "the surface holds its own reference";
    IDirectDrawPalette* attached = nullptr;
    EXPECT_EQ(back->GetPalette(&attached), DDERR_NOPALETTEATTACHED) << "the front buffer only";

    IDirectDrawSurface* plain = MakePlain(4, 4);
    IDirectDrawClipper* clipper = MakeClipper({0, 0, 4, 4});
    ASSERT_EQ(plain->SetClipper(clipper), DD_OK);
    ASSERT_EQ(plain->SetClipper(clipper), DD_OK);
    EXPECT_EQ(clipper->Release(), 1u) << "attaching twice takes one reference";
    EXPECT_EQ(plain->SetClipper(nullptr), DD_OK);
    EXPECT_EQ(plain->SetClipper(nullptr), DDERR_NOCLIPPERATTACHED);
    EXPECT_EQ(clipper->SetClipList(nullptr, 0), DDERR_INVALIDOBJECT)
        << "detaching dropped the last reference";

    const int live = platform::DdrawLiveObjects();
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(platform::DdrawLiveObjects(), live - 3) << "front, its back buffer and the palette";
    EXPECT_EQ(back->IsLost(), DDERR_INVALIDOBJECT) << "the back buffer went with its front";
}

// A program that releases an attached clipper once too often ends its life under the
// surface: the surface lets go of it, and the next clipper, made in the same shell, is not
// attached anywhere.
TEST_F(DdrawOwnership, AClipperReleasedOnceTooOftenIsNoLongerAttached) {
    TakeDisplay(16);
    IDirectDrawSurface* plain = MakePlain(4, 4);
    IDirectDrawClipper* clipper = MakeClipper({0, 0, 1, 1});
    ASSERT_EQ(plain->SetClipper(clipper), DD_OK);
    EXPECT_EQ(clipper->Release(), 1u);
    EXPECT_EQ(clipper->Release(), 0u) << "the surface's reference, released by the program";

    IDirectDrawClipper* attached = nullptr;
    EXPECT_EQ(plain->GetClipper(&attached), DDERR_NOCLIPPERATTACHED);
    IDirectDrawClipper* next = MakeClipper({0, 0, 1, 1});
    EXPECT_EQ(plain->GetClipper(&attached), DDERR_NOCLIPPERATTACHED)
        << "a new clipper is attached nowhere";
    DDBLTFX fill = {};
    fill.dwSize = sizeof fill;
    fill.dwFillColor = 0x1234;
    ASSERT_EQ(plain->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill), DD_OK);
    EXPECT_EQ(ReadAllPixels(plain), std::vector<uint32_t>(16, 0x1234))
        << "not clipped by a clipper it never had";
    next->Release();
    plain->Release();
}

TEST_F(DdrawOwnership, ExclusiveModeBelongsToOneWindowAndOneObject) {
    TakeDisplay(16);
    HWND other = CreateWindowExA(0, "Ddraw Test Window", "other", WS_POPUP | WS_VISIBLE, 0, 0, 10,
                                 10, nullptr, nullptr, platform::ProgramInstance(), nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(directDraw->SetCooperativeLevel(other, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_HWNDALREADYSET);
    EXPECT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    IDirectDraw* first = nullptr;
    IDirectDraw2* second = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
    ASSERT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&second)), DD_OK);
    first->Release();
    EXPECT_EQ(second->SetCooperativeLevel(other, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
              DDERR_EXCLUSIVEMODEALREADYSET);
    second->Release();
    DestroyWindow(other);

    // Leaving exclusive mode gives the desktop back, and its mode change loses video memory.
    IDirectDrawSurface* video = MakePlain(4, 4, false);
    ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
    EXPECT_FALSE(ExclusiveMode());
    EXPECT_EQ(CurrentDisplayMode().width, 0);
    EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
}

}  // namespace
}  // namespace vantor::testing
