// The row kernels behind DrawBlended and DrawCheckered: the blend rows' dispatcher and plain
// build (the loops are in blend_row_loops.h), and the checkerboard rows, which have one build.
#include "surfaces/blend_rows.h"

#include <array>
#include <atomic>
#include <bit>
#include <cstring>

#include "surfaces/blend_row_loops.h"
#include "win32.h"

namespace vantor {

const BlendRowTable kPlainBlendRows = BlendRowsOfThisBuild();

namespace {

// The system's kernel dispatcher (the platform has its own, which the system never includes):
// the AVX2 build where it was compiled and Windows says the processor runs its instructions;
// else the plain build. Worked out once per process.
const BlendRowTable& BestBlendRows() {
    return kAvx2BlendRows && IsProcessorFeaturePresent(PF_AVX2_INSTRUCTIONS_AVAILABLE)
               ? *kAvx2BlendRows
               : kPlainBlendRows;
}

std::atomic<bool> forcedPlain{false};

const BlendRowTable& ChosenBlendRows() {
    static const BlendRowTable& best = BestBlendRows();
    return forcedPlain.load(std::memory_order_relaxed) ? kPlainBlendRows : best;
}

template <typename Form>
BlendRow ChooseFor(BlendForm form, int32_t colourKey) {
    const bool keyed = colourKey >= 0 && uint32_t(colourKey) <= Form::largestKey;
    const BlendRowTable& rows = ChosenBlendRows();
    return keyed ? rows.keyed[int(form)] : rows.unkeyed[int(form)];
}

// Unkeyed checkerboard: two neighbouring pixels are handled as one wider word, taking the
// first from the source and keeping the second, so the row needs no strided stores.
template <typename Pixel, typename Pair>
void CheckerUnkeyed(uint8_t* target, const uint8_t* source, int32_t count, uint32_t) {
    static_assert(sizeof(Pair) == 2 * sizeof(Pixel));
    constexpr Pair first = std::bit_cast<Pair>(std::array<Pixel, 2>{Pixel(~Pixel(0)), Pixel(0)});
    const uint8_t* const pairsEnd = target + std::size_t(count / 2) * sizeof(Pair);
    for (; target != pairsEnd; target += sizeof(Pair), source += sizeof(Pair)) {
        Pair d;
        Pair s;
        std::memcpy(&d, target, sizeof d);
        std::memcpy(&s, source, sizeof s);
        d = Pair((d & Pair(~first)) | (s & first));
        std::memcpy(target, &d, sizeof d);
    }
    if (count % 2 != 0) std::memcpy(target, source, sizeof(Pixel));
}

template <typename Pixel>
void CheckerKeyed(uint8_t* target, const uint8_t* source, int32_t count, uint32_t key) {
    auto* d = reinterpret_cast<Pixel*>(target);
    const auto* s = reinterpret_cast<const Pixel*>(source);
    const auto skipped = Pixel(key);
    for (int32_t i = 0; i < count; i += 2) {
        if (s[i] != skipped) d[i] = s[i];
    }
}

template <typename Pixel, typename Pair>
CheckerRow CheckerFor(int32_t colourKey) {
    constexpr uint32_t largestKey = Pixel(~Pixel(0));
    const bool keyed = colourKey >= 0 && uint32_t(colourKey) <= largestKey;
    return keyed ? CheckerKeyed<Pixel> : CheckerUnkeyed<Pixel, Pair>;
}

}  // namespace

BlendRow ChooseBlendRow(BlendForm form, int32_t colourKey) {
    switch (form) {
        case BlendForm::Rgb555: return ChooseFor<Form555>(form, colourKey);
        case BlendForm::Rgb565: return ChooseFor<Form565>(form, colourKey);
        case BlendForm::Rgb32: return ChooseFor<Form32>(form, colourKey);
    }
    return nullptr;
}

void ForcePlainBlendRows(bool plain) { forcedPlain.store(plain, std::memory_order_relaxed); }

CheckerRow ChooseCheckerRow(int32_t bytesPerPixel, int32_t colourKey) {
    switch (bytesPerPixel) {
        case 1: return CheckerFor<uint8_t, uint16_t>(colourKey);
        case 2: return CheckerFor<uint16_t, uint32_t>(colourKey);
        case 4: return CheckerFor<uint32_t, uint64_t>(colourKey);
        default: return nullptr;
    }
}

}  // namespace vantor
