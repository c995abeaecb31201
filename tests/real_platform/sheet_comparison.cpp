#include "real_platform/sheet_comparison.h"

#include <cstdlib>

namespace vantor::testing {
namespace {

constexpr int kCellWidth = 16;
constexpr int kInkLuminance = 96;

int Luminance(uint32_t rgb) {
    const int red = (rgb >> 16) & 0xFF, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    return (299 * red + 587 * green + 114 * blue) / 1000;
}

bool Inked(uint32_t rgb) { return Luminance(rgb) > kInkLuminance; }

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
    std::vector<CellComparison> cells;
    for (int code : codes) {
        CellComparison cell;
        cell.code = code;
        int both = 0, either = 0;
        for (int y = 0; y < a.height && y < b.height; ++y) {
            for (int x = code * kCellWidth;
                 x < (code + 1) * kCellWidth && x < a.width && x < b.width; ++x) {
                const bool inA = Inked(a.At(x, y)), inB = Inked(b.At(x, y));
                cell.inkA += inA;
                cell.inkB += inB;
                both += inA && inB;
                either += inA || inB;
            }
        }
        if (either > 0) cell.overlap = static_cast<double>(both) / either;
        cells.push_back(cell);
    }
    return cells;
}

double BoxInkOverlap(Pixels a, int ax, int ay, Pixels b, int bx, int by, int width, int height,
                     uint32_t background) {
    const int paper = Luminance(background);
    auto inked = [paper](Pixels image, int x, int y) {
        return std::abs(Luminance(image.rgb[static_cast<size_t>(y) * image.width + x]) - paper) >
               kInkLuminance;
    };
    int both = 0, either = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool inA = inked(a, ax + x, ay + y), inB = inked(b, bx + x, by + y);
            both += inA && inB;
            either += inA || inB;
        }
    return either > 0 ? static_cast<double>(both) / either : 1;
}

}  // namespace vantor::testing
