// The font sheet tool's process-wide state, shared between the main loop (win_main.cpp),
// the font list (font_list.cpp) and the glyph sheet (glyph_sheet.cpp).
#pragma once

#include "display/display_device.h"
#include "surfaces/surface.h"

// List rows are this far apart; the band of drawn rows runs from y 0 to kLastRowY.
constexpr int32_t kRowHeight = 16;
constexpr int32_t kLastRowY = 464;
constexpr int32_t kFontTableSize = 1000;

// Colour references: red in the low byte, then green, then blue.
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kYellow = 0x00FFFF;

extern int32_t listY;          // y of the next row FontListProc draws
extern int32_t fontCount;      // fonts delivered so far by this pass's enumeration
extern int32_t selectedFont;   // index of the selected font; nothing bounds it
extern int32_t skipTableFill;  // nonzero: FontListProc records nothing (the first pass)
extern LOGFONTA fontTable[kFontTableSize];  // descriptions as enumerated; unseen stay zero

// The program's one display device, alive from before WinMain until process exit.
extern DisplayDevice displayDevice;

// One frame of the list: clears the render target and draws a row per visible font.
void DrawFontList();

// Draws one row of the list for a delivered font and records its description.
// The context is the address of the variable that holds the device context.
int CALLBACK FontListProc(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD fontType,
                          LPARAM context);

// The sheet's layout: character c's cell is the 16-pixel column at x 16c of a 4096 x 20
// sheet; its glyph, scaled from its measured box and the 2 rows above and below it, fills
// the cell's top 19 rows.
constexpr int32_t kCellWidth = 16;
constexpr int32_t kSheetWidth = 4096;
constexpr int32_t kSheetHeight = 20;
constexpr int32_t kGlyphTop = 2;    // rows kept above the measured box, and as many below
constexpr int32_t kBoxHeight = 20;  // rows the measured box and its 4 extra rows become

// Draws characters 1..255 of the font into the sheet, which the caller has cleared; the
// sheet is the render target afterwards.
void DrawGlyphSheet(Surface& sheetSurface, const LOGFONTA& font);

// Renders characters 1..255 of the selected font into the sheet and writes "Font.bmp".
// Returns the program's exit status: 0 when the file was written, 1 when it was not.
int32_t RenderGlyphSheet(Surface& sheetSurface);
