// A test for runs of black: most of a glyph sheet is pixels whose bytes are all zero, and
// the writers of its files pass over them eight pixels at a time.
#pragma once

#include <cstdint>
#include <cstring>

// Whether the eight pixels of BytesPerPixel bytes from `pixel` on all have bytes of zero.
template <int BytesPerPixel>
bool EightZeroPixels(const uint8_t* pixel) {
    uint64_t any = 0;
    for (int i = 0; i < BytesPerPixel; ++i) {
        uint64_t word;
        std::memcpy(&word, pixel + 8 * i, sizeof word);
        any |= word;
    }
    return any == 0;
}
