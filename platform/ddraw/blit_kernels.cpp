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

// Short rows are filled in place. Long rows: the first row is filled pixel by pixel and
// every further row is a copy of it, which the C library writes with its widest stores
// while the source row stays in the first-level cache.
template <typename Pixel>
[[gnu::always_inline]] inline void FillRows(uint8_t* dst, int32_t pitch, int32_t width, int32_t height, Pixel value) {
    constexpr size_t kLongRow = 512;
    const size_t rowBytes = size_t(width) * sizeof(Pixel);
    if (rowBytes < kLongRow) {
        for (int32_t y = 0; y < height; ++y, dst += pitch) std::fill_n(reinterpret_cast<Pixel*>(dst), width, value);
        return;
    }
    std::fill_n(reinterpret_cast<Pixel*>(dst), width, value);
    for (int32_t y = 1; y < height; ++y) std::memcpy(dst + intptr_t(pitch) * y, dst, rowBytes);
}

// ---- Keyed copy ------------------------------------------------------------------------

// Every destination pixel is written back, either unchanged or from the source, so the
// loop has no branch and vectorises.
template <typename Pixel>
[[gnu::always_inline]] inline void CopyKeyedRows(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
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
[[gnu::always_inline]] inline void CopyKeyedRows<Pixel24>(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
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

// A table worked out per call: on the stack when small, on the heap otherwise.
template <typename T, size_t kInline>
class ScratchArray {
public:
    explicit ScratchArray(size_t count) {
        if (count <= kInline) return;
        heap_.resize(count);
        data_ = heap_.data();
    }
    ScratchArray(const ScratchArray&) = delete;
    ScratchArray& operator=(const ScratchArray&) = delete;
    T* data() const { return data_; }

private:
    T inline_[kInline];
    std::vector<T> heap_;
    T* data_ = inline_;
};

// Steps the truncated quotient start + i * numerator / denominator along i without a
// division per step: quotient and remainder advance by the precomputed step and carry.
class TruncatingStepper {
public:
    // All arguments are at least 0 and the denominator positive. Divisions are costly next
    // to a small blit, so there are two per stepper, in 32 bits whenever the values allow.
    TruncatingStepper(int64_t start, int64_t numerator, int64_t denominator) : denominator_(denominator) {
        DivideWithRemainder(uint64_t(numerator), uint64_t(denominator), &stepQuotient_, &stepRemainder_);
        DivideWithRemainder(uint64_t(start) * uint64_t(numerator), uint64_t(denominator), &quotient_, &remainder_);
    }
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
    static void DivideWithRemainder(uint64_t dividend, uint64_t divisor, int64_t* quotient, int64_t* remainder) {
        if (dividend < divisor) {
            *quotient = 0;
            *remainder = int64_t(dividend);
        } else if (((dividend | divisor) >> 32) == 0) {
            const uint32_t q = uint32_t(dividend) / uint32_t(divisor);
            *quotient = q;
            *remainder = uint32_t(dividend) - q * uint32_t(divisor);
        } else {
            *quotient = int64_t(dividend / divisor);
            *remainder = int64_t(dividend - uint64_t(*quotient) * divisor);
        }
    }

    int64_t denominator_;
    int64_t stepQuotient_;
    int64_t stepRemainder_;
    int64_t quotient_;
    int64_t remainder_;
};

// The source column of every clip column, computed once per call.
class ColumnTable {
public:
    explicit ColumnTable(const StretchGeometry& g) : columns_(size_t(g.clipRight - g.clipLeft)) {
        const int32_t count = int32_t(g.clipRight - g.clipLeft);
        TruncatingStepper column(g.clipLeft, g.srcWidth, g.dstWidth);
        for (int32_t i = 0; i < count; ++i, column.Advance()) columns_.data()[i] = column.Value();
    }
    const int32_t* data() const { return columns_.data(); }

private:
    ScratchArray<int32_t, 2048> columns_;
};

// Only the AVX2 build has the shuffle instruction; elsewhere the scalar loop is faster.
bool HasShuffle() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

struct ShuffleWindow {
    int32_t start;  // byte offset of the window in the source row
    uint8_t mask[16];
};

template <int bytes>
class ShufflePlan {
public:
    ShufflePlan(const int32_t* columns, int32_t width, int32_t srcWidth)
        : windows_(HasShuffle() ? size_t(width / (16 / bytes)) : 0) {
        if (!HasShuffle()) return;
        constexpr int perGroup = 16 / bytes;
        const int32_t groups = width / perGroup;
        int64_t widest = 0;
        for (int32_t g = 0; g < groups; ++g) {
            const int32_t* c = columns + g * perGroup;
            widest = std::max(widest, (int64_t(c[perGroup - 1]) - c[0] + 1) * bytes);
        }
        const int64_t srcRowBytes = int64_t(srcWidth) * bytes;
        windowBytes_ = widest <= 16 ? 16 : 32;
        if (widest > 32 || srcRowBytes < windowBytes_) return;
        for (int32_t g = 0; g < groups; ++g) {
            const int32_t* c = columns + g * perGroup;
            ShuffleWindow& window = windows_.data()[g];
            // Near the row's end the window slides back so that it stays inside the row.
            window.start = int32_t(std::min<int64_t>(int64_t(c[0]) * bytes, srcRowBytes - windowBytes_));
            for (int i = 0; i < perGroup; ++i)
                for (int b = 0; b < bytes; ++b) window.mask[i * bytes + b] = uint8_t(c[i] * bytes + b - window.start);
        }
        groups_ = groups;
        pixels_ = groups * perGroup;
    }
    int32_t Groups() const { return groups_; }
    int32_t Pixels() const { return pixels_; }
    bool Wide() const { return windowBytes_ == 32; }
    const ShuffleWindow* Windows() const { return windows_.data(); }

private:
    ScratchArray<ShuffleWindow, 128> windows_;
    int windowBytes_ = 16;
    int32_t groups_ = 0;
    int32_t pixels_ = 0;
};

// Sixteen bytes of output from one window of the source row: inside the AVX2 build of the
// kernels one byte shuffle instruction, or two and a blend for a 32-byte window.
using Bytes16 = uint8_t __attribute__((vector_size(16)));

template <bool Wide>
inline void ShuffleRow(uint8_t* dst, const uint8_t* srcRow, const ShuffleWindow* windows, int32_t groups) {
    for (int32_t g = 0; g < groups; ++g, dst += 16) {
        Bytes16 low, mask, shuffled;
        std::memcpy(&low, srcRow + windows[g].start, 16);
        std::memcpy(&mask, windows[g].mask, 16);
        if constexpr (Wide) {
            Bytes16 high;
            std::memcpy(&high, srcRow + windows[g].start + 16, 16);
            shuffled = __builtin_shuffle(low, high, mask);
        } else {
            shuffled = __builtin_shuffle(low, mask);
        }
        std::memcpy(dst, &shuffled, 16);
    }
}

template <typename Pixel>
[[gnu::always_inline]] inline void StretchRows(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, const StretchGeometry& g,
                 const KeyRange* key) {
    const int32_t width = int32_t(g.clipRight - g.clipLeft);
    const int32_t height = int32_t(g.clipBottom - g.clipTop);
    const ColumnTable table(g);
    const int32_t* columns = table.data();
    const ShufflePlan<sizeof(Pixel)> plan(columns, sizeof(Pixel) == 3 || key ? 0 : width, g.srcWidth);
    const int32_t shuffled = plan.Pixels();
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
            if (shuffled && plan.Wide())
                ShuffleRow<true>(dst, srcRow, plan.Windows(), plan.Groups());
            else if (shuffled)
                ShuffleRow<false>(dst, srcRow, plan.Windows(), plan.Groups());
            for (int32_t x = shuffled; x < width; ++x) d[x] = s[columns[x]];
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

// The kernels are built twice, for AVX2 and for the baseline; the loader picks one per
// process, so the choice costs nothing per call.
#define VANTOR_KERNEL __attribute__((target_clones("avx2", "default")))

VANTOR_KERNEL void FillPixels(uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height, int bytesPerPixel,
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
    case 3: return FillRows(dst, dstPitch, width, height, Pixel24{{uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)}});
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

VANTOR_KERNEL void CopyKeyedPixels(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
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

VANTOR_KERNEL void StretchPixels(uint8_t* dstClip, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
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
