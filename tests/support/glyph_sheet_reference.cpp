#include "support/glyph_sheet_reference.h"

#include <cstring>

#include "support/image_compare.h"

namespace vantor::testing {
namespace {

constexpr int32_t kCanvasWidth = 640;
constexpr int32_t kCanvasHeight = 480;
constexpr int32_t kBoxWidth = 24;
constexpr int32_t kBoxHeight = 20;
constexpr int32_t kCropRows = 19;

int CALLBACK CollectFont(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM context) {
    reinterpret_cast<std::vector<LOGFONTA>*>(context)->push_back(*font);
    return 1;
}

// The canvas's pixels while locked; rows `pitch` bytes apart.
struct LockedCanvas {
    IDirectDrawSurface* surface;
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;

    explicit LockedCanvas(IDirectDrawSurface* canvas) : surface(canvas) {
        DDSURFACEDESC desc = {};
        desc.dwSize = sizeof desc;
        if (surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr) == DD_OK) {
            pixels = static_cast<uint8_t*>(desc.lpSurface);
            pitch = desc.lPitch;
        }
    }
    ~LockedCanvas() {
        if (pixels != nullptr) surface->Unlock(nullptr);
    }
    uint16_t At(int32_t x, int32_t y) const {
        uint16_t value;
        std::memcpy(&value, pixels + static_cast<size_t>(y) * pitch + 2 * x, 2);
        return value;
    }
};

void ClearCanvas(IDirectDrawSurface* canvas) {
    LockedCanvas locked(canvas);
    if (locked.pixels == nullptr) return;
    for (int32_t y = 0; y < kCanvasHeight; ++y)
        std::memset(locked.pixels + static_cast<size_t>(y) * locked.pitch, 0, 2 * kCanvasWidth);
}

SIZE DrawCharacter(IDirectDrawSurface* canvas, const LOGFONTA& font, uint8_t code) {
    const char text[2] = {static_cast<char>(code), 0};
    SIZE box = {0, 0};
    HDC dc = nullptr;
    if (canvas->GetDC(&dc) != DD_OK) return box;
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ previous = SelectObject(dc, made);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkColor(dc, RGB(0, 0, 0));
    TextOutA(dc, 0, 2, text, 1);
    GetTextExtentPoint32A(dc, text, 2, &box);
    SelectObject(dc, previous);
    DeleteObject(made);
    canvas->ReleaseDC(dc);
    return box;
}

}  // namespace

std::vector<LOGFONTA> EnumeratedFonts(IDirectDrawSurface* surface) {
    std::vector<LOGFONTA> fonts;
    HDC dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK) return fonts;
    LOGFONTA every = {};
    every.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(dc, &every, CollectFont, reinterpret_cast<LPARAM>(&fonts), 0);
    surface->ReleaseDC(dc);
    return fonts;
}

::testing::AssertionResult SameSheet(const std::vector<uint32_t>& actual,
                                     const std::vector<uint32_t>& expected) {
    return SameImage({kSheetWidth, kSheetHeight, actual}, {kSheetWidth, kSheetHeight, expected});
}

uint32_t Widen565(uint16_t pixel) {
    const uint32_t red = (pixel >> 11 & 0x1F) << 3;
    const uint32_t green = (pixel >> 5 & 0x3F) << 2;
    const uint32_t blue = (pixel & 0x1F) << 3;
    return red << 16 | green << 8 | blue;
}

std::vector<uint32_t> ReferenceSheet(IDirectDrawSurface* canvas, const LOGFONTA& font) {
    std::vector<uint32_t> sheet(static_cast<size_t>(kSheetWidth) * kSheetHeight, 0);
    for (int code = 1; code <= 255; ++code) {
        ClearCanvas(canvas);
        const SIZE box = DrawCharacter(canvas, font, static_cast<uint8_t>(code));
        const int64_t width = box.cx;
        const int64_t height = int64_t{box.cy} + 4;
        if (width <= 0 || box.cy <= 0 || width > kCanvasWidth || height > kCanvasHeight) continue;
        LockedCanvas locked(canvas);
        if (locked.pixels == nullptr) continue;
        for (int32_t y = 0; y < kCropRows; ++y) {
            const auto sourceY = static_cast<int32_t>(y * height / kBoxHeight);
            for (int32_t x = 0; x < kSheetCell; ++x) {
                const auto sourceX = static_cast<int32_t>(x * width / kBoxWidth);
                sheet[static_cast<size_t>(y) * kSheetWidth + kSheetCell * code + x] =
                    Widen565(locked.At(sourceX, sourceY));
            }
        }
    }
    return sheet;
}

}  // namespace vantor::testing
