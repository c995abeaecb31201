// PNG files of white pixels whose alpha, a byte a pixel, is all that varies: the PNG sheets,
// with a compressor made for that shape.
#pragma once

#include <cstdint>
#include <vector>

// The widest image the encoder takes: a row's bytes in the stream stay below 2^31.
inline constexpr int32_t kWidestCoveragePng = 1 << 28;

// The whole file of an RGBA image, 8 bits a channel, of width x height white pixels whose
// alphas are alpha[y * width + x]. Empty when the image has no pixel, is wider than
// kWidestCoveragePng or would need a data chunk larger than PNG allows.
std::vector<uint8_t> WhiteCoveragePng(const uint8_t* alpha, int32_t width, int32_t height);
