// The sheet as a PNG: white, each pixel's coverage in its alpha, in a file that replaces the
// old one only when whole.
#include <vector>

#include "surfaces/replacing_file.h"
#include "surfaces/pixel_colours.h"
#include "tool/coverage_png.h"
#include "tool/fontsheet.h"
#include "tool/sheet_files.h"

namespace {

// A pixel's coverage: its colour looked up a byte at a time, and its alpha a function of
// the colour's green.
struct CoverageTables {
    ByteColours colours;
    uint8_t alphaOfGreen[256];
};

// The glyphs are grey on black: green, the channel with the most bits in 16-bit modes,
// carries the coverage, scaled so that full white is 255.
void BuildCoverageTables(int32_t bytesPerPixel, CoverageTables& tables) {
    uint8_t red = 0, fullGreen = 0, blue = 0;
    displayDevice.PixelToRgb(((1u << displayDevice.greenBits) - 1) << displayDevice.greenLow, red,
                             fullGreen, blue);
    const uint32_t full = fullGreen != 0 ? fullGreen : 255;
    BuildByteColours(displayDevice, bytesPerPixel, tables.colours);
    for (uint32_t green = 0; green < 256; ++green)
        tables.alphaOfGreen[green] = static_cast<uint8_t>((green * 255u + full / 2) / full);
}

// One row of pixels as their coverage.
template <int32_t BytesPerPixel>
void CoverageRow(const uint8_t* pixel, int32_t width, const CoverageTables& tables, uint8_t* out) {
    VisitColours<BytesPerPixel>(pixel, width, tables.colours,
                                [&](int32_t x, uint32_t bgr, int32_t run) {
                                    const uint8_t alpha = tables.alphaOfGreen[bgr >> 8 & 0xFF];
                                    for (int32_t k = 0; k < run; ++k) out[x + k] = alpha;
                                });
}

using CoverageRowFunction = void (*)(const uint8_t*, int32_t, const CoverageTables&, uint8_t*);

CoverageRowFunction CoverageRowFor(int32_t bytesPerPixel) {
    switch (bytesPerPixel) {
        case 1: return CoverageRow<1>;
        case 2: return CoverageRow<2>;
        case 3: return CoverageRow<3>;
        case 4: return CoverageRow<4>;
        default: return nullptr;
    }
}

std::vector<uint8_t> CoverageImage(const uint8_t* pixels, CoverageRowFunction row) {
    CoverageTables tables;
    BuildCoverageTables(displayDevice.bitsPerPixel / 8, tables);
    const int32_t width = displayDevice.targetWidth;
    std::vector<uint8_t> coverage(size_t(width) * size_t(displayDevice.targetHeight));
    for (int32_t y = 0; y < displayDevice.targetHeight; ++y)
        row(pixels + int64_t{y} * displayDevice.targetPitch, width, tables,
            coverage.data() + size_t(width) * size_t(y));
    return coverage;
}

bool WritePng(const std::string& path) {
    const CoverageRowFunction row = CoverageRowFor(displayDevice.bitsPerPixel / 8);
    uint8_t* pixels = row != nullptr ? displayDevice.LockTarget(1) : nullptr;
    if (pixels == nullptr) return false;
    const std::vector<uint8_t> coverage = CoverageImage(pixels, row);
    displayDevice.UnlockTarget();
    const std::vector<uint8_t> png =
        WhiteCoveragePng(coverage.data(), displayDevice.targetWidth, displayDevice.targetHeight);
    ReplacingFile file(path);
    return !png.empty() && file.IsOpen() && file.Write(png.data(), png.size()) && file.Commit();
}

}  // namespace

bool WriteSheetFile(const std::string& path, SheetFormat format) {
    if (format == SheetFormat::Png) return WritePng(path);
    return displayDevice.SaveBitmap(path.c_str()) != 0;
}
