// The sheet as a PNG: white, each pixel's coverage in its alpha, written by stb's PNG
// writer into a file that replaces the old one only when whole.
//
// stb's writer compresses with zlib's deflate at its fastest level instead of its own, which
// compares every entry of a hash chain at every byte (up to 258 bytes each, twice with its
// lazy match): three fifths of the instructions of a whole one-sheet run. The rows go out
// unfiltered instead of each with the best of five filters, all five tried: on these
// sheets that costs more than it saves the compressor.
#include <zlib.h>

#include <cstdlib>
#include <vector>

#include "surfaces/replacing_file.h"
#include "tool/fontsheet.h"
#include "tool/sheet_files.h"

namespace {

// zlib's defaults, a 32 KB window, as stb's own deflate has.
constexpr int kWindowBits = 15;
constexpr int kMemoryLevel = 8;

// stb's hook for its compressor: a block from malloc, which stb frees.
unsigned char* Deflate(const unsigned char* data, int length, int* outLength, int) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, kWindowBits, kMemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return nullptr;
    const uLong bound = deflateBound(&stream, static_cast<uLong>(length));
    auto* out = static_cast<unsigned char*>(std::malloc(bound));
    stream.next_in = const_cast<unsigned char*>(data);
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = out;
    stream.avail_out = static_cast<uInt>(bound);
    const bool done = out != nullptr && deflate(&stream, Z_FINISH) == Z_STREAM_END;
    deflateEnd(&stream);
    if (!done) {
        std::free(out);
        return nullptr;
    }
    *outLength = static_cast<int>(stream.total_out);
    return out;
}

}  // namespace

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STBIW_ZLIB_COMPRESS Deflate
#include <stb_image_write.h>

namespace {

constexpr int kNoFilter = 0;

void WriteToFile(void* context, void* data, int size) {
    static_cast<ReplacingFile*>(context)->Write(data, static_cast<size_t>(size));
}

// A pixel's coverage looked up a byte at a time: outside palette modes a pixel's green is
// the OR of the greens of its bytes taken alone (each bit of the widened channel copies
// one bit of the pixel), and its alpha a function of that green.
struct CoverageTables {
    uint8_t greenOfByte[4][256];
    uint8_t alphaOfGreen[256];
};

// The glyphs are grey on black: green, the channel with the most bits in 16-bit modes,
// carries the coverage, scaled so that full white is 255.
void BuildCoverageTables(int32_t bytesPerPixel, CoverageTables& tables) {
    uint8_t red = 0, fullGreen = 0, blue = 0;
    displayDevice.PixelToRgb(((1u << displayDevice.greenBits) - 1) << displayDevice.greenLow, red,
                             fullGreen, blue);
    const uint32_t full = fullGreen != 0 ? fullGreen : 255;
    for (int32_t position = 0; position < bytesPerPixel; ++position)
        for (uint32_t value = 0; value < 256; ++value)
            displayDevice.PixelToRgb(value << (8 * position), red,
                                     tables.greenOfByte[position][value], blue);
    for (uint32_t green = 0; green < 256; ++green)
        tables.alphaOfGreen[green] = static_cast<uint8_t>((green * 255u + full / 2) / full);
}

// One row of pixels (little-endian in memory) as white RGBA with the coverage in alpha.
template <int32_t BytesPerPixel>
void CoverageRow(const uint8_t* pixel, int32_t width, const CoverageTables& tables, uint8_t* out) {
    for (int32_t x = 0; x < width; ++x, pixel += BytesPerPixel, out += 4) {
        uint8_t green = tables.greenOfByte[0][pixel[0]];
        for (int32_t i = 1; i < BytesPerPixel; ++i) green |= tables.greenOfByte[i][pixel[i]];
        out[0] = out[1] = out[2] = 255;
        out[3] = tables.alphaOfGreen[green];
    }
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
    std::vector<uint8_t> rgba(size_t(4) * width * displayDevice.targetHeight);
    for (int32_t y = 0; y < displayDevice.targetHeight; ++y)
        row(pixels + int64_t{y} * displayDevice.targetPitch, width, tables,
            rgba.data() + size_t(4) * width * y);
    return rgba;
}

bool WritePng(const std::string& path) {
    const CoverageRowFunction row = CoverageRowFor(displayDevice.bitsPerPixel / 8);
    uint8_t* pixels = row != nullptr ? displayDevice.LockTarget(1) : nullptr;
    if (pixels == nullptr) return false;
    const std::vector<uint8_t> rgba = CoverageImage(pixels, row);
    displayDevice.UnlockTarget();
    ReplacingFile file(path);
    const int32_t width = displayDevice.targetWidth;
    stbi_write_force_png_filter = kNoFilter;
    return file.IsOpen() &&
           stbi_write_png_to_func(WriteToFile, &file, width, displayDevice.targetHeight, 4,
                                  rgba.data(), width * 4) != 0 &&
           file.Commit();
}

}  // namespace

bool WriteSheetFile(const std::string& path, SheetFormat format) {
    if (format == SheetFormat::Png) return WritePng(path);
    return displayDevice.SaveBitmap(path.c_str()) != 0;
}
