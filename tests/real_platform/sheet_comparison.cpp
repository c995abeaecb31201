#include "real_platform/sheet_comparison.h"

#include <algorithm>
#include <cstdlib>

namespace vantor::testing {
namespace {

constexpr int kCellWidth = 16;
constexpr int kInkLuminance = 96;

int Luminance(uint32_t rgb) {
    const int red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    return (299 * red + 587 * green + 114 * blue) / 1000;
}

// The ink of two boxes of one size, a pixel being inked when its luminance lies more than
// 96 from the background's.
struct Ink {
    int inA = 0, inB = 0, both = 0, either = 0;
    double Overlap() const { return either > 0 ? static_cast<double>(both) / either : 1; }
};

Ink InkOf(Pixels a, int ax, int ay, Pixels b, int bx, int by, int width, int height,
          uint32_t background) {
    const int paper = Luminance(background);
    auto inked = [paper](Pixels image, int x, int y) {
        return std::abs(Luminance(image.rgb[static_cast<size_t>(y) * image.width + x]) - paper) >
               kInkLuminance;
    };
    Ink ink;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inA = inked(a, ax + x, ay + y), inB = inked(b, bx + x, by + y);
            ink.inA += inA;
            ink.inB += inB;
            ink.both += inA && inB;
            ink.either += inA || inB;
        }
    return ink;
}

}  // namespace

std::vector<int> PrintableWesternCodes() {
    std::vector<int> codes;
    for (int code = 0x21; code <= 0xFF; ++code) {
        // Delete, the five codes Windows-1252 leaves undefined, no-break space and soft hyphen.
        const bool blank = code == 0x7F || code == 0x81 || code == 0x8D || code == 0x8F ||
                           code == 0x90 || code == 0x9D || code == 0xA0 || code == 0xAD;
        if (!blank) codes.push_back(code);
    }
    return codes;
}

std::vector<CellComparison> CompareCells(const BitmapImage& a, const BitmapImage& b,
                                         const std::vector<int>& codes) {
    const int width = std::min(a.width, b.width), height = std::min(a.height, b.height);
    std::vector<CellComparison> cells;
    for (int code : codes) {
        const int left = std::min(code * kCellWidth, width);
        const int cellWidth = std::min((code + 1) * kCellWidth, width) - left;
        const Ink ink = InkOf({a.rgb, a.width}, left, 0, {b.rgb, b.width}, left, 0, cellWidth,
                              height, 0x000000);
        cells.push_back({code, ink.Overlap(), ink.inA, ink.inB});
    }
    return cells;
}

double BoxInkOverlap(Pixels a, int ax, int ay, Pixels b, int bx, int by, int width, int height,
                     uint32_t background) {
    return InkOf(a, ax, ay, b, bx, by, width, height, background).Overlap();
}

}  // namespace vantor::testing
