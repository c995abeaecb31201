// Long runs, in process and headless: the tool's list loop, a frame trail of 8, a new
// palette every frame, and text at 200 sizes. Once warm, none of them may add a live
// platform object or grow the resident memory by more than a few megabytes. The counts
// are scaled down where a pass is costly, so that the runs stay within a few seconds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "support/fontsheet_runner.h"
#include "support/surface_device.h"
#include "testing.h"

namespace vantor::testing {
namespace {

constexpr int64_t kMostGrowth = int64_t(4) << 20;
// Under AddressSanitizer freed memory waits in a quarantine of up to 256 MB, so resident
// memory tells nothing there (its leak check at exit still does), and every pass is many
// times slower: the runs are a tenth as long and check live objects only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kResidentMemoryTells = false;
constexpr int kShortening = 10;
#else
constexpr bool kResidentMemoryTells = true;
constexpr int kShortening = 1;
#endif

int64_t ResidentBytes() {
    long pages = 0, resident = 0;
    FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return int64_t(resident) * sysconf(_SC_PAGESIZE);
}

// Runs warm-up passes, then the counted ones, and checks that the counted passes left the
// live objects as they were and the resident memory within the bound.
template <typename Pass>
void ExpectSteady(int warmUp, int passes, Pass&& pass) {
    for (int i = 0; i < warmUp; ++i) pass(i);
    const int live = LiveObjects();
    const int64_t resident = ResidentBytes();
    for (int i = warmUp; i < warmUp + passes / kShortening; ++i) pass(i);
    EXPECT_EQ(LiveObjects(), live);
    if (kResidentMemoryTells) {
        EXPECT_LT(ResidentBytes() - resident, kMostGrowth);
    }
}

class SoakTest : public SurfaceDeviceTest {
protected:
    // One pass of the tool's list: every font's row with its index, name and sample line
    // in a font made for the row, then the frame presented.
    void ListPass() {
        device->Clear(0);
        HDC dc = nullptr;
        ASSERT_EQ(device->renderTarget->GetDC(&dc), DD_OK);
        LOGFONTA every{};
        every.lfCharSet = DEFAULT_CHARSET;
        EnumFontFamiliesExA(
            dc, &every,
            [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM context) {
                HDC dc = reinterpret_cast<HDC>(context);
                static int y = 0;
                y = (y + 16) % 480;
                TextOutA(dc, 32, y, font->lfFaceName, int(strnlen(font->lfFaceName, LF_FACESIZE)));
                LOGFONTA sample = *font;
                sample.lfWidth = sample.lfHeight = 16;
                HFONT made = CreateFontIndirectA(&sample);
                HGDIOBJ previous = SelectObject(dc, made);
                TextOutA(dc, 280, y, "ABCDEFG abcdefg 1234567890", 26);
                SelectObject(dc, previous);
                DeleteObject(made);
                return 1;
            },
            reinterpret_cast<LPARAM>(dc), 0);
        device->renderTarget->ReleaseDC(dc);
        device->Present(1);
    }
};

// Scaled from 100,000 passes: each draws some 60 lines of text over 640 x 480.
TEST_F(SoakTest, TheToolsListLoop) {
    ExpectSteady(20, 5000, [&](int) { ListPass(); });
}

TEST_F(SoakTest, AFrameTrailOfEightOverTenThousandPresents) {
    Surface target;
    ASSERT_EQ(device->MakeSurface(target, 64, 32, 0), 1);
    ASSERT_EQ(device->SelectSurfaceTarget(target), 1);
    ASSERT_EQ(device->SetFrameTrail(8), 1);
    ExpectSteady(16, 10000, [&](int pass) {
        device->Clear(pass & 0xFFFF);
        device->Present(1);
    });
}

TEST_F(SoakTest, ANewPaletteEveryFrameOverAHundredThousandFrames) {
    RestartDevice({8, false});
    PALETTEENTRY entries[256] = {};
    ExpectSteady(100, 100000, [&](int frame) {
        entries[1].peRed = BYTE(frame);
        IDirectDrawPalette* palette = nullptr;
        ASSERT_EQ(device->directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries,
                                                    &palette, nullptr),
                  DD_OK);
        ASSERT_EQ(device->primarySurface->SetPalette(palette), DD_OK);
        palette->Release();  // the primary holds it until the next one replaces it
        device->Present(1);
    });
}

// Ems of 1 to 200 pixels, drawn round after round: once each size is realised, text at
// any of them adds nothing.
TEST_F(SoakTest, TextAtTwoHundredSizes) {
    HDC dc = nullptr;
    ASSERT_EQ(device->renderTarget->GetDC(&dc), DD_OK);
    ExpectSteady(200, 400, [&](int pass) {
        LOGFONTA record{};
        record.lfHeight = -(1 + pass % 200);
        snprintf(record.lfFaceName, LF_FACESIZE, "DejaVu Serif");
        HFONT font = CreateFontIndirectA(&record);
        HGDIOBJ previous = SelectObject(dc, font);
        EXPECT_TRUE(TextOutA(dc, 0, 0, "ABCDEFG abcdefg 1234567890", 26));
        SelectObject(dc, previous);
        DeleteObject(font);
    });
    device->renderTarget->ReleaseDC(dc);
}

}  // namespace
}  // namespace vantor::testing
