#include "blit_kernels.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vantor::platform {
namespace {

// A 24-bit pixel: three bytes, blue first.
struct Pixel24 {
    uint8_t bytes[3];
};
static_assert(sizeof(Pixel24) == 3);

// Rows of a surface start on a multiple of the pixel size (pitches are width x bytes per
// pixel from an aligned block), so typed row pointers are sound.
inline uint32_t RawValue(uint8_t p) { return p; }
inline uint32_t RawValue(uint16_t p) { return p; }
inline uint32_t RawValue(uint32_t p) { return p; }
inline uint32_t RawValue(Pixel24 p) {
    return p.bytes[0] | (uint32_t(p.bytes[1]) << 8) | (uint32_t(p.bytes[2]) << 16);
}

// ---- Fill ------------------------------------------------------------------------------

template <typename Pixel>
void FillRows(uint8_t* dst, int32_t pitch, int32_t width, int32_t height, Pixel value) {
    for (int32_t y = 0; y < height; ++y, dst += pitch) std::fill_n(reinterpret_cast<Pixel*>(dst), width, value);
}

// Three-byte pixels do not fill well one by one: the first row is built pixel by pixel and
// copied to the others.
void Fill24(uint8_t* dst, int32_t pitch, int32_t width, int32_t height, uint32_t value) {
    const Pixel24 pixel = {{uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)}};
    std::fill_n(reinterpret_cast<Pixel24*>(dst), width, pixel);
    const size_t rowBytes = size_t(width) * 3;
    for (int32_t y = 1; y < height; ++y) std::memcpy(dst + intptr_t(pitch) * y, dst, rowBytes);
}

// ---- Keyed copy ------------------------------------------------------------------------

// Every destination pixel is written back, either unchanged or from the source, so the
// loop has no branch and vectorises.
template <typename Pixel>
void CopyKeyedRows(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
                   int32_t height, KeyRange key) {
    const uint32_t low = key.low;
    const uint32_t span = key.high - key.low;
    for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
        Pixel* d = reinterpret_cast<Pixel*>(dst);
        const Pixel* s = reinterpret_cast<const Pixel*>(src);
        for (int32_t x = 0; x < width; ++x) d[x] = (RawValue(s[x]) - low <= span) ? d[x] : s[x];
    }
}

template <>
void CopyKeyedRows<Pixel24>(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                            int32_t width, int32_t height, KeyRange key) {
    const uint32_t span = key.high - key.low;
    for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
        Pixel24* d = reinterpret_cast<Pixel24*>(dst);
        const Pixel24* s = reinterpret_cast<const Pixel24*>(src);
        for (int32_t x = 0; x < width; ++x)
            if (RawValue(s[x]) - key.low > span) d[x] = s[x];
    }
}

// ---- Stretch ---------------------------------------------------------------------------

// Steps the truncated quotient start + i * numerator / denominator along i without a
// division per step: quotient and remainder advance by the precomputed step and carry.
class TruncatingStepper {
public:
    TruncatingStepper(int64_t start, int64_t numerator, int64_t denominator)
        : denominator_(denominator),
          stepQuotient_(numerator / denominator),
          stepRemainder_(numerator % denominator),
          quotient_(start * numerator / denominator),
          remainder_(start * numerator % denominator) {}
    int32_t Value() const { return int32_t(quotient_); }
    // Advances one step; returns how far the quotient moved.
    int32_t Advance() {
        int64_t moved = stepQuotient_;
        remainder_ += stepRemainder_;
        if (remainder_ >= denominator_) {
            remainder_ -= denominator_;
            ++moved;
        }
        quotient_ += moved;
        return int32_t(moved);
    }

private:
    int64_t denominator_;
    int64_t stepQuotient_;
    int64_t stepRemainder_;
    int64_t quotient_;
    int64_t remainder_;
};

// The source column of every clip column, computed once per call.
class ColumnTable {
public:
    ColumnTable(const StretchGeometry& g) {
        const int32_t count = int32_t(g.clipRight - g.clipLeft);
        if (count > int32_t(kInline)) {
            heap_.resize(count);
            columns_ = heap_.data();
        }
        TruncatingStepper column(g.clipLeft, g.srcWidth, g.dstWidth);
        for (int32_t i = 0; i < count; ++i, column.Advance()) columns_[i] = column.Value();
    }
    const int32_t* data() const { return columns_; }

private:
    static constexpr size_t kInline = 2048;
    int32_t inline_[kInline];
    std::vector<int32_t> heap_;
    int32_t* columns_ = inline_;
};

template <typename Pixel>
void StretchRows(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, const StretchGeometry& g,
                 const KeyRange* key) {
    const int32_t width = int32_t(g.clipRight - g.clipLeft);
    const int32_t height = int32_t(g.clipBottom - g.clipTop);
    const ColumnTable table(g);
    const int32_t* columns = table.data();
    TruncatingStepper row(g.clipTop, g.srcHeight, g.dstHeight);
    const uint8_t* srcRow = src + intptr_t(srcPitch) * row.Value();
    const uint32_t low = key ? key->low : 0;
    const uint32_t span = key ? key->high - key->low : 0;
    const uint8_t* previousDst = nullptr;
    int32_t previousSource = -1;
    for (int32_t y = 0; y < height; ++y, dst += dstPitch) {
        Pixel* d = reinterpret_cast<Pixel*>(dst);
        const Pixel* s = reinterpret_cast<const Pixel*>(srcRow);
        if (!key && row.Value() == previousSource) {
            // The same source row again: the row just written is the answer.
            std::memcpy(d, previousDst, size_t(width) * sizeof(Pixel));
        } else if (!key) {
            for (int32_t x = 0; x < width; ++x) d[x] = s[columns[x]];
        } else {
            for (int32_t x = 0; x < width; ++x) {
                const Pixel p = s[columns[x]];
                if (RawValue(p) - low > span) d[x] = p;
            }
        }
        previousDst = dst;
        previousSource = row.Value();
        srcRow += intptr_t(srcPitch) * row.Advance();
    }
}

}  // namespace

void FillPixels(uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height, int bytesPerPixel,
                uint32_t value) {
    if (width <= 0 || height <= 0) return;
    switch (bytesPerPixel) {
    case 1:
        if (dstPitch == width) {
            std::memset(dst, int(value & 0xFF), size_t(width) * height);
            return;
        }
        for (int32_t y = 0; y < height; ++y, dst += dstPitch) std::memset(dst, int(value & 0xFF), width);
        return;
    case 2: return FillRows<uint16_t>(dst, dstPitch, width, height, uint16_t(value));
    case 3: return Fill24(dst, dstPitch, width, height, value);
    case 4: return FillRows<uint32_t>(dst, dstPitch, width, height, value);
    }
}

void CopyPixels(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
                int32_t height, int bytesPerPixel) {
    if (width <= 0 || height <= 0) return;
    const size_t rowBytes = size_t(width) * bytesPerPixel;
    if (size_t(dstPitch) == rowBytes && size_t(srcPitch) == rowBytes) {
        std::memmove(dst, src, rowBytes * height);
        return;
    }
    // Moving memory towards higher addresses: walk rows bottom-up so that a source row is
    // read before any destination row lands on it.
    if (reinterpret_cast<uintptr_t>(dst) > reinterpret_cast<uintptr_t>(src)) {
        dst += intptr_t(dstPitch) * (height - 1);
        src += intptr_t(srcPitch) * (height - 1);
        for (int32_t y = 0; y < height; ++y, dst -= dstPitch, src -= srcPitch) std::memmove(dst, src, rowBytes);
        return;
    }
    for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) std::memmove(dst, src, rowBytes);
}

void CopyKeyedPixels(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
                     int32_t height, int bytesPerPixel, KeyRange key) {
    if (width <= 0 || height <= 0) return;
    if (key.low > key.high) return CopyPixels(dst, dstPitch, src, srcPitch, width, height, bytesPerPixel);
    switch (bytesPerPixel) {
    case 1: return CopyKeyedRows<uint8_t>(dst, dstPitch, src, srcPitch, width, height, key);
    case 2: return CopyKeyedRows<uint16_t>(dst, dstPitch, src, srcPitch, width, height, key);
    case 3: return CopyKeyedRows<Pixel24>(dst, dstPitch, src, srcPitch, width, height, key);
    case 4: return CopyKeyedRows<uint32_t>(dst, dstPitch, src, srcPitch, width, height, key);
    }
}

void StretchPixels(uint8_t* dstClip, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   const StretchGeometry& geometry, int bytesPerPixel, const KeyRange* key) {
    const StretchGeometry& g = geometry;
    if (g.clipRight <= g.clipLeft || g.clipBottom <= g.clipTop || g.dstWidth <= 0 || g.dstHeight <= 0 ||
        g.srcWidth <= 0 || g.srcHeight <= 0)
        return;
    if (key && key->low > key->high) key = nullptr;
    switch (bytesPerPixel) {
    case 1: return StretchRows<uint8_t>(dstClip, dstPitch, src, srcPitch, g, key);
    case 2: return StretchRows<uint16_t>(dstClip, dstPitch, src, srcPitch, g, key);
    case 3: return StretchRows<Pixel24>(dstClip, dstPitch, src, srcPitch, g, key);
    case 4: return StretchRows<uint32_t>(dstClip, dstPitch, src, srcPitch, g, key);
    }
}

}  // namespace vantor::platform
