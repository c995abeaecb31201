#include "support/device_fixture.h"

#include <cstdio>
#include <cstdlib>

#include "testing.h"

namespace vantor::testing {

void DeviceTest::SetUp() { Reset(); }

void DeviceTest::TearDown() {
    device.reset();
    if (window != nullptr && IsWindow(window)) DestroyWindow(window);
    window = nullptr;
    Reset();
}

DisplayDevice& DeviceTest::MakeDevice() {
    device = std::make_unique<DisplayDevice>();
    return *device;
}

DisplayDevice& DeviceTest::StartDevice(int32_t bitsPerPixel, int32_t offscreenMemory) {
    MakeDevice();
    window = device->CreateAppWindow(nullptr, "Vantor Application", kScreenWidth, kScreenHeight);
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(
        device->Initialize(window, kScreenWidth, kScreenHeight, bitsPerPixel, offscreenMemory), 1);
    return *device;
}

uint32_t ReadPixel(IDirectDrawSurface* surface, int32_t x, int32_t y) {
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) != DD_OK) {
        ADD_FAILURE() << "cannot lock the surface to read a pixel";
        return 0xDEADBEEF;
    }
    const int32_t bytes = static_cast<int32_t>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
    const uint8_t* pixel =
        static_cast<const uint8_t*>(desc.lpSurface) + y * desc.lPitch + x * bytes;
    uint32_t value = 0;
    for (int32_t i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(pixel[i]) << (8 * i);
    surface->Unlock(nullptr);
    return value;
}

bool FillSurface(IDirectDrawSurface* surface, uint32_t value) {
    DDBLTFX effects{};
    effects.dwSize = sizeof effects;
    effects.dwFillColor = value;
    return surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &effects) == DD_OK;
}

// ---- Fatal exits ------------------------------------------------------------------------

namespace {

struct ExitReport {
    int cursorAtStart = 0;
    HWND window = nullptr;
};

ExitReport& Report() {
    static ExitReport* report = new ExitReport;  // must outlive every static at exit
    return *report;
}

void PrintReport() {
    const ExitReport& report = Report();
    if (report.window != nullptr && IsWindow(report.window)) DestroyWindow(report.window);
    const auto box = LastMessageBox();
    const char* owner = "none";
    if (box && box->owner != nullptr) owner = box->owner == report.window ? "window" : "other";
    const DisplayMode mode = CurrentDisplayMode();
    std::fprintf(stderr,
                 "at exit: box \"%s\" caption \"%s\" owner %s type 0x%X; mode %dx%dx%d; cursor "
                 "%+d; live %d\n",
                 box ? box->text.c_str() : "", box ? box->caption.c_str() : "", owner,
                 box ? box->type : 0u, mode.width, mode.height, mode.bitsPerPixel,
                 CursorCounter() - report.cursorAtStart, LiveObjects());
}

}  // namespace

DisplayDevice& ProcessDevice() {
    static DisplayDevice device;
    return device;
}

void ReportStateAtExit() {
    Report().cursorAtStart = CursorCounter();
    std::atexit(PrintReport);
}

void SetReportedWindow(HWND window) { Report().window = window; }

std::string CleanExitReport(const std::string& text, bool ownedByWindow) {
    return "at exit: box \"" + text + "\" caption \"Error\" owner " +
           (ownedByWindow ? "window" : "none") + " type 0x30; mode 0x0x0; cursor +0; live 0";
}

}  // namespace vantor::testing
