// The fill and keyed copy, whole, as each build of the kernels compiles them (see
// kernel_common.h for why they sit in an unnamed namespace).
#pragma once

#include <algorithm>
#include <cstring>

#include "ddraw/kernel_common.h"

namespace vantor::platform {
namespace {

// Short rows are filled in place. Long rows: the first row is filled pixel by pixel and
// every further row is a copy of it, which the C library writes with its widest stores
// while the source row stays in the first-level cache.
template <typename Pixel>
[[gnu::always_inline]] inline void FillRows(uint8_t* dst, int32_t pitch, int32_t width,
                                            int32_t height, Pixel value) {
    constexpr size_t kLongRow = 512;
    const size_t rowBytes = size_t(width) * sizeof(Pixel);
    if (rowBytes < kLongRow) {
        for (int32_t y = 0; y < height; ++y, dst += pitch)
            std::fill_n(reinterpret_cast<Pixel*>(dst), width, value);
        return;
    }
    std::fill_n(reinterpret_cast<Pixel*>(dst), width, value);
    for (int32_t y = 1; y < height; ++y) std::memcpy(dst + intptr_t(pitch) * y, dst, rowBytes);
}

// Every destination pixel is written back, either unchanged or from the source, so the
// loop has no branch and vectorises.
template <typename Pixel>
[[gnu::always_inline]] inline void CopyKeyedRows(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                                 int32_t srcPitch, int32_t width, int32_t height,
                                                 KeyRange key) {
    const uint32_t low = key.low;
    const uint32_t span = key.high - key.low;
    for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
        Pixel* d = reinterpret_cast<Pixel*>(dst);
        const Pixel* s = reinterpret_cast<const Pixel*>(src);
        for (int32_t x = 0; x < width; ++x) d[x] = (RawValue(s[x]) - low <= span) ? d[x] : s[x];
    }
}

template <>
[[gnu::always_inline]] inline void CopyKeyedRows<Pixel24>(uint8_t* dst, int32_t dstPitch,
                                                          const uint8_t* src, int32_t srcPitch,
                                                          int32_t width, int32_t height,
                                                          KeyRange key) {
    const uint32_t span = key.high - key.low;
    for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
        Pixel24* d = reinterpret_cast<Pixel24*>(dst);
        const Pixel24* s = reinterpret_cast<const Pixel24*>(src);
        for (int32_t x = 0; x < width; ++x)
            if (RawValue(s[x]) - key.low > span) d[x] = s[x];
    }
}

void FillBox(uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height, int bytesPerPixel,
             uint32_t value) {
    if (width <= 0 || height <= 0) return;
    switch (bytesPerPixel) {
        case 1:
            if (dstPitch == width) {
                std::memset(dst, int(value & 0xFF), size_t(width) * height);
                return;
            }
            for (int32_t y = 0; y < height; ++y, dst += dstPitch)
                std::memset(dst, int(value & 0xFF), width);
            return;
        case 2: return FillRows<uint16_t>(dst, dstPitch, width, height, uint16_t(value));
        case 3:
            return FillRows(dst, dstPitch, width, height,
                            Pixel24{{uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16)}});
        case 4: return FillRows<uint32_t>(dst, dstPitch, width, height, value);
    }
}

void CopyKeyedBox(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t width, int32_t height, int bytesPerPixel, KeyRange key) {
    if (width <= 0 || height <= 0) return;
    if (key.low > key.high)
        return CopyPixels(dst, dstPitch, src, srcPitch, width, height, bytesPerPixel);
    switch (bytesPerPixel) {
        case 1: return CopyKeyedRows<uint8_t>(dst, dstPitch, src, srcPitch, width, height, key);
        case 2: return CopyKeyedRows<uint16_t>(dst, dstPitch, src, srcPitch, width, height, key);
        case 3: return CopyKeyedRows<Pixel24>(dst, dstPitch, src, srcPitch, width, height, key);
        case 4: return CopyKeyedRows<uint32_t>(dst, dstPitch, src, srcPitch, width, height, key);
    }
}

}  // namespace
}  // namespace vantor::platform
