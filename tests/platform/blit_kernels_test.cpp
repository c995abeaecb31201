// The blitter's kernels against the per-pixel reference, over seeded random cases at every
// depth, on rows fenced by inaccessible pages so that any overrun crashes where it happens;
// every case through both builds of the kernels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <utility>

#include "ddraw/blit_kernels.h"
#include "platform/testing.h"
#include "support/fenced_rows.h"
#include "support/kernel_builds.h"
#include "support/reference_blits.h"

namespace vantor::testing {
namespace {

using platform::KeyRange;
using platform::StretchGeometry;

constexpr int kIterations = 400;

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    int32_t Between(int32_t low, int32_t high) {
        return std::uniform_int_distribution<int32_t>(low, high)(engine_);
    }
    uint32_t Bits() { return engine_(); }
    bool Chance(int percent) { return Between(0, 99) < percent; }

private:
    std::mt19937 engine_;
};

// Mostly a handful of values, so that keys and runs occur; now and then anything.
ReferenceImage RandomImage(Random& random, int32_t width, int32_t height, int bytes) {
    ReferenceImage image(width, height, bytes);
    const uint32_t few[] = {0, 1, 0x1F, 0x7E0, 0xF81F, 0xFFFFFF, 0x12345678};
    for (uint32_t& p : image.pixels)
        p = (random.Chance(70) ? few[random.Between(0, 6)] : random.Bits()) & image.Mask();
    return image;
}

Box RandomBoxInside(Random& random, int32_t width, int32_t height) {
    const int32_t left = random.Between(0, width - 1), top = random.Between(0, height - 1);
    return {left, top, random.Between(left + 1, width), random.Between(top + 1, height)};
}

void Load(FencedRows& rows, const ReferenceImage& image) {
    for (int32_t y = 0; y < image.height; ++y)
        for (int32_t x = 0; x < image.width; ++x) rows.Set(x, y, image.At(x, y));
}

::testing::AssertionResult Matches(const FencedRows& rows, const ReferenceImage& expected) {
    ReferenceImage actual(rows.Width(), rows.Height(), rows.BytesPerPixel());
    for (int32_t y = 0; y < actual.height; ++y)
        for (int32_t x = 0; x < actual.width; ++x) actual.At(x, y) = rows.Get(x, y);
    return SameImage(actual.View(), expected.View());
}

struct Case {
    uint32_t seed;
    Random random;
    int bytes;
    FenceSide side;
    explicit Case(int iteration, uint32_t salt)
        : seed(uint32_t(iteration) * 7919u + salt),
          random(seed),
          bytes(random.Between(1, 4)),
          side(random.Chance(50) ? FenceSide::AfterRow : FenceSide::BeforeRow) {}
    std::string Trace() const {
        return "seed " + std::to_string(seed) + " bytes " + std::to_string(bytes);
    }
};

class BlitKernels : public BothKernelBuilds<UsePlainKernels> {};
VANTOR_TEST_BOTH_KERNEL_BUILDS(BlitKernels);

TEST_P(BlitKernels, FillWritesExactlyTheBoxAtEveryDepth) {
    for (int i = 0; i < kIterations; ++i) {
        Case c(i, 1);
        SCOPED_TRACE(c.Trace());
        const int32_t w = c.random.Between(1, 90), h = c.random.Between(1, 12);
        ReferenceImage expected = RandomImage(c.random, w, h, c.bytes);
        FencedRows rows(w, h, c.bytes, c.side);
        Load(rows, expected);
        const Box box = RandomBoxInside(c.random, w, h);
        const uint32_t value = c.random.Bits();
        platform::FillPixels(rows.PixelAt(int32_t(box.left), int32_t(box.top)), rows.Pitch(),
                             int32_t(box.right - box.left), int32_t(box.bottom - box.top), c.bytes,
                             value);
        ReferenceFill(expected, box, value);
        ASSERT_TRUE(Matches(rows, expected));
    }
}

TEST_P(BlitKernels, CopyMatchesReferenceBetweenImagesAndWithinOne) {
    for (int i = 0; i < kIterations; ++i) {
        Case c(i, 2);
        SCOPED_TRACE(c.Trace());
        const bool withinOne = c.random.Chance(50);
        const int32_t w = c.random.Between(1, 70), h = c.random.Between(1, 12);
        ReferenceImage expected = RandomImage(c.random, w, h, c.bytes);
        ReferenceImage source = withinOne ? expected : RandomImage(c.random, w, h, c.bytes);
        FencedRows dst(w, h, c.bytes, c.side), src(w, h, c.bytes, c.side);
        Load(dst, expected);
        Load(src, source);
        const Box box = RandomBoxInside(c.random, w, h);
        const int32_t bw = int32_t(box.right - box.left), bh = int32_t(box.bottom - box.top);
        const int32_t x = c.random.Between(0, w - bw), y = c.random.Between(0, h - bh);
        FencedRows& from = withinOne ? dst : src;
        platform::CopyPixels(dst.PixelAt(x, y), dst.Pitch(),
                             from.PixelAt(int32_t(box.left), int32_t(box.top)), from.Pitch(), bw,
                             bh, c.bytes);
        ReferenceCopy(expected, x, y, source, box);
        ASSERT_TRUE(Matches(dst, expected)) << (withinOne ? "within one image" : "between images");
    }
}

TEST_P(BlitKernels, KeyedCopySkipsEveryPixelInTheKeyRange) {
    for (int i = 0; i < kIterations; ++i) {
        Case c(i, 3);
        SCOPED_TRACE(c.Trace());
        const int32_t w = c.random.Between(1, 70), h = c.random.Between(1, 10);
        ReferenceImage expected = RandomImage(c.random, w, h, c.bytes);
        const ReferenceImage source = RandomImage(c.random, w, h, c.bytes);
        FencedRows dst(w, h, c.bytes, c.side), src(w, h, c.bytes, c.side);
        Load(dst, expected);
        Load(src, source);
        // Single keys, ranges, ranges beyond the depth and empty (inverted) ranges.
        uint32_t low = source.pixels[c.random.Between(0, w * h - 1)];
        uint32_t high = c.random.Chance(60)
                            ? low
                            : c.random.Bits() & (c.random.Chance(80) ? source.Mask() : ~0u);
        const Box box = RandomBoxInside(c.random, w, h);
        const int32_t bw = int32_t(box.right - box.left), bh = int32_t(box.bottom - box.top);
        const int32_t x = c.random.Between(0, w - bw), y = c.random.Between(0, h - bh);
        platform::CopyKeyedPixels(dst.PixelAt(x, y), dst.Pitch(),
                                  src.PixelAt(int32_t(box.left), int32_t(box.top)), src.Pitch(), bw,
                                  bh, c.bytes, KeyRange{low, high});
        ReferenceCopy(expected, x, y, source, box, ReferenceKey{low, high});
        ASSERT_TRUE(Matches(dst, expected)) << "key " << low << ".." << high;
    }
}

// Runs the stretch kernel for a destination box that may reach past the image, clipped
// to clip and to the image, and checks the whole image against the reference.
void CheckStretch(Case& c, int32_t w, int32_t h, Box dstBox, Box clip, const ReferenceImage& source,
                  Box srcBox, std::optional<ReferenceKey> key) {
    ReferenceImage expected = RandomImage(c.random, w, h, c.bytes);
    FencedRows dst(w, h, c.bytes, c.side), src(source.width, source.height, c.bytes, c.side);
    Load(dst, expected);
    Load(src, source);
    const Box cut = {std::max({clip.left, dstBox.left, int64_t(0)}),
                     std::max({clip.top, dstBox.top, int64_t(0)}),
                     std::min({clip.right, dstBox.right, int64_t(w)}),
                     std::min({clip.bottom, dstBox.bottom, int64_t(h)})};
    if (cut.left < cut.right && cut.top < cut.bottom) {
        const StretchGeometry g = {dstBox.right - dstBox.left,
                                   dstBox.bottom - dstBox.top,
                                   int32_t(srcBox.right - srcBox.left),
                                   int32_t(srcBox.bottom - srcBox.top),
                                   cut.left - dstBox.left,
                                   cut.top - dstBox.top,
                                   cut.right - dstBox.left,
                                   cut.bottom - dstBox.top};
        const KeyRange range = key ? KeyRange{key->low, key->high} : KeyRange{};
        platform::StretchPixels(dst.PixelAt(int32_t(cut.left), int32_t(cut.top)), dst.Pitch(),
                                src.PixelAt(int32_t(srcBox.left), int32_t(srcBox.top)), src.Pitch(),
                                g, c.bytes, key ? &range : nullptr);
    }
    ReferenceStretch(expected, dstBox, clip, source, srcBox, key);
    ASSERT_TRUE(Matches(dst, expected));
}

TEST_P(BlitKernels, StretchMatchesReferenceWithBoxesPastEveryEdge) {
    for (int i = 0; i < kIterations; ++i) {
        Case c(i, 4);
        SCOPED_TRACE(c.Trace());
        const int32_t w = c.random.Between(1, 60), h = c.random.Between(1, 24);
        const ReferenceImage source =
            RandomImage(c.random, c.random.Between(1, 40), c.random.Between(1, 30), c.bytes);
        const Box srcBox = RandomBoxInside(c.random, source.width, source.height);
        const int64_t left = c.random.Between(-40, w + 5), top = c.random.Between(-20, h + 5);
        const Box dstBox = {left, top, left + c.random.Between(1, 100),
                            top + c.random.Between(1, 50)};
        const int64_t cl = c.random.Between(-5, w), ct = c.random.Between(-5, h);
        const Box clip = {cl, ct, cl + c.random.Between(1, w + 10),
                          ct + c.random.Between(1, h + 10)};
        std::optional<ReferenceKey> key;
        if (c.random.Chance(40)) {
            const uint32_t low =
                source.pixels[c.random.Between(0, source.width * source.height - 1)];
            key = ReferenceKey{low,
                               c.random.Chance(70) ? low : low + uint32_t(c.random.Between(0, 40))};
        }
        CheckStretch(c, w, h, dstBox, clip, source, srcBox, key);
    }
}

// Wider than the kernel's inline column table, and a destination box of billions of
// pixels of which only a sliver is written: the scale must still come from the whole box.
TEST_P(BlitKernels, StretchHandlesWideClipsAndHugeDestinationBoxes) {
    Case c(0, 5);
    c.bytes = 2;
    const ReferenceImage source = RandomImage(c.random, 1000, 3, c.bytes);
    CheckStretch(c, 3000, 4, {0, 0, 3000, 4}, {0, 0, 3000, 4}, source, {0, 0, 1000, 3},
                 std::nullopt);
    const ReferenceImage narrow = RandomImage(c.random, 50, 4, c.bytes);
    CheckStretch(c, 40, 4, {-2000000000, -3, 2000000000, 7}, {0, 0, 40, 4}, narrow, {0, 0, 50, 4},
                 std::nullopt);
}

// Shrinking by up to half gathers each output group from a window twice as wide; the
// windows at the row's end must stay inside the source row (the fence catches a slip).
TEST_P(BlitKernels, ShrinkingStretchesMatchTheReferenceAtEveryDepth) {
    for (int bytes : {1, 2, 3, 4}) {
        for (int32_t to : {32, 33, 47, 63}) {
            Case c(to, 6);
            c.bytes = bytes;
            SCOPED_TRACE(c.Trace() + " to " + std::to_string(to));
            const ReferenceImage source = RandomImage(c.random, 64, 3, bytes);
            CheckStretch(c, to, 2, {0, 0, to, 2}, {0, 0, to, 2}, source, {0, 0, 64, 3},
                         std::nullopt);
        }
    }
}

// Rows that sample the same source row as the row above are either shuffled again or copied
// from that row, by how the row is built: short and long, enlarged and shrunk, each one
// source row stretched over three.
TEST_P(BlitKernels, RowsRepeatingASourceRowMatchTheReferenceAtEveryDepth) {
    const std::pair<int32_t, int32_t> widths[] = {{10, 24}, {7, 13},  {20, 31}, {100, 300},
                                                  {64, 40}, {32, 17}, {16, 9},  {8, 5}};
    for (int bytes : {1, 2, 3, 4}) {
        for (auto [from, to] : widths) {
            Case c(from * 1000 + to, 7);
            c.bytes = bytes;
            SCOPED_TRACE(c.Trace() + " " + std::to_string(from) + " to " + std::to_string(to));
            const ReferenceImage source = RandomImage(c.random, from, 3, bytes);
            CheckStretch(c, to, 9, {0, 0, to, 9}, {0, 0, to, 9}, source, {0, 0, from, 3},
                         std::nullopt);
        }
    }
}

// The kernel keeps the last stretch's row plan for the next one with the same geometry; a
// stretch that differs from the one before in a single respect must get its own columns.
TEST_P(BlitKernels, StretchesDifferingFromTheOneBeforeInOneRespectEachSampleTheirOwnColumns) {
    Case c(0, 7);
    c.bytes = 2;
    const ReferenceImage source = RandomImage(c.random, 40, 4, 2);
    const Box plain = {0, 0, 48, 4}, fromTwenty = {0, 0, 20, 4};
    CheckStretch(c, 48, 4, plain, plain, source, fromTwenty, std::nullopt);
    CheckStretch(c, 48, 4, plain, plain, source, fromTwenty, std::nullopt);
    CheckStretch(c, 48, 4, {-8, 0, 40, 4}, plain, source, fromTwenty,
                 std::nullopt);  // starts 8 columns in
    CheckStretch(c, 48, 4, plain, {0, 0, 40, 4}, source, fromTwenty,
                 std::nullopt);  // ends 8 columns early
    CheckStretch(c, 48, 4, {0, 0, 47, 4}, plain, source, fromTwenty,
                 std::nullopt);  // one column narrower
    CheckStretch(c, 48, 4, plain, plain, source, {0, 0, 21, 4},
                 std::nullopt);  // one more source column
    CheckStretch(c, 48, 4, plain, plain, source, fromTwenty,
                 ReferenceKey{source.pixels[0], source.pixels[0]});
    c.bytes = 4;
    CheckStretch(c, 48, 4, plain, plain, RandomImage(c.random, 40, 4, 4), fromTwenty, std::nullopt);
}

// Sampling takes the truncated quotient (the pixel's left edge), not the pixel centre:
// 3 columns onto 7 give 0 0 0 1 1 2 2, where centre sampling would give 0 0 1 1 2 2 2.
TEST_P(BlitKernels, StretchTruncatesTowardTheLeftEdge) {
    FencedRows src(3, 1, 2), dst(7, 1, 2);
    for (int x = 0; x < 3; ++x) src.Set(x, 0, 10 + x);
    const StretchGeometry g = {7, 1, 3, 1, 0, 0, 7, 1};
    platform::StretchPixels(dst.Pixels(), dst.Pitch(), src.Pixels(), src.Pitch(), g, 2, nullptr);
    const uint32_t expected[] = {10, 10, 10, 11, 11, 12, 12};
    for (int x = 0; x < 7; ++x) EXPECT_EQ(dst.Get(x, 0), expected[x]) << "column " << x;
}

// The system's blend rows learn the platform's choice through the Windows query: the AVX2
// build where the processor runs it, never when VANTOR_CPU asks for the baseline.
TEST(KernelChoice, IsProcessorFeaturePresentAnswersAsThePlatformChooses) {
    const char* before = std::getenv("VANTOR_CPU");
    const std::string kept = before ? before : "";
    unsetenv("VANTOR_CPU");
#if defined(__x86_64__) || defined(__i386__)
    EXPECT_EQ(IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE) != 0,
              __builtin_cpu_supports("avx2") != 0);
#endif
    EXPECT_FALSE(IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE - 1));
    setenv("VANTOR_CPU", "baseline", 1);
    EXPECT_FALSE(IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE));
    if (before)
        setenv("VANTOR_CPU", kept.c_str(), 1);
    else
        unsetenv("VANTOR_CPU");
}

}  // namespace
}  // namespace vantor::testing
