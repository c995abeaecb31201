// The palette: the colour cube and the fixed palette against the entries they must hold,
// and the cube a fresh start leaves.
#include <gtest/gtest.h>

#include <tuple>

#include "support/device_fixture.h"

namespace {

namespace hooks = vantor::testing;
using hooks::DeviceTest;

using Entry = std::tuple<int, int, int, int>;

Entry At(const DisplayDevice& device, int index) {
    const PALETTEENTRY& entry = device.paletteEntries[index];
    return {entry.peRed, entry.peGreen, entry.peBlue, entry.peFlags};
}

TEST_F(DeviceTest, TheCubeRunsBlueFastestAndLeavesTheLastFourEntries) {
    DisplayDevice& started = StartDevice(8);  // a start zeroes the entries, then builds the cube
    EXPECT_EQ(At(started, 0), Entry(0, 0, 0, 4));
    EXPECT_EQ(At(started, 1), Entry(0, 0, 42, 4));
    EXPECT_EQ(At(started, 5), Entry(0, 0, 210, 4));
    EXPECT_EQ(At(started, 6), Entry(0, 36, 0, 4));
    EXPECT_EQ(At(started, 42), Entry(42, 0, 0, 4));
    EXPECT_EQ(At(started, 251), Entry(210, 216, 210, 4));
    for (int i = 252; i < 256; ++i) EXPECT_EQ(At(started, i), Entry(0, 0, 0, 0)) << i;
}

TEST_F(DeviceTest, TheFixedPaletteHoldsBasicColoursAndRamps) {
    DisplayDevice& idle = MakeDevice();
    for (PALETTEENTRY& entry : idle.paletteEntries) entry = {1, 2, 3, 9};
    EXPECT_EQ(idle.BuildPalette(0), 1);
    const std::pair<int, Entry> listed[] = {
        {0, {0, 0, 0, 4}},         {6, {168, 84, 0, 4}},     {7, {168, 168, 168, 4}},
        {8, {84, 84, 84, 4}},      {15, {252, 252, 252, 4}}, {16, {0, 0, 0, 4}},
        {21, {0, 0, 0, 4}},        {22, {0, 0, 0, 4}},       {28, {88, 88, 88, 4}},
        {29, {0, 0, 80, 4}},       {41, {0, 0, 252, 4}},     {94, {80, 0, 0, 4}},
        {106, {252, 172, 0, 4}},   {138, {72, 72, 240, 4}},  {139, {88, 88, 252, 4}},
        {216, {240, 240, 240, 4}}, {172, {168, 0, 0, 4}},    {160, {16, 184, 184, 4}}};
    for (const auto& [index, entry] : listed)
        EXPECT_EQ(At(idle, index), entry) << "entry " << index;
    for (int i = 217; i <= 223; ++i) EXPECT_EQ(At(idle, i), Entry(252, 252, 252, 4)) << i;
    for (int i = 224; i <= 255; ++i) EXPECT_EQ(At(idle, i), Entry(0, 0, 0, 4)) << i;
    // The ramp of blues runs 4 x (r(i) + 20) with r(i) = i x 3.6 rounded.
    const int blues[] = {80, 96, 108, 124, 136, 152, 168, 180, 196, 208, 224, 240, 252};
    for (int i = 0; i < 13; ++i) EXPECT_EQ(At(idle, 29 + i), Entry(0, 0, blues[i], 4)) << i;
}

TEST_F(DeviceTest, TheCubeOverTheFixedPaletteKeepsItsLastFourEntries) {
    DisplayDevice& idle = MakeDevice();
    idle.BuildPalette(0);
    for (int i = 252; i < 256; ++i) idle.paletteEntries[i].peRed = 77;
    EXPECT_EQ(idle.BuildPalette(-3), 1);  // any nonzero argument builds the cube
    EXPECT_EQ(At(idle, 251), Entry(210, 216, 210, 4));
    for (int i = 252; i < 256; ++i) EXPECT_EQ(At(idle, i), Entry(77, 0, 0, 4));
}

}  // namespace
