// The blend and checkerboard row kernels on plain memory: the worked values, the keys of
// each form, and a seeded comparison with the per-pixel reference; the blends through both
// builds of the rows.
#include "surfaces/blend_rows.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/fenced_rows.h"
#include "support/kernel_builds.h"
#include "support/reference_blends.h"
#include "support/test_seed.h"

namespace vantor {
namespace {

using testing::FencedRows;
using testing::FenceSide;
using testing::ReferenceBlendKeyValue;
using testing::ReferenceMix;
using testing::TestSeed;

int BytesOf(BlendForm form) { return form == BlendForm::Rgb32 ? 4 : 2; }

// One row of pixels of 1, 2 or 4 bytes that ends (or starts) on an inaccessible page, so
// that a kernel stepping past the row faults at the offending pixel.
class FencedRow {
public:
    FencedRow(int32_t count, int bytesPerPixel, FenceSide side = FenceSide::AfterRow)
        : rows_(count, 1, bytesPerPixel, side) {}

    uint8_t* data() { return rows_.Pixels(); }
    uint32_t Get(int32_t i) const { return rows_.Get(i, 0); }
    void Set(int32_t i, uint32_t value) { rows_.Set(i, 0, value); }

private:
    FencedRows rows_;
};

// Mixes one source pixel over one target pixel (the backdrop being the target as it was).
uint32_t MixOne(BlendForm form, uint32_t source, uint32_t target, int32_t key = -1) {
    FencedRow s(1, BytesOf(form)), b(1, BytesOf(form)), d(1, BytesOf(form));
    s.Set(0, source);
    b.Set(0, target);
    d.Set(0, target);
    ChooseBlendRow(form, key)(d.data(), s.data(), b.data(), 1, uint32_t(key));
    return d.Get(0);
}

class BlendRow : public testing::BothKernelBuilds<ForcePlainBlendRows> {};
VANTOR_TEST_BOTH_KERNEL_BUILDS(BlendRow);

TEST_P(BlendRow, BlackOverWhiteGivesTheWorkedValues) {
    EXPECT_EQ(MixOne(BlendForm::Rgb565, 0x0000, 0xFFFF), 0x7BEFu);
    EXPECT_EQ(MixOne(BlendForm::Rgb555, 0x0000, 0x7FFF), 0x3DEFu);
    EXPECT_EQ(MixOne(BlendForm::Rgb32, 0x00000000, 0xFFFFFFFF), 0x007F7F7Fu);
}

TEST_P(BlendRow, KeepsBit15OfTheTargetIn555AndClearsByte3In32Bit) {
    EXPECT_EQ(MixOne(BlendForm::Rgb555, 0x0000, 0xFFFF), 0xBDEFu);
    // A set bit 15 in the source must neither survive nor leak into red.
    EXPECT_EQ(MixOne(BlendForm::Rgb555, 0x8000, 0x0000), 0x0000u);
    EXPECT_EQ(MixOne(BlendForm::Rgb555, 0xFFFF, 0x7FFF), 0x7FFFu);
    EXPECT_EQ(MixOne(BlendForm::Rgb32, 0xFF123456, 0xFF123456), 0x00123456u);
    EXPECT_EQ(MixOne(BlendForm::Rgb565, 0xA5C3, 0xA5C3), 0xA5C3u);
}

TEST_P(BlendRow, RepeatedBlendMovesHalfwayEachTimeRoundingDown) {
    const uint32_t s = 0x001F, t = 0xF800;  // blue 31 over red 31 in 5-6-5
    const uint32_t once = MixOne(BlendForm::Rgb565, s, t);
    const uint32_t twice = MixOne(BlendForm::Rgb565, s, once);
    EXPECT_EQ(once, (15u << 11) | 15u);
    EXPECT_EQ(twice, (7u << 11) | 23u);  // red (0 + 15) / 2, blue (31 + 15) / 2
}

TEST_P(BlendRow, KeysOfEachForm) {
    // 5-5-5 compares without bit 15: a pixel differing only there is skipped,
    // and a key of 0x8000 or more never matches.
    EXPECT_EQ(MixOne(BlendForm::Rgb555, 0x801F, 0x7FFF, 0x001F), 0x7FFFu);
    EXPECT_EQ(MixOne(BlendForm::Rgb555, 0x801F, 0x7FFF, 0x801F), 0x3DFFu);
    // 5-6-5 compares all 16 bits, 32-bit all four bytes.
    EXPECT_EQ(MixOne(BlendForm::Rgb565, 0x801F, 0xFFFF, 0x001F), 0xBBFFu);
    EXPECT_EQ(MixOne(BlendForm::Rgb565, 0x801F, 0xFFFF, 0x801F), 0xFFFFu);
    EXPECT_EQ(MixOne(BlendForm::Rgb32, 0x01000000, 0x00FFFFFF, 0), 0x007F7F7Fu);
    EXPECT_EQ(MixOne(BlendForm::Rgb32, 0x01000000, 0x00FFFFFF, 0x01000000), 0x00FFFFFFu);
    // Any negative key skips nothing.
    EXPECT_EQ(MixOne(BlendForm::Rgb565, 0xFFFF, 0x0000, -1), 0x7BEFu);
    EXPECT_EQ(MixOne(BlendForm::Rgb32, 0xFFFFFFFF, 0, INT32_MIN), 0x007F7F7Fu);
}

TEST(CheckerRow, CopiesEveryOtherPixelFromTheFirst) {
    for (int bytes : {1, 2, 4}) {
        for (int32_t count : {0, 1, 2, 7, 8, 33}) {
            const auto side = count % 2 == 0 ? FenceSide::AfterRow : FenceSide::BeforeRow;
            FencedRow s(count, bytes, side), d(count, bytes, side);
            for (int32_t i = 0; i < count; ++i) {
                s.Set(i, 0x80 + i);
                d.Set(i, 0x10);
            }
            ChooseCheckerRow(bytes, -1)(d.data(), s.data(), count, 0);
            for (int32_t i = 0; i < count; ++i) {
                EXPECT_EQ(d.Get(i), i % 2 == 0 ? 0x80u + i : 0x10u)
                    << bytes << " bytes, pixel " << i;
            }
        }
    }
    EXPECT_EQ(ChooseCheckerRow(3, -1), nullptr);
}

TEST(CheckerRow, KeyComparesTheWholePixelAndNeverMatchesAboveItsRange) {
    FencedRow s(4, 1), d(4, 1);
    for (int32_t i = 0; i < 4; ++i) d.Set(i, 0);
    s.Set(0, 7);
    s.Set(2, 8);
    ChooseCheckerRow(1, 7)(d.data(), s.data(), 4, 7);
    EXPECT_EQ(d.Get(0), 0u);
    EXPECT_EQ(d.Get(2), 8u);
    // 0x107 is out of the byte's range: nothing is skipped, not even the pixel 7.
    ChooseCheckerRow(1, 0x107)(d.data(), s.data(), 4, 0x107);
    EXPECT_EQ(d.Get(0), 7u);

    FencedRow s16(1, 2), d16(1, 2);
    s16.Set(0, 0x8001);
    ChooseCheckerRow(2, 0x0001)(d16.data(), s16.data(), 1, 0x0001);
    EXPECT_EQ(d16.Get(0), 0x8001u);  // 16-bit checkerboards compare all 16 bits in either layout
}

// Every form, keyed and not, against the per-pixel reference over random rows.
TEST_P(BlendRow, MatchesTheReferenceOnRandomRows) {
    const uint32_t seed = TestSeed();
    std::mt19937 random(seed);
    for (int iteration = 0; iteration < 3000; ++iteration) {
        const auto form = BlendForm(iteration % 3);
        const int bytes = BytesOf(form);
        const uint32_t range = bytes == 2 ? 0xFFFF : 0xFFFFFFFF;
        const int32_t count = int32_t(random() % 70);
        const auto side = iteration % 2 == 0 ? FenceSide::AfterRow : FenceSide::BeforeRow;
        FencedRow s(count, bytes, side), b(count, bytes, side), d(count, bytes, side);
        for (int32_t i = 0; i < count; ++i) {
            s.Set(i, random() & range);
            b.Set(i, random() & range);
            d.Set(i, random() & range);
        }
        // A key taken from a source pixel (so that it matches), a random one, or none.
        int32_t key = -1;
        if (count > 0 && random() % 3 == 0) {
            const uint32_t keyValue =
                ReferenceBlendKeyValue(form, s.Get(int32_t(random() % count)));
            key = int32_t(keyValue & 0x7FFFFFFF);
        }
        if (random() % 3 == 0) key = int32_t(random() & 0x7FFFFFFF) >> (random() % 31);
        std::vector<uint32_t> expected(count);
        for (int32_t i = 0; i < count; ++i) {
            const bool skipped =
                key >= 0 && ReferenceBlendKeyValue(form, s.Get(i)) == uint32_t(key);
            expected[i] = skipped ? d.Get(i) : ReferenceMix(form, s.Get(i), b.Get(i), d.Get(i));
        }
        ChooseBlendRow(form, key)(d.data(), s.data(), b.data(), count, uint32_t(key));
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_EQ(d.Get(i), expected[i])
                << "VANTOR_TEST_SEED=" << seed << ", iteration " << iteration << ", form "
                << int(form) << ", key " << key << ", pixel " << i;
        }
    }
}

}  // namespace
}  // namespace vantor
