// The point-sampled stretch of the blitter (StretchPixels in blit_kernels.h), whole, as each
// build of the kernels compiles it: a row plan kept while the geometry repeats, and a column
// loop. A build with byte shuffles (blit_kernels_avx2.cpp) asks the plan for shuffle windows
// and builds the rows that have them its own way. See kernel_common.h for why this sits in
// an unnamed namespace.
#pragma once

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
    TruncatingStepper(int64_t start, int64_t numerator, int64_t denominator)
        : denominator_(denominator) {
        DivideWithRemainder(uint64_t(numerator), uint64_t(denominator), &stepQuotient_,
                            &stepRemainder_);
        DivideWithRemainder(uint64_t(start) * uint64_t(numerator), uint64_t(denominator),
                            &quotient_, &remainder_);
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
    static void DivideWithRemainder(uint64_t dividend, uint64_t divisor, int64_t* quotient,
                                    int64_t* remainder) {
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
        if (!last.Fits(g, shuffle)) last.Build(g, shuffle);
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
        return key_.srcWidth == g.srcWidth && key_.dstWidth == g.dstWidth &&
               key_.clipLeft == g.clipLeft && key_.clipRight == g.clipRight &&
               key_.shuffle == shuffle;
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
            window.start =
                int32_t(std::min<int64_t>(int64_t(c[0]) * bytes, srcRowBytes - windowBytes_));
            for (int i = 0; i < perGroup; ++i)
                for (int b = 0; b < bytes; ++b)
                    window.mask[i * bytes + b] = uint8_t(c[i] * bytes + b - window.start);
        }
        shuffledPixels_ = groups * perGroup;
    }

    Key key_;  // at first empty (no clip columns), which no stretch asks for
    std::vector<int32_t> columns_;
    std::vector<ShuffleWindow> windows_;
    int windowBytes_ = 16;
    int32_t shuffledPixels_ = 0;
};

// Rows is the build's row policy: kShuffles says whether it plans shuffle windows, and a
// build that does builds the rows of such a plan with Rows::Shuffled.
template <typename Rows, typename Pixel>
[[gnu::always_inline]] inline void StretchRows(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                               int32_t srcPitch, const StretchGeometry& g,
                                               const KeyRange* key) {
    const int32_t width = int32_t(g.clipRight - g.clipLeft);
    const int32_t height = int32_t(g.clipBottom - g.clipTop);
    const RowPlan<sizeof(Pixel)>& plan =
        RowPlan<sizeof(Pixel)>::For(g, Rows::kShuffles && sizeof(Pixel) != 3 && !key);
    const int32_t* columns = plan.Columns();
    TruncatingStepper row(g.clipTop, g.srcHeight, g.dstHeight);
    const uint8_t* srcRow = src + intptr_t(srcPitch) * row.Value();
    if constexpr (Rows::kShuffles && sizeof(Pixel) != 3) {
        if (plan.ShuffledPixels())
            return Rows::template Shuffled<Pixel>(dst, dstPitch, srcRow, srcPitch, row, width,
                                                  height, plan);
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

template <typename Rows>
void StretchBox(uint8_t* dstClip, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                const StretchGeometry& geometry, int bytesPerPixel, const KeyRange* key) {
    const StretchGeometry& g = geometry;
    if (g.clipRight <= g.clipLeft || g.clipBottom <= g.clipTop || g.dstWidth <= 0 ||
        g.dstHeight <= 0 || g.srcWidth <= 0 || g.srcHeight <= 0)
        return;
    if (key && key->low > key->high) key = nullptr;
    switch (bytesPerPixel) {
        case 1: return StretchRows<Rows, uint8_t>(dstClip, dstPitch, src, srcPitch, g, key);
        case 2: return StretchRows<Rows, uint16_t>(dstClip, dstPitch, src, srcPitch, g, key);
        case 3: return StretchRows<Rows, Pixel24>(dstClip, dstPitch, src, srcPitch, g, key);
        case 4: return StretchRows<Rows, uint32_t>(dstClip, dstPitch, src, srcPitch, g, key);
    }
}

}  // namespace
}  // namespace vantor::platform
