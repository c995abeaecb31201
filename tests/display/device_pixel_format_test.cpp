// The display's pixel format: bit scans, the mask decode of every mode, and pixel values
// turned into 8-bit channels, checked over every 16-bit value against the masks.
#include <gtest/gtest.h>

#include <array>

#include "support/device_fixture.h"
#include "testing.h"

namespace {

namespace hooks = vantor::testing;
using hooks::DeviceTest;

TEST(BitScanTest, FindTheEndsOfAMask) {
    EXPECT_EQ(DisplayDevice::HighestSetBit(0), 0);
    EXPECT_EQ(DisplayDevice::HighestSetBit(1), 0);
    EXPECT_EQ(DisplayDevice::HighestSetBit(0x80000000u), 31);
    EXPECT_EQ(DisplayDevice::HighestSetBit(0xF800), 15);
    EXPECT_EQ(DisplayDevice::HighestSetBit(0x00FF00F0), 23);
    EXPECT_EQ(DisplayDevice::LowestSetBit(0), 0);
    EXPECT_EQ(DisplayDevice::LowestSetBit(0xF800), 11);
    EXPECT_EQ(DisplayDevice::LowestSetBit(0x80000000u), 31);
    EXPECT_EQ(DisplayDevice::LowestSetBit(0x00FF00F0), 4);
}

struct Layout {
    int32_t low, bits, shift;
};

struct ModeCase {
    int32_t bitsPerPixel;
    bool use555;
    Layout red, green, blue;
};

class PixelFormatTest : public DeviceTest, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(PixelFormatTest, TheModesMasksDecodeIntoLowBitsAndShifts) {
    const ModeCase& mode = GetParam();
    hooks::Use555(mode.use555);
    StartDevice(mode.bitsPerPixel);
    const Layout decoded[] = {{device->redLow, device->redBits, device->redShift},
                              {device->greenLow, device->greenBits, device->greenShift},
                              {device->blueLow, device->blueBits, device->blueShift}};
    const Layout expected[] = {mode.red, mode.green, mode.blue};
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_EQ(decoded[channel].low, expected[channel].low) << "channel " << channel;
        EXPECT_EQ(decoded[channel].bits, expected[channel].bits) << "channel " << channel;
        EXPECT_EQ(decoded[channel].shift, expected[channel].shift) << "channel " << channel;
    }
    EXPECT_EQ(device->pixelFormat.dwSize, sizeof(DDPIXELFORMAT));
}

INSTANTIATE_TEST_SUITE_P(EveryDepth, PixelFormatTest,
                         ::testing::Values(ModeCase{16, false, {11, 5, 3}, {5, 6, 2}, {0, 5, 3}},
                                           ModeCase{16, true, {10, 5, 3}, {5, 5, 3}, {0, 5, 3}},
                                           ModeCase{32, false, {16, 8, 0}, {8, 8, 0}, {0, 8, 0}},
                                           ModeCase{24, false, {16, 8, 0}, {8, 8, 0}, {0, 8, 0}},
                                           ModeCase{8, false, {0, 1, 7}, {0, 1, 7}, {0, 1, 7}}),
                         [](const auto& info) {
                             return std::to_string(info.param.bitsPerPixel) +
                                    (info.param.use555 ? "bit555" : "bit");
                         });

using Rgb3 = std::array<uint8_t, 3>;

Rgb3 Rgb(const DisplayDevice& device, uint32_t value) {
    Rgb3 rgb{};
    EXPECT_EQ(device.PixelToRgb(value, rgb[0], rgb[1], rgb[2]), 1);
    return rgb;
}

// Every 16-bit value against the channels read straight from the masks.
void ExpectEvery16BitValue(const DisplayDevice& device, uint32_t redMask, uint32_t greenMask,
                           uint32_t blueMask) {
    auto widen = [](uint32_t value, uint32_t mask) {
        const int low = DisplayDevice::LowestSetBit(mask);
        const int bits = DisplayDevice::HighestSetBit(mask) - low + 1;
        return static_cast<uint8_t>(((value & mask) >> low) << (8 - bits));
    };
    int mismatches = 0;
    for (uint32_t value = 0; value <= 0xFFFF && mismatches < 5; ++value) {
        uint8_t red = 1, green = 1, blue = 1;
        ASSERT_EQ(device.PixelToRgb(value, red, green, blue), 1);
        if (red != widen(value, redMask) || green != widen(value, greenMask) ||
            blue != widen(value, blueMask)) {
            ADD_FAILURE() << "value 0x" << std::hex << value << " gave " << int(red) << ","
                          << int(green) << "," << int(blue);
            ++mismatches;
        }
    }
}

TEST_F(DeviceTest, Every565ValueConvertsByItsMasks) {
    DisplayDevice& started = StartDevice(16);
    ExpectEvery16BitValue(started, 0xF800, 0x07E0, 0x001F);
    EXPECT_EQ(Rgb(started, 0xFFFF), (Rgb3{248, 252, 248}));
    EXPECT_EQ(Rgb(started, 0xF800), (Rgb3{248, 0, 0}));
}

TEST_F(DeviceTest, Every555ValueConvertsByItsMasksAndTheTopBitIsIgnored) {
    hooks::Use555(true);
    DisplayDevice& started = StartDevice(16);
    ExpectEvery16BitValue(started, 0x7C00, 0x03E0, 0x001F);
    EXPECT_EQ(Rgb(started, 0xFFFF), Rgb(started, 0x7FFF));
}

TEST_F(DeviceTest, A32BitValueIgnoresItsTopByte) {
    DisplayDevice& started = StartDevice(32);
    EXPECT_EQ(Rgb(started, 0xAB123456), (Rgb3{0x12, 0x34, 0x56}));
    EXPECT_EQ(Rgb(started, 0x00FF8000), (Rgb3{255, 128, 0}));
}

TEST_F(DeviceTest, PaletteValuesAreLookedUpAndOutOfRangeIndexesWriteNothing) {
    DisplayDevice& started = StartDevice(8);
    started.paletteEntries[0] = {11, 22, 33, 4};
    started.paletteEntries[255] = {44, 55, 66, 4};
    uint8_t red = 7, green = 8, blue = 9;
    for (uint32_t outside : {256u, 0xFFFFFFFFu, 0x80000000u}) {
        EXPECT_EQ(started.PixelToRgb(outside, red, green, blue), 1);
        EXPECT_EQ((Rgb3{red, green, blue}), (Rgb3{7, 8, 9}));
    }
    EXPECT_EQ(Rgb(started, 0), (Rgb3{11, 22, 33}));
    EXPECT_EQ(Rgb(started, 255), (Rgb3{44, 55, 66}));
}

TEST_F(DeviceTest, AChannelWiderThanEightBitsKeepsItsTopEightBits) {
    // No display mode of ours has one, but a 10-bit layout must not shift by a negative count.
    DisplayDevice& idle = MakeDevice();
    idle.redLow = 20, idle.redBits = 10, idle.redShift = -2;
    idle.greenLow = 10, idle.greenBits = 10, idle.greenShift = -2;
    idle.blueLow = 0, idle.blueBits = 10, idle.blueShift = -2;
    EXPECT_EQ(Rgb(idle, (0x3FFu << 20) | (0x200u << 10) | 0x003u), (Rgb3{255, 128, 0}));
}

}  // namespace
