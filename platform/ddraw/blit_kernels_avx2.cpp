// The AVX2 build of the blitter's kernels: the fill, keyed copy and stretch of blit_rows.h
// and stretch_rows.h compiled for AVX2 (the fill's and keyed copy's loops vectorise 32 bytes
// at a time), and byte shuffles that build the stretched rows whose plan has windows.
//
// CMake builds this file with -mavx2 on x86 only; anywhere else it holds no code and the
// table is null.
#include "ddraw/kernel_common.h"

#ifdef __AVX2__

#include <immintrin.h>

#include "ddraw/blit_rows.h"
#include "ddraw/stretch_rows.h"

namespace vantor::platform {
namespace {

// Thirty-two bytes of output from two 16-byte windows of the source row, in one shuffle.
[[gnu::always_inline]] inline void ShuffleTwo(uint8_t* dst, const uint8_t* srcRow,
                                              int32_t firstStart, int32_t secondStart,
                                              __m256i masks) {
    const __m256i windows =
        _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(srcRow + secondStart),
                            reinterpret_cast<const __m128i*>(srcRow + firstStart));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_shuffle_epi8(windows, masks));
}

// Sixteen bytes of output from one 16-byte window.
[[gnu::always_inline]] inline void ShuffleOne(uint8_t* dst, const uint8_t* srcRow, int32_t start,
                                              __m128i mask) {
    const __m128i window = _mm_loadu_si128(reinterpret_cast<const __m128i*>(srcRow + start));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_shuffle_epi8(window, mask));
}

[[gnu::always_inline]] inline __m256i MasksOf(const ShuffleWindow& first,
                                              const ShuffleWindow& second) {
    return _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(second.mask),
                               reinterpret_cast<const __m128i*>(first.mask));
}

[[gnu::always_inline]] inline __m128i MaskOf(const ShuffleWindow& window) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(window.mask));
}

// Rows of any number of 16-byte windows, read from the plan as the row goes.
struct NarrowShuffle {
    static constexpr bool kCopiesRepeatedRows = true;
    const ShuffleWindow* windows;
    int32_t groups;

    [[gnu::always_inline]] inline void operator()(uint8_t* dst, const uint8_t* srcRow) const {
        int32_t g = 0;
        for (; g + 2 <= groups; g += 2, dst += 32)
            ShuffleTwo(dst, srcRow, windows[g].start, windows[g + 1].start,
                       MasksOf(windows[g], windows[g + 1]));
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

    [[gnu::always_inline]] inline explicit HeldShuffle(const ShuffleWindow* windows) {
        for (int32_t g = 0; g < kGroups; ++g) starts[g] = windows[g].start;
        for (int32_t g = 0; g + 2 <= kGroups; g += 2)
            masks[g / 2] = MasksOf(windows[g], windows[g + 1]);
        if constexpr (kGroups % 2 != 0)
            masks[kGroups / 2] = _mm256_castsi128_si256(MaskOf(windows[kGroups - 1]));
    }

    [[gnu::always_inline]] inline void operator()(uint8_t* dst, const uint8_t* srcRow) const {
        for (int32_t g = 0; g + 2 <= kGroups; g += 2)
            ShuffleTwo(dst + 16 * g, srcRow, starts[g], starts[g + 1], masks[g / 2]);
        if constexpr (kGroups % 2 != 0)
            ShuffleOne(dst + 16 * (kGroups - 1), srcRow, starts[kGroups - 1],
                       _mm256_castsi256_si128(masks[kGroups / 2]));
    }
};

// Rows of 32-byte windows: two shuffles and a blend per 16 bytes of output. A mask byte
// below 16 picks from the low half of the window, 16 to 31 from the high half.
struct WideShuffle {
    static constexpr bool kCopiesRepeatedRows = true;
    const ShuffleWindow* windows;
    int32_t groups;

    [[gnu::always_inline]] inline void operator()(uint8_t* dst, const uint8_t* srcRow) const {
        const __m128i lastLow = _mm_set1_epi8(15);
        for (int32_t g = 0; g < groups; ++g, dst += 16) {
            const uint8_t* window = srcRow + windows[g].start;
            const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(window));
            const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(window + 16));
            const __m128i mask = MaskOf(windows[g]);
            const __m128i shuffled =
                _mm_blendv_epi8(_mm_shuffle_epi8(low, mask), _mm_shuffle_epi8(high, mask),
                                _mm_cmpgt_epi8(mask, lastLow));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), shuffled);
        }
    }
};

// Copies a row of at least 32 bytes to the row below it, 32 bytes at a time and inline: a
// call in the row loop would make the compiler keep its values in memory across it for every
// row.
[[gnu::always_inline]] inline void CopyToRowBelow(uint8_t* row, int32_t pitch, size_t bytes) {
    uint8_t* below = row + pitch;
    size_t i = 0;
    for (; i + 32 <= bytes; i += 32) std::memcpy(below + i, row + i, 32);
    if (i < bytes) std::memcpy(below + bytes - 32, row + bytes - 32, 32);
}

// An unkeyed stretch whose plan has windows, whole, so that the shuffles inline into the row
// loop. Columns past the last whole group are copied one by one. A row
// of 32 bytes or more that samples the same source row as the one above is a copy of it,
// unless the shuffler holds its masks in registers: such a row (at most 64 bytes) is as quick
// to shuffle again, and the copy would crowd the masks out of the registers. Shuffling a
// short row again also saves reading back a row whose writes have not reached the cache.
template <typename Pixel, typename Shuffle>
void ShuffledRows(uint8_t* dst, int32_t dstPitch, const uint8_t* srcRow, int32_t srcPitch,
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
            for (; copyRepeats && moved == 0 && y + 1 < height;
                 ++y, dst += dstPitch, moved = row.Advance())
                CopyToRowBelow(dst, dstPitch, rowBytes);
        }
        srcRow += intptr_t(srcPitch) * moved;
    }
}

// Chooses the shuffler for the plan, once per stretch.
template <typename Pixel>
void ShuffledRowsFor(uint8_t* dst, int32_t dstPitch, const uint8_t* srcRow, int32_t srcPitch,
                     TruncatingStepper row, int32_t width, int32_t height,
                     const RowPlan<sizeof(Pixel)>& plan) {
    const ShuffleWindow* windows = plan.Windows();
    const int32_t groups = plan.Groups();
    if (plan.Wide())
        return ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan,
                                   WideShuffle{windows, groups});
    switch (groups) {
        case 1:
            return ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan,
                                       HeldShuffle<1>(windows));
        case 2:
            return ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan,
                                       HeldShuffle<2>(windows));
        case 3:
            return ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan,
                                       HeldShuffle<3>(windows));
        case 4:
            return ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan,
                                       HeldShuffle<4>(windows));
        default:
            return ShuffledRows<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan,
                                       NarrowShuffle{windows, groups});
    }
}

// The shuffles build the rows of a plan with windows; other rows go column by column.
struct ShuffledStretchRows {
    static constexpr bool kShuffles = true;

    template <typename Pixel>
    static void Shuffled(uint8_t* dst, int32_t dstPitch, const uint8_t* srcRow, int32_t srcPitch,
                         TruncatingStepper row, int32_t width, int32_t height,
                         const RowPlan<sizeof(Pixel)>& plan) {
        ShuffledRowsFor<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width, height, plan);
    }
};

const BlitKernelTable kAvx2Table = {FillBox, CopyKeyedBox, StretchBox<ShuffledStretchRows>};

}  // namespace

// An address, not code: nothing of this file runs before the dispatcher has seen AVX2.
const BlitKernelTable* const kAvx2BlitKernels = &kAvx2Table;

}  // namespace vantor::platform

#else

const vantor::platform::BlitKernelTable* const vantor::platform::kAvx2BlitKernels = nullptr;

#endif
