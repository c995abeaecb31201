// The 54 header bytes of an uncompressed 24-bit bitmap file, built without touching the
// disk: the 14-byte file header and the 40-byte information header, little-endian.
#pragma once

#include <array>
#include <cstdint>

constexpr int32_t kBitmapHeaderSize = 54;

using BitmapHeaderBytes = std::array<uint8_t, kBitmapHeaderSize>;

// Bytes of one stored row: three per pixel, padded with zeros to a multiple of four.
// Zero for a negative width.
int64_t BitmapRowLength(int32_t width);

// The headers for an image of width x height pixels stored bottom-up. The caller keeps
// the sizes non-negative and row length x height within 32 bits.
BitmapHeaderBytes BuildBitmapHeader(int32_t width, int32_t height);
