// Widening a colour channel of a pixel to 8 bits, the one rule by which the platform reads
// its pixels: the presenters when they show a frame, GDI when it blends text into what a
// surface holds. The channel's bits go to the top of the byte and repeat below it, as a
// display in a 16-bit mode shows them and as GDI reads them back, so that a full channel is
// 255 and black stays 0: 5-bit 31 gives 255, 16 gives 132; 6-bit 63 gives 255. A channel
// wider than 8 bits gives its top 8; a zero mask gives 0.
//
// The system keeps its own rule on its side of the layer line (DisplayDevice::PixelToRgb in
// display/pixel_format.cpp), where the low bits stay 0 as the system's callers expect.
#pragma once

#include <bit>
#include <cstdint>

namespace vantor::platform {
// In an unnamed namespace because the AVX2 build of the frame conversion compiles it too:
// the linker must never hand a plain build that copy.
namespace {

// A channel read as (value * repeat) >> back, which lays copies of its bits side by side
// and keeps the top 8: a 5-bit value times 33 is the value twice, 10 bits, and back 2.
struct ChannelWidening {
    uint32_t down = 0;    // moves the channel's top 8 bits, or all of a narrower one, to bit 0
    uint32_t keep = 0;    // those bits; 0 for a channel the format does not have
    uint32_t repeat = 1;  // 1 + 2^bits + 2^(2 bits) + ..., as many copies as fill 8 bits
    uint32_t back = 0;    // the copies' bits beyond 8

    explicit ChannelWidening(uint32_t mask) {
        if (!mask) return;
        const uint32_t low = static_cast<uint32_t>(std::countr_zero(mask));
        const uint32_t bits = 32 - static_cast<uint32_t>(std::countl_zero(mask)) - low;
        if (bits >= 8) {
            down = low + bits - 8;
            keep = 0xFF;
            return;
        }
        down = low;
        keep = (1u << bits) - 1;
        uint32_t copied = bits;
        for (; copied < 8; copied += bits) repeat = repeat << bits | 1;
        back = copied - 8;
    }

    uint32_t Byte(uint32_t pixel) const { return (((pixel >> down) & keep) * repeat) >> back; }
};

}  // namespace
}  // namespace vantor::platform
