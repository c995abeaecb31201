// The lock and device-context rules of the old surfaces, and what Lock hands out.
#include "support/ddraw_fixture.h"
#include "support/device_fixture.h"

namespace vantor::testing {
namespace {

class DdrawLockDc : public DdrawTest {
protected:
    void SetUp() override {
        DdrawTest::SetUp();
        TakeDisplay(16);
        surface = MakePlain(33, 7);
    }
    HRESULT LockWhole(DDSURFACEDESC* desc) {
        *desc = {};
        desc->dwSize = sizeof *desc;
        return surface->Lock(nullptr, desc, DDLOCK_WAIT, nullptr);
    }
    IDirectDrawSurface* surface = nullptr;
};

TEST_F(DdrawLockDc, LockAndDeviceContextFollowTheOldSurfaceRules) {
    DDSURFACEDESC desc;
    ASSERT_EQ(LockWhole(&desc), DD_OK);
    EXPECT_EQ(LockWhole(&desc), DDERR_SURFACEBUSY) << "second lock";
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DD_OK) << "a device context while locked is allowed";
    HDC second = reinterpret_cast<HDC>(0x1);
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
    EXPECT_EQ(second, reinterpret_cast<HDC>(0x1)) << "the output stays untouched";
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DDERR_NODC);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK) << "releasing the context does not end the lock";
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);

    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_EQ(LockWhole(&desc), DDERR_SURFACEBUSY) << "lock while a context is out";
    IDirectDrawSurface* other = MakePlain(4, 4);
    EXPECT_EQ(other->Blt(nullptr, surface, nullptr, DDBLT_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(LockWhole(&desc), DD_OK);
    surface->Unlock(nullptr);
}

TEST_F(DdrawLockDc, LockDescribesPackedZeroedRows) {
    DDSURFACEDESC desc;
    ASSERT_EQ(LockWhole(&desc), DD_OK);
    EXPECT_EQ(desc.dwSize, sizeof(DDSURFACEDESC));
    EXPECT_EQ(desc.dwFlags, 0x100Fu);
    EXPECT_EQ(desc.dwWidth, 33u);
    EXPECT_EQ(desc.dwHeight, 7u);
    EXPECT_EQ(desc.lPitch, 66) << "rows are exactly width x bytes per pixel apart";
    ASSERT_NE(desc.lpSurface, nullptr);
    const uint8_t* bytes = static_cast<const uint8_t*>(desc.lpSurface);
    for (int i = 0; i < 66 * 7; ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
    surface->Unlock(nullptr);
}

TEST_F(DdrawLockDc, LockTakesBothRecordSizesAndAPartOfTheSurface) {
    DDSURFACEDESC2 desc2{};
    desc2.dwSize = sizeof desc2;
    desc2.dwTextureStage = 77;
    ASSERT_EQ(surface->Lock(nullptr, reinterpret_cast<DDSURFACEDESC*>(&desc2), 0, nullptr), DD_OK);
    EXPECT_EQ(desc2.dwSize, sizeof(DDSURFACEDESC2)) << "Lock never changes dwSize";
    EXPECT_EQ(desc2.dwWidth, 33u);
    uint8_t* origin = static_cast<uint8_t*>(desc2.lpSurface);
    surface->Unlock(nullptr);

    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    RECT part = {3, 2, 10, 5};
    ASSERT_EQ(surface->Lock(&part, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<uint8_t*>(desc.lpSurface), origin + 2 * 66 + 3 * 2);
    surface->Unlock(nullptr);

    for (RECT bad : {RECT{-1, 0, 4, 4}, RECT{0, 0, 34, 7}, RECT{5, 5, 5, 6}, RECT{4, 4, 2, 6}}) {
        desc.lpSurface = reinterpret_cast<void*>(0xDEADBEEF);
        EXPECT_EQ(surface->Lock(&bad, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
        EXPECT_EQ(desc.lpSurface, reinterpret_cast<void*>(0xDEADBEEF));
    }
    desc.dwSize = sizeof desc + 1;
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(surface->Lock(nullptr, nullptr, DDLOCK_WAIT, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(DdrawLockDc, GetSurfaceDescNeverHandsOutThePixels) {
    DDSURFACEDESC locked;
    ASSERT_EQ(LockWhole(&locked), DD_OK);
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    desc.lpSurface = reinterpret_cast<void*>(0xDEADBEEF);
    ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.lpSurface, nullptr);
    EXPECT_EQ(desc.lPitch, 66);
    surface->Unlock(nullptr);
    desc.dwSize = sizeof(DDSURFACEDESC2);
    EXPECT_EQ(surface->GetSurfaceDesc(&desc), DDERR_INVALIDPARAMS);
}

}  // namespace
}  // namespace vantor::testing
