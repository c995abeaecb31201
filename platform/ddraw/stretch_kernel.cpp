// The point-sampled stretch of the blitter (StretchPixels in blit_kernels.h): a row plan kept
// while the geometry repeats, byte shuffles for the rows where the processor has them, and
// a column loop everywhere else.
#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "blit_kernels.h"
#include "ddraw/kernel_common.h"

namespace vantor::platform {
namespace {

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
        // Steps below two, every enlargement and any shrink by up to half, need no division.
        if (dividend < divisor) {
            *quotient = 0;
            *remainder = int64_t(dividend);
        } else if (dividend - divisor < divisor) {
            *quotient = 1;
            *remainder = int64_t(dividend - divisor);
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

// Only the AVX2 build has the shuffle instruction; elsewhere the scalar loop is faster.
bool HasShuffle() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

struct ShuffleWindow {
    int32_t start;  // byte offset of the window in the source row
    uint8_t mask[16];
};

// How a stretch walks along a row: the source column of every clip column and, where the
// byte shuffle can build the row, a window of the source row and a shuffle mask for each 16
// bytes of output. It depends only on the horizontal geometry and the pixel size, and
// programs stretch the same way over and over (every glyph of a sheet into the same cell),
// so the last plan is kept and worked out again only when the geometry changes. Its tables
// keep their storage, so a stretch allocates nothing once the widest row has been seen.
// One plan is kept per pixel size.
template <int bytes>
class RowPlan {
public:
    // The plan for this geometry; valid until the next call on the same thread.
    static const RowPlan& For(const StretchGeometry& g, bool shuffle) {
        thread_local RowPlan last;
        const bool shuffles = shuffle && HasShuffle();
        if (!last.Fits(g, shuffles)) last.Build(g, shuffles);
        return last;
    }

    const int32_t* Columns() const { return columns_.data(); }
    // The shuffled pixels at the start of the row; the rest goes column by column.
    int32_t ShuffledPixels() const { return shuffledPixels_; }
    int32_t Groups() const { return int32_t(windows_.size()); }
    bool Wide() const { return windowBytes_ == 32; }
    const ShuffleWindow* Windows() const { return windows_.data(); }

private:
    struct Key {
        int64_t dstWidth = 0;
        int64_t clipLeft = 0;
        int64_t clipRight = 0;
        int32_t srcWidth = 0;
        bool shuffle = false;
    };

    // Compared field by field, as the caller has just written them: reading two fields in one
    // wide load, as a whole-key comparison compiles to, would wait for those writes to land.
    bool Fits(const StretchGeometry& g, bool shuffle) const {
        return key_.srcWidth == g.srcWidth && key_.dstWidth == g.dstWidth && key_.clipLeft == g.clipLeft &&
               key_.clipRight == g.clipRight && key_.shuffle == shuffle;
    }

    // Rare next to the stretches that reuse the plan, so kept out of their way.
    [[gnu::cold]] void Build(const StretchGeometry& g, bool shuffle) {
        const Key key = {g.dstWidth, g.clipLeft, g.clipRight, g.srcWidth, shuffle};
        key_ = key;
        const int32_t count = int32_t(key.clipRight - key.clipLeft);
        columns_.resize(size_t(count));
        TruncatingStepper column(key.clipLeft, key.srcWidth, key.dstWidth);
        for (int32_t i = 0; i < count; ++i, column.Advance()) columns_[i] = column.Value();
        windows_.clear();
        shuffledPixels_ = 0;
        if (key.shuffle) PlanWindows(count, key.srcWidth);
    }

    // Each window is 16 source bytes, or 32 when the output's 16 bytes reach that far;
    // wider reaches (strong shrinks) are left to the column loop.
    void PlanWindows(int32_t count, int32_t srcWidth) {
        constexpr int perGroup = 16 / bytes;
        const int32_t groups = count / perGroup;
        int64_t widest = 0;
        for (int32_t g = 0; g < groups; ++g) {
            const int32_t* c = columns_.data() + g * perGroup;
            widest = std::max(widest, (int64_t(c[perGroup - 1]) - c[0] + 1) * bytes);
        }
        const int64_t srcRowBytes = int64_t(srcWidth) * bytes;
        windowBytes_ = widest <= 16 ? 16 : 32;
        if (groups == 0 || widest > 32 || srcRowBytes < windowBytes_) return;
        windows_.resize(size_t(groups));
        for (int32_t g = 0; g < groups; ++g) {
            const int32_t* c = columns_.data() + g * perGroup;
            ShuffleWindow& window = windows_[g];
            // Near the row's end the window slides back so that it stays inside the row.
            window.start = int32_t(std::min<int64_t>(int64_t(c[0]) * bytes, srcRowBytes - windowBytes_));
            for (int i = 0; i < perGroup; ++i)
                for (int b = 0; b < bytes; ++b) window.mask[i * bytes + b] = uint8_t(c[i] * bytes + b - window.start);
        }
        shuffledPixels_ = groups * perGroup;
    }

    Key key_;  // at first empty (no clip columns), which no stretch asks for
    std::vector<int32_t> columns_;
    std::vector<ShuffleWindow> windows_;
    int windowBytes_ = 16;
    int32_t shuffledPixels_ = 0;
};

// The shufflers below build the shuffled part of one row; they are compiled for AVX2 whatever
// the build, since RowPlan plans windows only where the processor has it.
#define VANTOR_SHUFFLE [[gnu::target("avx2"), gnu::always_inline]] inline

// Thirty-two bytes of output from two 16-byte windows of the source row, in one shuffle.
VANTOR_SHUFFLE void ShuffleTwo(uint8_t* dst, const uint8_t* srcRow, int32_t firstStart, int32_t secondStart,
                               __m256i masks) {
    const __m256i windows = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(srcRow + secondStart),
                                                reinterpret_cast<const __m128i*>(srcRow + firstStart));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_shuffle_epi8(windows, masks));
}

// Sixteen bytes of output from one 16-byte window.
VANTOR_SHUFFLE void ShuffleOne(uint8_t* dst, const uint8_t* srcRow, int32_t start, __m128i mask) {
    const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(srcRow + start));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(window, mask));
}

VANTOR_SHUFFLE __m256i MasksOf(const ShuffleWindow& first, const ShuffleWindow& second) {
    return _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(second.mask), reinterpret_cast<const __m128i*>(first.mask));
}

VANTOR_SHUFFLE __m128i MaskOf(const ShuffleWindow& window) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(window.mask));
}

// Rows of any number of 16-byte windows, read from the plan as the row goes.
struct NarrowShuffle {
    static constexpr bool kCopiesRepeatedRows = true;
    const ShuffleWindow* windows;
    int32_t groups;

    VANTOR_SHUFFLE void operator()(uint8_t* dst, const uint8_t* srcRow) const {
        int32_t g = 0;
        for (; g + 2 <= groups; g += 2, dst += 32)
            ShuffleTwo(dst, srcRow, windows[g].start, windows[g + 1].start, MasksOf(windows[g], windows[g + 1]));
        if (g < groups) ShuffleOne(dst, srcRow, windows[g].start, MaskOf(windows[g]));
    }
};

// Rows of kGroups 16-byte windows, at most four (64 bytes of output, as in any glyph-sized
// cell): masks and window starts are read once and stay in registers for every row. The
// rows are bytes that may alias anything, so the plan would otherwise be read again per row.
template <int32_t kGroups>
struct HeldShuffle {
    static_assert(kGroups >= 1 && kGroups <= 4);
    static constexpr bool kCopiesRepeatedRows = false;
    __m256i masks[(kGroups + 1) / 2];
    int32_t starts[kGroups];

    VANTOR_SHUFFLE explicit HeldShuffle(const ShuffleWindow* windows) {
        for (int32_t g = 0; g < kGroups; ++g) starts[g] = windows[g].start;
        for (int32_t g = 0; g + 2 <= kGroups; g += 2) masks[g / 2] = MasksOf(windows[g], windows[g + 1]);
        if constexpr (kGroups % 2 != 0) masks[kGroups / 2] = _mm256_castsi128_si256(MaskOf(windows[kGroups - 1]));
    }

    VANTOR_SHUFFLE void operator()(uint8_t* dst, const uint8_t* srcRow) const {
        for (int32_t g = 0; g + 2 <= kGroups; g += 2) ShuffleTwo(dst + 16 * g, srcRow, starts[g], starts[g + 1], masks[g / 2]);
        if constexpr (kGroups % 2 != 0)
            ShuffleOne(dst + 16 * (kGroups - 1), srcRow, starts[kGroups - 1], _mm256_castsi256_si128(masks[kGroups / 2]));
    }
};

// Rows of 32-byte windows: two shuffles and a blend per 16 bytes of output.
using Bytes16 = uint8_t __attribute__((vector_size(16)));

struct WideShuffle {
    static constexpr bool kCopiesRepeatedRows = true;
    const ShuffleWindow* windows;
    int32_t groups;

    VANTOR_SHUFFLE void operator()(uint8_t* dst, const uint8_t* srcRow) const {
        for (int32_t g = 0; g < groups; ++g, dst += 16) {
            Bytes16 low, high, mask;
            std::memcpy(&low, srcRow + windows[g].start, 16);
            std::memcpy(&high, srcRow + windows[g].start + 16, 16);
            std::memcpy(&mask, windows[g].mask, 16);
            const Bytes16 shuffled = __builtin_shuffle(low, high, mask);
            std::memcpy(dst, &shuffled, 16);
        }
    }
};

// Copies a row of at least 32 bytes to the row below it, 32 bytes at a time and inline: a
// call in the row loop would make the compiler keep its values in memory across it for every
// row.
[[gnu::target("avx2"), gnu::always_inline]] inline void CopyToRowBelow(uint8_t* row, int32_t pitch, size_t bytes) {
    uint8_t* below = row + pitch;
    size_t i = 0;
    for (; i + 32 <= bytes; i += 32) std::memcpy(below + i, row + i, 32);
    if (i < bytes) std::memcpy(below + bytes - 32, row + bytes - 32, 32);
}

// An unkeyed stretch whose plan has windows, whole, built for AVX2 so that the shuffles
// inline into the row loop. Columns past the last whole group are copied one by one. A row
// of 32 bytes or more that samples the same source row as the one above is a copy of it,
// unless the shuffler holds its masks in registers: such a row (at most 64 bytes) is as quick
// to shuffle again, and the copy would crowd the masks out of the registers. Shuffling a
// short row again also saves reading back a row whose writes have not reached the cache.
template <typename Pixel, typename Shuffle>
[[gnu::target("avx2")]] void ShuffledRows(uint8_t* dst, int32_t dstPitch, const uint8_t* srcRow, int32_t srcPitch,
                                          TruncatingStepper row, int32_t width, int32_t height,
                                          const RowPlan<sizeof(Pixel)>& plan, Shuffle shuffle) {
    const int32_t* columns = plan.Columns();
    const int32_t shuffled = plan.ShuffledPixels();
    const size_t rowBytes = size_t(width) * sizeof(Pixel);
    const bool copyRepeats = Shuffle::kCopiesRepeatedRows && rowBytes >= 32;
    for (int32_t y = 0; y < height; ++y, dst += dstPitch) {
        shuffle(dst, srcRow);
        Pixel* d = reinterpret_cast<Pixel*>(dst);
        const Pixel* s = reinterpret_cast<const Pixel*>(srcRow);
        for (int32_t x = shuffled; x < width; ++x) d[x] = s[columns[x]];
        int32_t moved = row.Advance();
        if constexpr (Shuffle::kCopiesRepeatedRows) {
            for (; copyRepeats && moved == 0 && y + 1 < height; ++y, dst += dstPitch, moved = row.Advance())
                CopyToRowBelow(dst, dstPitch, rowBytes);
        }
        srcRow += intptr_t(srcPitch) * moved;
    }
}

// A held shuffle is made inside the AVX2 code, where its registers live.
template <typename Pixel, int32_t kGroups>
[[gnu::target("avx2")]] void HeldShuffledRows(uint8_t* dst, int32_t dstPitch, const uint8_t* srcRow, int32_t srcPitch,
                                              TruncatingStepper row, int32_t width, int32_t height,
                                              const RowPlan<sizeof(Pixel)>& plan) {
    ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan, HeldShuffle<kGroups>(plan.Windows()));
}

// Chooses the shuffler for the plan, once per stretch.
template <typename Pixel>
void ShuffledRowsFor(uint8_t* dst, int32_t dstPitch, const uint8_t* srcRow, int32_t srcPitch, TruncatingStepper row,
                     int32_t width, int32_t height, const RowPlan<sizeof(Pixel)>& plan) {
    const ShuffleWindow* windows = plan.Windows();
    const int32_t groups = plan.Groups();
    if (plan.Wide())
        return ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan, WideShuffle{windows, groups});
    switch (groups) {
    case 1: return HeldShuffledRows<Pixel, 1>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan);
    case 2: return HeldShuffledRows<Pixel, 2>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan);
    case 3: return HeldShuffledRows<Pixel, 3>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan);
    case 4: return HeldShuffledRows<Pixel, 4>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan);
    default:
        return ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan, NarrowShuffle{windows, groups});
    }
}

template <typename Pixel>
[[gnu::always_inline]] inline void StretchRows(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, const StretchGeometry& g,
                 const KeyRange* key) {
    const int32_t width = int32_t(g.clipRight - g.clipLeft);
    const int32_t height = int32_t(g.clipBottom - g.clipTop);
    const RowPlan<sizeof(Pixel)>& plan = RowPlan<sizeof(Pixel)>::For(g, sizeof(Pixel) != 3 && !key);
    const int32_t* columns = plan.Columns();
    const int32_t shuffled = plan.ShuffledPixels();
    TruncatingStepper row(g.clipTop, g.srcHeight, g.dstHeight);
    const uint8_t* srcRow = src + intptr_t(srcPitch) * row.Value();
    if constexpr (sizeof(Pixel) != 3) {
        if (shuffled) return ShuffledRowsFor<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan);
    }
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
