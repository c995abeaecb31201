// Frames as a viewer sees them: every pixel of a frame in its display format turned into
// 0x00RRGGBB, as each build of the kernels compiles it (frame_conversion.cpp the plain one,
// frame_conversion_avx2.cpp for AVX2; the dispatcher is platform/kernel_choice.h). The loops
// sit in an unnamed namespace so that the linker never merges the builds' copies.
//
// Packed pixels are widened as the platform widens every channel it reads
// (channel_widening.h): a full channel shows as 255. At 8 bits a pixel is an index into the
// attached palette; without one the index is shown as a grey level.
#pragma once

#include <cstring>
#include <type_traits>

#include "channel_widening.h"
#include "presenter.h"

namespace vantor::platform {

// One build of the conversion; the caller has checked the frame (WellFormedFrame).
struct FrameKernelTable {
    void (*toRgb)(const PixelView& frame, uint32_t* rgbOut);
};

// The plain C++ build, always there (frame_conversion.cpp).
extern const FrameKernelTable kPlainFrameKernels;
// The AVX2 build (frame_conversion_avx2.cpp), or null where the build has none.
extern const FrameKernelTable* const kAvx2FrameKernels;

namespace {

struct Channels {
    ChannelWidening red, green, blue;

    uint32_t Rgb(uint32_t value) const {
        return red.Byte(value) << 16 | green.Byte(value) << 8 | blue.Byte(value);
    }
};

template <int Bytes>
uint32_t LoadPixel(const uint8_t* pixel) {
    if constexpr (Bytes == 3) {
        return pixel[0] | pixel[1] << 8 | pixel[2] << 16;
    } else {
        using Word = std::conditional_t<Bytes == 2, uint16_t, uint32_t>;
        Word value;
        std::memcpy(&value, pixel, sizeof value);
        return value;
    }
}

// One row at a time, indexed, with the shifts held in locals and the output known not to
// overlap the frame, so that the compiler turns the inner loop into vector code. Frames
// already laid out as 0x00RRGGBB only need the top byte dropped.
template <int Bytes, bool AlreadyRgb>
void ConvertRows(const PixelView& frame, uint32_t* __restrict out) {
    const Channels channels{ChannelWidening(frame.redMask), ChannelWidening(frame.greenMask),
                            ChannelWidening(frame.blueMask)};
    const int32_t width = frame.width;
    for (int32_t y = 0; y < frame.height; ++y, out += width) {
        const uint8_t* __restrict row = frame.pixels + static_cast<ptrdiff_t>(frame.pitch) * y;
        for (int32_t x = 0; x < width; ++x) {
            uint32_t value = LoadPixel<Bytes>(row + x * Bytes);
            out[x] = AlreadyRgb ? value & 0x00FFFFFF : channels.Rgb(value);
        }
    }
}

template <int Bytes>
void ConvertPacked(const PixelView& frame, uint32_t* out) {
    bool alreadyRgb =
        frame.redMask == 0xFF0000 && frame.greenMask == 0x00FF00 && frame.blueMask == 0x0000FF;
    if (alreadyRgb)
        ConvertRows<Bytes, true>(frame, out);
    else
        ConvertRows<Bytes, false>(frame, out);
}

void ConvertIndexed(const PixelView& frame, uint32_t* out) {
    uint32_t colours[256];
    for (uint32_t i = 0; i < 256; ++i) {
        const PALETTEENTRY* entry = frame.palette ? &frame.palette[i] : nullptr;
        colours[i] =
            entry ? uint32_t{entry->peRed} << 16 | uint32_t{entry->peGreen} << 8 | entry->peBlue
                  : i << 16 | i << 8 | i;
    }
    // The output is declared apart from the frame, or every store would make the compiler
    // read the frame's bytes again; four indices are read as one word.
    for (int32_t y = 0; y < frame.height; ++y) {
        const uint8_t* __restrict row = frame.pixels + static_cast<ptrdiff_t>(frame.pitch) * y;
        uint32_t* __restrict rgb = out + static_cast<ptrdiff_t>(frame.width) * y;
        int32_t x = 0;
        for (; x + 4 <= frame.width; x += 4) {
            uint32_t indices;
            std::memcpy(&indices, row + x, sizeof indices);
            rgb[x] = colours[indices & 0xFF];
            rgb[x + 1] = colours[(indices >> 8) & 0xFF];
            rgb[x + 2] = colours[(indices >> 16) & 0xFF];
            rgb[x + 3] = colours[indices >> 24];
        }
        for (; x < frame.width; ++x) rgb[x] = colours[row[x]];
    }
}

// A well-formed frame, whole.
inline void ConvertFrame(const PixelView& frame, uint32_t* out) {
    switch (frame.bitsPerPixel) {
        case 8: ConvertIndexed(frame, out); break;
        case 16: ConvertPacked<2>(frame, out); break;
        case 24: ConvertPacked<3>(frame, out); break;
        case 32: ConvertPacked<4>(frame, out); break;
    }
}

}  // namespace
}  // namespace vantor::platform
