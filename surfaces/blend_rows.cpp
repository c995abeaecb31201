// The row kernels behind DrawBlended and DrawCheckered.
//
// A 50 % mix works on packed pixels without taking them apart: s + b = 2 (s & b) + (s ^ b),
// so each channel's (s + b) / 2 rounded down is (s & b) + (s ^ b) / 2. Dropping the lowest
// bit of every channel of s ^ b before halving keeps one channel from spilling into the
// next, and neither half can carry out of its channel. Nothing in the loops multiplies, calls
// or branches, so the compiler vectorises the mixes, keyed or not.
#include "surfaces/blend_rows.h"

#include <array>
#include <bit>
#include <cstring>

namespace vantor {
namespace {

// Each form names its pixel type, its mix and the key value of a source pixel; the key values
// are those of ReadPixel565, ReadPixel555 and ReadPixel32, computed in place.
struct Form565 {
    using Pixel = uint16_t;
    static constexpr uint32_t largestKey = 0xFFFF;
    static Pixel Mix(Pixel s, Pixel b, Pixel) {
        return Pixel((((s ^ b) & 0xF7DE) >> 1) + (s & b));
    }
    static Pixel KeyOf(Pixel s) { return s; }
};

struct Form555 {
    using Pixel = uint16_t;
    static constexpr uint32_t largestKey = 0x7FFF;
    // Bit 15 is no channel: it stays out of the sum and the target keeps its own.
    static Pixel Mix(Pixel s, Pixel b, Pixel d) {
        return Pixel(((((s ^ b) & 0x7BDE) >> 1) + (s & b & 0x7FFF)) | (d & 0x8000));
    }
    static Pixel KeyOf(Pixel s) { return Pixel(s & 0x7FFF); }
};

struct Form32 {
    using Pixel = uint32_t;
    static constexpr uint32_t largestKey = 0xFFFFFFFF;
    // Byte 3 is no channel: the masks leave it out, so it comes out 0.
    static Pixel Mix(Pixel s, Pixel b, Pixel) {
        return (((s ^ b) & 0xFEFEFE) >> 1) + (s & b & 0xFFFFFF);
    }
    // Memory order is little-endian on every target of the system, so the loaded value is
    // the one ReadPixel32 assembles byte by byte.
    static Pixel KeyOf(Pixel s) { return s; }
};

// One pixel of a blend: the mix, or for a keyed source pixel the target as it was. The mix is
// worked out for every pixel, so that the keyed loop holds no branch and vectorises too.
template <typename Form, bool kKeyed, typename Pixel = typename Form::Pixel>
[[gnu::always_inline]] inline Pixel BlendPixel(Pixel s, Pixel b, Pixel d, Pixel skipped) {
    const Pixel mixed = Form::Mix(s, b, d);
    if constexpr (kKeyed) return Form::KeyOf(s) == skipped ? d : mixed;
    return mixed;
}

// The rows are restrict-qualified: the target never overlaps the source or the backdrop, and
// saying so lets the compiler vectorise without runtime checks. A row goes in blocks of a
// fixed 32 bytes, then a tail: a loop of known length is vectorised even under the cautious
// cost model of plain optimised (-O2) builds. Built for AVX2 and for the baseline, the loader
// picking one per process: a 32-byte block is then one register.
template <typename Form, bool kKeyed>
__attribute__((target_clones("avx2", "default"))) void BlendPixels(
    uint8_t* target, const uint8_t* source, const uint8_t* backdrop, int32_t count, uint32_t key) {
    using Pixel = typename Form::Pixel;
    Pixel* __restrict d = reinterpret_cast<Pixel*>(target);
    const Pixel* __restrict s = reinterpret_cast<const Pixel*>(source);
    const Pixel* __restrict b = reinterpret_cast<const Pixel*>(backdrop);
    const auto skipped = Pixel(key);
    constexpr int32_t kBlock = 32 / sizeof(Pixel);
    int32_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (int32_t j = i; j < i + kBlock; ++j) d[j] = BlendPixel<Form, kKeyed>(s[j], b[j], d[j], skipped);
    }
    for (; i < count; ++i) d[i] = BlendPixel<Form, kKeyed>(s[i], b[i], d[i], skipped);
}

template <typename Form>
BlendRow ChooseFor(int32_t colourKey) {
    const bool keyed = colourKey >= 0 && uint32_t(colourKey) <= Form::largestKey;
    return keyed ? BlendPixels<Form, true> : BlendPixels<Form, false>;
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
        case BlendForm::Rgb555: return ChooseFor<Form555>(colourKey);
        case BlendForm::Rgb565: return ChooseFor<Form565>(colourKey);
        case BlendForm::Rgb32: return ChooseFor<Form32>(colourKey);
    }
    return nullptr;
}

CheckerRow ChooseCheckerRow(int32_t bytesPerPixel, int32_t colourKey) {
    switch (bytesPerPixel) {
        case 1: return CheckerFor<uint8_t, uint16_t>(colourKey);
        case 2: return CheckerFor<uint16_t, uint32_t>(colourKey);
        case 4: return CheckerFor<uint32_t, uint64_t>(colourKey);
        default: return nullptr;
    }
}

}  // namespace vantor
