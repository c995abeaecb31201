// The display's pixel format: the channel masks decoded once at start-up, and pixel
// values turned back into 8-bit red, green and blue.
#include <bit>

#include "display/device_steps.h"

namespace {

struct ChannelLayout {
    int32_t low;
    int32_t bits;
    int32_t shift;
};

// A mask of 0 decodes as a one-bit channel at bit 0 (what an 8-bit palette mode reports).
ChannelLayout DecodeMask(uint32_t mask) {
    const int32_t low = DisplayDevice::LowestSetBit(mask);
    const int32_t bits = DisplayDevice::HighestSetBit(mask) - low + 1;
    return {low, bits, 8 - bits};
}

// The channel's bits land in the top of the byte, the low bits stay 0. A channel wider
// than 8 bits keeps its top 8 bits instead of shifting by a negative amount. The platform
// widens the pixels it reads by a rule of its own on its side of the layer line, repeating
// the top bits as the display does; the system keeps this one, which its callers expect.
uint8_t WidenChannel(uint32_t value, int32_t low, int32_t shift) {
    if (shift < 0) return static_cast<uint8_t>(value >> (low - shift));
    return static_cast<uint8_t>(static_cast<uint8_t>(value >> low) << shift);
}

}  // namespace

void DecodePixelFormat(DisplayDevice& device) {
    const ChannelLayout red = DecodeMask(device.pixelFormat.dwRBitMask);
    const ChannelLayout green = DecodeMask(device.pixelFormat.dwGBitMask);
    const ChannelLayout blue = DecodeMask(device.pixelFormat.dwBBitMask);
    device.redLow = red.low;
    device.redBits = red.bits;
    device.redShift = red.shift;
    device.greenLow = green.low;
    device.greenBits = green.bits;
    device.greenShift = green.shift;
    device.blueLow = blue.low;
    device.blueBits = blue.bits;
    device.blueShift = blue.shift;
}

int32_t DisplayDevice::PixelToRgb(uint32_t value, uint8_t& red, uint8_t& green,
                                  uint8_t& blue) const {
    if (paletteMode != 0) {
        // An index outside the palette leaves the outputs as the caller set them.
        const int32_t index = static_cast<int32_t>(value);
        if (index < 0 || index > 255) return 1;
        red = paletteEntries[index].peRed;
        green = paletteEntries[index].peGreen;
        blue = paletteEntries[index].peBlue;
        return 1;
    }
    red = WidenChannel(value, redLow, redShift);
    green = WidenChannel(value, greenLow, greenShift);
    blue = WidenChannel(value, blueLow, blueShift);
    return 1;
}

uint16_t DisplayDevice::HighestSetBit(uint32_t value) {
    return value == 0 ? 0 : static_cast<uint16_t>(31 - std::countl_zero(value));
}

uint16_t DisplayDevice::LowestSetBit(uint32_t value) {
    return value == 0 ? 0 : static_cast<uint16_t>(std::countr_zero(value));
}
