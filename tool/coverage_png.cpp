// Every row goes into the image data unfiltered: a zero byte, then FF FF FF and the alpha of
// each pixel. Those bytes need no search for matches. A pixel's white repeats the pixel
// before it, four bytes back (five at a row's start, behind the filter byte), and so does
// a whole pixel whose alpha is its left neighbour's; one copy covers each stretch between
// two changes of alpha, whose new alphas are the only literals. A 4096 x 20 sheet is some
// 25,000 symbols for 327 KB of data, and its file comes out smaller than a general
// compressor's fastest level makes it, for a fraction of the work.
#include "tool/coverage_png.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "tool/deflate_block.h"

namespace {

constexpr uint8_t kNoFilter = 0;
constexpr uint8_t kWhite = 0xFF;
constexpr uint32_t kBytesPerPixel = 4;
constexpr uint32_t kWhiteBytes = 3;
constexpr uint32_t kLargestChunk = 0x7FFFFFFF;

// The first pixel from `from` on whose alpha differs from its left neighbour's, or width:
// eight at a time through the runs between glyphs.
int32_t NextChange(const uint8_t* alpha, int32_t from, int32_t width) {
    int32_t x = from;
    for (; x + 8 <= width; x += 8) {
        uint64_t here, left;
        std::memcpy(&here, alpha + x, sizeof here);
        std::memcpy(&left, alpha + x - 1, sizeof left);
        if (const uint64_t differs = here ^ left; differs != 0) {
            const int firstByte = std::endian::native == std::endian::little
                                      ? std::countr_zero(differs) / 8
                                      : std::countl_zero(differs) / 8;
            return x + firstByte;
        }
    }
    while (x < width && alpha[x] == alpha[x - 1]) ++x;
    return x;
}

void AddRow(DeflateBlock& block, const uint8_t* alpha, int32_t width, bool firstRow) {
    block.Literal(kNoFilter);
    if (firstRow)
        for (uint32_t i = 0; i < kWhiteBytes; ++i) block.Literal(kWhite);
    else
        block.Copy(kWhiteBytes, kBytesPerPixel + 1);
    block.Literal(alpha[0]);
    uint32_t repeated = 0;  // bytes since the last literal that repeat those a pixel back
    for (int32_t x = 1; x < width;) {
        const int32_t change = NextChange(alpha, x, width);
        repeated += kBytesPerPixel * uint32_t(change - x);
        if (change == width) break;
        block.Copy(repeated + kWhiteBytes, kBytesPerPixel);
        block.Literal(alpha[change]);
        repeated = 0;
        x = change + 1;
    }
    if (repeated != 0) block.Copy(repeated, kBytesPerPixel);
}

// Adler-32 of the image data, worked out a row at a time from the alphas alone. Appending
// bytes d[1..n] to data whose two sums are a and b makes them a + sum(d[i]) and
// b + n * a + sum((n + 1 - i) * d[i]). In a row of w pixels, n = 4w + 1, the white bytes of
// pixel x sit at 2 + 4x, 3 + 4x and 4 + 4x and its alpha at 5 + 4x: the row adds to the
// second sum a part fixed by its width and (4w - 3) * sum(alpha) - 4 * sum(x * alpha).
class DataChecksum {
public:
    void AddRow(const uint8_t* alpha, int32_t width) {
        const uint64_t w = uint64_t(width) % kModulus;
        const uint64_t n = (4 * w + 1) % kModulus;
        uint64_t alphas = 0, weighted = 0;  // sum(alpha), sum(x * alpha), reduced
        for (int32_t start = 0; start < width; start += kPixelsBetweenReductions) {
            const int32_t end = std::min(width, start + kPixelsBetweenReductions);
            uint32_t partAlphas = 0, partWeighted = 0;  // x counted from start
            for (int32_t x = start; x < end; ++x) {
                partAlphas += alpha[x];
                partWeighted += uint32_t(x - start) * alpha[x];
            }
            weighted =
                (weighted + partWeighted + uint64_t(start) % kModulus * partAlphas) % kModulus;
            alphas = (alphas + partAlphas) % kModulus;
        }
        // 255 * sum over x of the three white bytes' weights (3n - 6 - 12x).
        const uint64_t whiteWeights =
            (w * ((3 * n + kModulus - 6) % kModulus) % kModulus + kModulus -
             6 * w * ((w + kModulus - 1) % kModulus) % kModulus) %
            kModulus;
        const uint64_t rowSum = (765 * w + alphas) % kModulus;
        sumOfSums_ = (sumOfSums_ + n * sum_ + 255 * whiteWeights + (4 * w + kModulus - 3) * alphas +
                      4 * (kModulus - weighted)) %
                     kModulus;
        sum_ = (sum_ + rowSum) % kModulus;
    }
    uint32_t Value() const { return uint32_t(sumOfSums_ << 16 | sum_); }

private:
    static constexpr uint64_t kModulus = 65521;
    // Few enough that the partial sums stay within 32 bits.
    static constexpr int32_t kPixelsBetweenReductions = 4096;
    uint64_t sum_ = 1;
    uint64_t sumOfSums_ = 0;
};

void StoreBigEndian(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (24 - 8 * i));
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    out.resize(out.size() + 4);
    StoreBigEndian(out.data() + out.size() - 4, value);
}

// Starts a chunk: a length to be filled in and the type. Returns where the chunk starts.
size_t BeginChunk(std::vector<uint8_t>& png, const char (&type)[5]) {
    const size_t start = png.size();
    PutBigEndian(png, 0);
    png.insert(png.end(), type, type + 4);
    return start;
}

// Ends the chunk begun at start: its length and the CRC of its type and data. False when
// the data is too long for a chunk.
bool EndChunk(std::vector<uint8_t>& png, size_t start) {
    const size_t length = png.size() - start - 8;
    if (length > kLargestChunk) return false;
    StoreBigEndian(png.data() + start, uint32_t(length));
    const uLong crc = crc32(crc32(0, nullptr, 0), png.data() + start + 4, uInt(length + 4));
    PutBigEndian(png, uint32_t(crc));
    return true;
}

}  // namespace

std::vector<uint8_t> WhiteCoveragePng(const uint8_t* alpha, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || width > kWidestCoveragePng) return {};
    DeflateBlock block;
    DataChecksum checksum;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* row = alpha + size_t(width) * size_t(y);
        AddRow(block, row, width, y == 0);
        checksum.AddRow(row, width);
    }
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> png(std::begin(kSignature), std::end(kSignature));
    size_t chunk = BeginChunk(png, "IHDR");
    PutBigEndian(png, uint32_t(width));
    PutBigEndian(png, uint32_t(height));
    png.insert(png.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, the filter set, no interlace
    EndChunk(png, chunk);
    chunk = BeginChunk(png, "IDAT");
    png.insert(png.end(), {0x78, 0x01});  // deflate with a 32 KB window, made at speed
    block.Finish(png);
    PutBigEndian(png, checksum.Value());
    if (!EndChunk(png, chunk)) return {};
    EndChunk(png, BeginChunk(png, "IEND"));
    return png;
}
