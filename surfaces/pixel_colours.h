// A render target's pixels as colours, looked up a byte at a time, for the files the sheet is
// written to. Outside palette modes a pixel's colour depends on its bits one by one, so the
// colour of a whole pixel is the OR of the colours of its bytes taken alone; in palette modes
// the one byte is the index.
#pragma once

#include <cstdint>
#include <cstring>

#include "display/display_device.h"

// Packed blue | green << 8 | red << 16 for each value of each byte of a pixel.
struct ByteColours {
    uint32_t byByte[4][256];
};

// The device's colour of each byte value at each of the first bytesPerPixel (1 to 4) bytes.
void BuildByteColours(const DisplayDevice& device, int bytesPerPixel, ByteColours& colours);

template <int BytesPerPixel>
uint32_t ColourOf(const uint8_t* pixel, const ByteColours& colours) {
    uint32_t bgr = colours.byByte[0][pixel[0]];
    if constexpr (BytesPerPixel > 1) bgr |= colours.byByte[1][pixel[1]];
    if constexpr (BytesPerPixel > 2) bgr |= colours.byByte[2][pixel[2]];
    if constexpr (BytesPerPixel > 3) bgr |= colours.byByte[3][pixel[3]];
    return bgr;
}

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

// The colours of `count` pixels (little-endian in memory) from `pixel` on, handed to
// visit(x, bgr, run) for `run` pixels from x: one pixel at a time, or eight whose bytes are
// all zero, most of a glyph sheet, which take the zero pixel's colour without a lookup.
template <int BytesPerPixel, typename Visit>
void VisitColours(const uint8_t* pixel, int32_t count, const ByteColours& colours, Visit visit) {
    constexpr int32_t kGroup = 8;
    const uint8_t zeroPixel[BytesPerPixel] = {};
    const uint32_t zeroBgr = ColourOf<BytesPerPixel>(zeroPixel, colours);
    int32_t x = 0;
    for (; x + kGroup <= count; x += kGroup, pixel += kGroup * BytesPerPixel) {
        if (EightZeroPixels<BytesPerPixel>(pixel)) {
            visit(x, zeroBgr, kGroup);
            continue;
        }
        for (int32_t k = 0; k < kGroup; ++k)
            visit(x + k, ColourOf<BytesPerPixel>(pixel + k * BytesPerPixel, colours), 1);
    }
    for (; x < count; ++x, pixel += BytesPerPixel)
        visit(x, ColourOf<BytesPerPixel>(pixel, colours), 1);
}
