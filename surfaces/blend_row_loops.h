// The blend rows, as each build of them compiles them: blend_rows.cpp the plain one, the
// reference, and blend_rows_avx2.cpp the AVX2 one; blend_rows.cpp chooses between them.
//
// A 50 % mix works on packed pixels without taking them apart: s + b = 2 (s & b) + (s ^ b),
// so each channel's (s + b) / 2 rounded down is (s & b) + (s ^ b) / 2. Dropping the lowest
// bit of every channel of s ^ b before halving keeps one channel from spilling into the
// next, and neither half can carry out of its channel. Nothing in the loops multiplies, calls
// or branches, so the compiler vectorises the mixes, keyed or not.
// In the AVX2 build a 32-byte block of pixels is one register, and a 640 x 480 x 32 row pass
// runs at the speed of memory: its three streams (source and backdrop in, target out) do not
// fit the second-level cache.
//
// The loops sit in an unnamed namespace: were they ordinary inline functions, the linker
// would keep one copy of each for the whole program, possibly the AVX2 one, and the plain
// build would run AVX2 code.
#pragma once

#include "surfaces/blend_rows.h"

namespace vantor {

// One build of the blend rows: the row of each form (indexed by BlendForm), unkeyed and
// keyed.
struct BlendRowTable {
    BlendRow unkeyed[3];
    BlendRow keyed[3];
};

// The plain build, always there (blend_rows.cpp).
extern const BlendRowTable kPlainBlendRows;
// The AVX2 build (blend_rows_avx2.cpp), or null where the build has none.
extern const BlendRowTable* const kAvx2BlendRows;

namespace {

// Each form names its pixel type, its mix and the key value of a source pixel; the key values
// are those of ReadPixel565, ReadPixel555 and ReadPixel32, computed in place.
struct Form565 {
    using Pixel = uint16_t;
    static constexpr uint32_t largestKey = 0xFFFF;
    static Pixel Mix(Pixel s, Pixel b, Pixel) { return Pixel((((s ^ b) & 0xF7DE) >> 1) + (s & b)); }
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
// cost model of plain optimised (-O2) builds. In the AVX2 build a 32-byte block is one
// register.
template <typename Form, bool kKeyed>
void BlendPixels(uint8_t* target, const uint8_t* source, const uint8_t* backdrop, int32_t count,
                 uint32_t key) {
    using Pixel = typename Form::Pixel;
    Pixel* __restrict d = reinterpret_cast<Pixel*>(target);
    const Pixel* __restrict s = reinterpret_cast<const Pixel*>(source);
    const Pixel* __restrict b = reinterpret_cast<const Pixel*>(backdrop);
    const auto skipped = Pixel(key);
    constexpr int32_t kBlock = 32 / sizeof(Pixel);
    int32_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (int32_t j = i; j < i + kBlock; ++j)
            d[j] = BlendPixel<Form, kKeyed>(s[j], b[j], d[j], skipped);
    }
    for (; i < count; ++i) d[i] = BlendPixel<Form, kKeyed>(s[i], b[i], d[i], skipped);
}

// The table of the build that includes this file.
constexpr BlendRowTable BlendRowsOfThisBuild() {
    return {{BlendPixels<Form555, false>, BlendPixels<Form565, false>, BlendPixels<Form32, false>},
            {BlendPixels<Form555, true>, BlendPixels<Form565, true>, BlendPixels<Form32, true>}};
}

}  // namespace
}  // namespace vantor
