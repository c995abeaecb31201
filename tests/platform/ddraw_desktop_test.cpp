// Drawing on the desktop: at the normal cooperative level the primary surface is the
// desktop, a clipper bound to a window clips to the window's client area wherever the
// window is, and moving or sizing a window sends the messages Windows sends.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "support/ddraw_fixture.h"
#include "support/window_recorder.h"
#include "testing.h"

namespace vantor::testing {
namespace {

constexpr int kDesktopWidth = 640;  // the headless desktop, in 32-bit pixels
constexpr int kDesktopHeight = 480;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The clip list of a clipper, read as GetClipList hands it out.
std::vector<RECT> ClipListOf(IDirectDrawClipper* clipper) {
    DWORD size = 0;
    EXPECT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DD_OK);
    std::vector<uint8_t> bytes(size);
    RGNDATA* region = reinterpret_cast<RGNDATA*>(bytes.data());
    EXPECT_EQ(clipper->GetClipList(nullptr, region, &size), DD_OK);
    EXPECT_EQ(region->rdh.nRgnSize, region->rdh.nCount * sizeof(RECT));
    std::vector<RECT> rects(region->rdh.nCount);
    if (!rects.empty()) std::memcpy(rects.data(), region->Buffer, rects.size() * sizeof(RECT));
    return rects;
}

// Pixels of the desktop that differ from `value`, and whether all of them lie in `area`.
int CountOutside(const std::vector<uint32_t>& desktop, uint32_t value, const RECT& area,
                 int* inside) {
    int outside = 0;
    *inside = 0;
    for (int y = 0; y < kDesktopHeight; ++y)
        for (int x = 0; x < kDesktopWidth; ++x) {
            if (desktop[size_t(y) * kDesktopWidth + x] != value) continue;
            bool in = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
            (in ? *inside : outside) += 1;
        }
    return outside;
}

class DdrawDesktop : public DdrawTest {
protected:
    void SetUp() override {
        DdrawTest::SetUp();
        IDirectDraw* first = nullptr;
        ASSERT_EQ(DirectDrawCreate(nullptr, &first, nullptr), DD_OK);
        ASSERT_EQ(first->QueryInterface(IID_IDirectDraw2, reinterpret_cast<void**>(&directDraw)),
                  DD_OK);
        first->Release();
        ASSERT_EQ(directDraw->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
        ASSERT_TRUE(MoveWindow(window, 100, 50, 200, 100, FALSE));
        DDSURFACEDESC desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = DDSD_CAPS;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
        ASSERT_EQ(directDraw->CreateSurface(&desc, &primary, nullptr), DD_OK);
        ASSERT_EQ(directDraw->CreateClipper(0, &clipper, nullptr), DD_OK);
    }

    // Fills the whole primary surface with `value` through whatever clipper it has.
    void FillDesktop(uint32_t value) {
        DDBLTFX fill{};
        fill.dwSize = sizeof fill;
        fill.dwFillColor = value;
        ASSERT_EQ(primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fill),
                  DD_OK);
    }

    IDirectDrawSurface* primary = nullptr;
    IDirectDrawClipper* clipper = nullptr;
};

TEST_F(DdrawDesktop, ThePrimarySurfaceIsTheDesktopInItsOwnMode) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(primary->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, DWORD(kDesktopWidth));
    EXPECT_EQ(desc.dwHeight, DWORD(kDesktopHeight));
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.dwBackBufferCount, 0u);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    EXPECT_EQ(CurrentDisplayMode().width, 0) << "the normal level changed the display mode";

    // What the program writes on the desktop under its window is what the window shows.
    const int framesBefore = PresentedFrameCount();
    FillDesktop(0x00FF00);
    EXPECT_EQ(PresentedFrameCount(), framesBefore + 1);
    std::optional<Frame> shown = LastPresentedFrame();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->width, 200);
    EXPECT_EQ(shown->height, 100);
}

TEST_F(DdrawDesktop, AWindowClipperClipsToTheClientAreaWhereverTheWindowIs) {
    DWORD size = 0;
    EXPECT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DDERR_NOCLIPLIST);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    std::vector<uint8_t> region = MakeRegion({{0, 0, 10, 10}});
    EXPECT_EQ(clipper->SetClipList(reinterpret_cast<RGNDATA*>(region.data()), 0),
              DDERR_CLIPPERISUSINGHWND);
    std::vector<RECT> list = ClipListOf(clipper);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(SameRect(list[0], RECT{100, 50, 300, 150}));
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);

    FillDesktop(0x123456);
    int inside = 0;
    EXPECT_EQ(CountOutside(ReadAllPixels(primary), 0x123456, RECT{100, 50, 300, 150}, &inside), 0);
    EXPECT_EQ(inside, 200 * 100);

    // Partly off the desktop: the list and the blit stop at its edge, and a stretch keeps
    // the scale of the whole destination rectangle.
    ASSERT_TRUE(MoveWindow(window, 560, 430, 200, 100, FALSE));
    list = ClipListOf(clipper);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(SameRect(list[0], RECT{560, 430, 640, 480}));
    IDirectDrawSurface* source = MakePlain(100, 50);
    std::vector<uint32_t> picture(100 * 50);
    for (size_t i = 0; i < picture.size(); ++i) picture[i] = 0x10000 + uint32_t(i);
    ASSERT_TRUE(WriteAllPixels(source, picture));
    RECT client{560, 430, 760, 530};
    ASSERT_EQ(primary->Blt(&client, source, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    std::vector<uint32_t> desktop = ReadAllPixels(primary);
    int wrong = 0;
    for (int y = 430; y < kDesktopHeight; ++y)
        for (int x = 560; x < kDesktopWidth; ++x)
            wrong += desktop[size_t(y) * kDesktopWidth + x] !=
                     picture[size_t(y - 430) / 2 * 100 + (x - 560) / 2];
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(CountOutside(desktop, 0x123456, RECT{100, 50, 300, 150}, &inside), 0)
        << "written outside the window";

    // Hidden, the window has nothing on the desktop to draw into.
    ShowWindow(window, SW_HIDE);
    EXPECT_TRUE(ClipListOf(clipper).empty());
    FillDesktop(0xABCDEF);
    EXPECT_EQ(CountOutside(ReadAllPixels(primary), 0xABCDEF, RECT{0, 0, 0, 0}, &inside), 0);
}

TEST_F(DdrawDesktop, WhereThePersonMovesTheDesktopWindowTheWindowIs) {
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);
    SendWindowPlaced(300, 200, 120, 90);
    Pump();
    RECT place{};
    ASSERT_TRUE(GetWindowRect(window, &place));
    EXPECT_TRUE(SameRect(place, RECT{300, 200, 420, 290}));
    std::vector<RECT> list = ClipListOf(clipper);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_TRUE(SameRect(list[0], RECT{300, 200, 420, 290}));
}

TEST(DesktopWindows, MovingAndSizingSendsThePlaceMessagesAndMapsTheClientArea) {
    Reset();
    WindowRecorder recorder;
    HWND window = recorder.Create(WS_POPUP | WS_VISIBLE, 200, 100);
    ASSERT_NE(window, nullptr);
    recorder.received.clear();

    ASSERT_TRUE(MoveWindow(window, -30, 40, 250, 120, TRUE));
    std::vector<UINT> expected = {WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE};
    EXPECT_EQ(recorder.Messages(), expected);
    const ReceivedMessage& moved = recorder.received[2];
    EXPECT_EQ(LOWORD(moved.lParam), 0xFFE2) << "x is a signed 16-bit screen coordinate";
    EXPECT_EQ(HIWORD(moved.lParam), 40);
    const ReceivedMessage& sized = recorder.received[3];
    EXPECT_EQ(sized.wParam, SIZE_RESTORED);
    EXPECT_EQ(LOWORD(sized.lParam), 250);
    EXPECT_EQ(HIWORD(sized.lParam), 120);

    RECT place{}, client{};
    ASSERT_TRUE(GetWindowRect(window, &place));
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_TRUE(SameRect(place, RECT{-30, 40, 220, 160}));
    EXPECT_TRUE(SameRect(client, RECT{0, 0, 250, 120}));
    POINT point{5, 6};
    ASSERT_TRUE(ClientToScreen(window, &point));
    EXPECT_EQ(point.x, -25);
    EXPECT_EQ(point.y, 46);

    // A procedure may change the place it is told about; the window takes the changed one.
    recorder.answer = [](const ReceivedMessage& message) -> std::optional<LRESULT> {
        if (message.message != WM_WINDOWPOSCHANGING) return std::nullopt;
        reinterpret_cast<WINDOWPOS*>(message.lParam)->cx = 64;
        return 0;
    };
    ASSERT_TRUE(MoveWindow(window, 0, 0, 300, 300, FALSE));
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_TRUE(SameRect(client, RECT{0, 0, 64, 300}));

    // Far places are kept within the 16-bit coordinates Windows uses.
    recorder.answer = nullptr;
    ASSERT_TRUE(MoveWindow(window, INT32_MAX, INT32_MIN, INT32_MAX, -5, FALSE));
    ASSERT_TRUE(GetWindowRect(window, &place));
    EXPECT_TRUE(SameRect(place, RECT{32767, -32768, 32767 + 32767, -32768}));
    point = {INT32_MAX, 0};
    ASSERT_TRUE(ClientToScreen(window, &point));
    EXPECT_EQ(point.x, INT32_MAX);

    DestroyWindow(window);
    EXPECT_FALSE(ClientToScreen(window, &point));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_FALSE(MoveWindow(window, 0, 0, 1, 1, FALSE));
    Reset();
}

}  // namespace
}  // namespace vantor::testing
