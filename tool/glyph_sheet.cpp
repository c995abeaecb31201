// The glyph sheet: characters 1..255 of a font, each drawn on the off-screen buffer,
// scaled from its measured box into 24 x 20, cropped to 19 x 19 and placed in its 16-pixel
// cell of the sheet. The interactive tool writes the selected font's sheet as "Font.bmp";
// the command line draws the same sheets and writes them where it is told.
#include "tool/fontsheet.h"

namespace {

constexpr int32_t kBoxWidth = 24;
constexpr int32_t kCropSize = 19;
constexpr int32_t kOffscreen = static_cast<int32_t>(TargetKind::Offscreen);
constexpr char kSheetFile[] = "Font.bmp";

// A selection outside the table gets the record of a font that was never listed.
const LOGFONTA& SelectedRecord() {
    static const LOGFONTA kNeverRecorded = {};
    if (selectedFont < 0 || selectedFont >= kFontTableSize) return kNeverRecorded;
    return fontTable[selectedFont];
}

// Draws the character text[0] white on black at (0, 2) of the render target and measures
// text[0..1], the character with its zero byte. An empty box when nothing could be drawn.
SIZE DrawAndMeasure(const char (&text)[2], const LOGFONTA& font) {
    SIZE box = {0, 0};
    IDirectDrawSurface* target = displayDevice.renderTarget;
    HDC dc = nullptr;
    if (target == nullptr || target->GetDC(&dc) != DD_OK) return box;
    HFONT made = CreateFontIndirectA(&font);
    HGDIOBJ previous = SelectObject(dc, made);
    SetTextColor(dc, kWhite);
    SetBkColor(dc, kBlack);
    TextOutA(dc, 0, kGlyphTop, text, 1);
    if (!GetTextExtentPoint32A(dc, text, 2, &box)) box = {0, 0};
    SelectObject(dc, previous);
    DeleteObject(made);
    target->ReleaseDC(dc);
    return box;
}

// The measured box, with its rows above and below, must be a real part of the canvas.
bool BoxFitsCanvas(SIZE box) {
    return box.cx > 0 && box.cy > 0 && box.cx <= displayDevice.targetWidth &&
           box.cy <= displayDevice.targetHeight - 2 * kGlyphTop;
}

// Copies the measured box, with its rows above and below, from the canvas's corner.
bool GrabMeasuredBox(Surface& glyphSurface, SIZE box) {
    const RECT measured = {0, 0, box.cx, box.cy + 2 * kGlyphTop};
    return displayDevice.GrabSurface(glyphSurface, &measured, -1) != 0;
}

// Leaves the character's 24 x 20 box, scaled from its measured box, at the canvas's
// top-left corner. When there is nothing sound to scale the canvas is left black, so the
// cell comes out black and covers the previous character's spill-over.
void ScaleGlyphOntoCanvas(Surface& glyphSurface, const char (&text)[2], const LOGFONTA& font) {
    displayDevice.SelectTarget(kOffscreen);
    displayDevice.Clear(0);
    const SIZE box = DrawAndMeasure(text, font);
    if (BoxFitsCanvas(box) && GrabMeasuredBox(glyphSurface, box)) {
        displayDevice.SelectTarget(kOffscreen);
        displayDevice.DrawStretched(glyphSurface, 0, 0, kBoxWidth, kBoxHeight, -1, 1);
    } else {
        displayDevice.Clear(0);
    }
}

void RenderCharacter(Surface& sheetSurface, int32_t code, const LOGFONTA& font) {
    char text[2] = {0, 0};
    displayDevice.SetSurfaceMemory(1);
    Surface glyphSurface;
    text[0] = static_cast<char>(code);
    ScaleGlyphOntoCanvas(glyphSurface, text, font);

    const RECT crop = {0, 0, kCropSize, kCropSize};
    const bool cropped = displayDevice.GrabSurface(glyphSurface, &crop, -1) != 0;
    displayDevice.SelectSurfaceTarget(sheetSurface);
    // The crop is 3 columns wider than a cell; the next character's crop covers them.
    if (cropped) displayDevice.DrawSurface(glyphSurface, kCellWidth * code, 0, -1, 1);
}

}  // namespace

void DrawGlyphSheet(Surface& sheetSurface, const LOGFONTA& font) {
    for (int32_t code = 1; code <= 255; ++code) RenderCharacter(sheetSurface, code, font);
}

int32_t RenderGlyphSheet(Surface& sheetSurface) {
    DrawGlyphSheet(sheetSurface, SelectedRecord());
    if (displayDevice.SaveBitmap(kSheetFile)) return 0;

    // As with a fatal error: the desktop comes back before the box is shown.
    displayDevice.Shutdown();
    MessageBoxA(displayDevice.windowHandle, "Can't write Font.bmp.", "Error", MB_ICONWARNING);
    return 1;
}
