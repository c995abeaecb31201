// The font list: one row per enumerated font with its index, face name and a sample line
// in the font itself; the selected font's row is the one at y 0.
#include <algorithm>
#include <charconv>
#include <iterator>

#include "tool/fontsheet.h"

namespace {

constexpr char kSample[] = "ABCDEFG abcdefg 1234567890";

// The row's index and face name, in the context's own font.
void DrawRowLabels(HDC dc, const LOGFONTA& font) {
    char index[12];
    const auto formatted = std::to_chars(index, index + sizeof index, fontCount);
    TextOutA(dc, 0, listY, index, static_cast<int>(formatted.ptr - index));
    const char* faceEnd = std::find(std::begin(font.lfFaceName), std::end(font.lfFaceName), '\0');
    TextOutA(dc, 32, listY, font.lfFaceName, static_cast<int>(faceEnd - font.lfFaceName));
}

// The sample line in the font itself, at a 16-pixel cell height and a 16-pixel average
// width. The platform's record is left alone: the size is set on a copy, after the
// original was recorded.
void DrawRowSample(HDC dc, const LOGFONTA& font) {
    LOGFONTA sample = font;
    sample.lfWidth = 16;
    sample.lfHeight = 16;
    HFONT made = CreateFontIndirectA(&sample);
    HGDIOBJ previous = SelectObject(dc, made);
    TextOutA(dc, 280, listY, kSample, static_cast<int>(sizeof kSample - 1));
    SelectObject(dc, previous);
    DeleteObject(made);
}

// Fonts past the end of the table are listed but not recorded; selected, they render as
// a font that was never listed.
void RecordFont(const LOGFONTA& font) {
    if (skipTableFill != 0) return;
    if (fontCount < 0 || fontCount >= kFontTableSize) return;
    fontTable[fontCount] = font;
}

}  // namespace

int CALLBACK FontListProc(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM context) {
    const HDC* dc = reinterpret_cast<const HDC*>(context);
    if (listY >= 0 && listY <= kLastRowY) {
        const bool selected = listY == 0;
        SetTextColor(*dc, selected ? kYellow : kBlack);
        SetBkColor(*dc, selected ? kBlack : kWhite);
        DrawRowLabels(*dc, *font);
        RecordFont(*font);
        DrawRowSample(*dc, *font);
    }
    listY += kRowHeight;
    fontCount += 1;
    return -1;
}

void DrawFontList() {
    displayDevice.Clear(0);
    IDirectDrawSurface* target = displayDevice.renderTarget;
    HDC dc = nullptr;
    // Without a device context there is nothing to draw on; the pass goes on regardless.
    if (target == nullptr || target->GetDC(&dc) != DD_OK) return;

    LOGFONTA everyFont = {};
    everyFont.lfCharSet = DEFAULT_CHARSET;
    fontCount = 0;
    EnumFontFamiliesExA(dc, &everyFont, FontListProc, reinterpret_cast<LPARAM>(&dc), 0);
    target->ReleaseDC(dc);
}
