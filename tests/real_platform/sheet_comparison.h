// Compares two glyph sheets cell by cell by where they have ink, so that the same font
// rendered by two platforms can be held side by side without asking for equal pixels.
#pragma once

#include <string>
#include <vector>

#include "support/bitmap_reader.h"

namespace vantor::testing {

struct CellComparison {
    int code = 0;        // the character, whose cell starts at x = 16 * code
    double overlap = 1;  // intersection over union of the inked pixels; 1 when neither has ink
    int inkA = 0;
    int inkB = 0;  // inked pixels in each sheet's cell
};

// The graphic characters of the Western (Windows-1252) code page: those that should draw
// something in a font that has them.
std::vector<int> PrintableWesternCodes();

// Compares the given cells of two 4096 x 20 sheets; a pixel has ink when its luminance is
// above 96.
std::vector<CellComparison> CompareCells(const BitmapImage& a, const BitmapImage& b,
                                         const std::vector<int>& codes);

// Pixels of a screen or a file, 0x00RRGGBB row by row.
struct Pixels {
    const std::vector<uint32_t>& rgb;
    int width;
};

// The ink overlap (intersection over union) of two boxes of one size, at (ax, ay) in a and
// (bx, by) in b; ink is a pixel whose luminance lies more than 96 from the background's.
// 1 when neither has ink.
double BoxInkOverlap(Pixels a, int ax, int ay, Pixels b, int bx, int by, int width, int height,
                     uint32_t background);

}  // namespace vantor::testing
