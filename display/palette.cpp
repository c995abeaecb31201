// The 256-entry palette of 8-bit modes: a 6 x 7 x 6 colour cube or a fixed palette of
// basic colours and ramps, and its hand-over to the display.
#include "display/device_steps.h"

namespace {

constexpr BYTE kNoCollapse = PC_NOCOLLAPSE;

void SetEntry(PALETTEENTRY& entry, int red, int green, int blue) {
    entry.peRed = static_cast<BYTE>(red);
    entry.peGreen = static_cast<BYTE>(green);
    entry.peBlue = static_cast<BYTE>(blue);
    entry.peFlags = kNoCollapse;
}

// Red and blue in 6 levels of 42, green in 7 levels of 36; blue varies fastest. Entries
// 252 to 255 are left as they are.
void BuildColourCube(PALETTEENTRY* entries) {
    for (int red = 0; red < 6; ++red)
        for (int green = 0; green < 7; ++green)
            for (int blue = 0; blue < 6; ++blue)
                SetEntry(entries[42 * red + 6 * green + blue], 42 * red, 36 * green, 42 * blue);
}

// The fixed palette's intensities are 6-bit levels; a byte is four times the level.
enum class Ramp { None, A, B, H };

// r(i) = i * 3.6 rounded, in 13 steps from 0 to 43.
int RampStep(int i) { return static_cast<int>(i * 3.6 + 0.5); }

int RampLevel(Ramp ramp, int i) {
    switch (ramp) {
        case Ramp::A: return RampStep(i);
        case Ramp::B: return RampStep(i) + 20;
        case Ramp::H: return i <= 5 ? RampStep(i) + 42 : 63;
        case Ramp::None: break;
    }
    return 0;
}

struct RampRow {
    int first;
    int count;
    Ramp red;
    Ramp green;
    Ramp blue;
};

// Entries 16 to 223: runs of ramps; everything else past the basic colours is black.
constexpr RampRow kRampRows[] = {
    {22, 7, Ramp::A, Ramp::A, Ramp::A},        {29, 13, Ramp::None, Ramp::None, Ramp::B},
    {42, 13, Ramp::None, Ramp::B, Ramp::None}, {55, 13, Ramp::None, Ramp::B, Ramp::B},
    {68, 13, Ramp::B, Ramp::None, Ramp::None}, {81, 13, Ramp::B, Ramp::None, Ramp::B},
    {94, 13, Ramp::B, Ramp::A, Ramp::None},    {107, 13, Ramp::B, Ramp::B, Ramp::B},
    {120, 13, Ramp::A, Ramp::A, Ramp::A},      {133, 13, Ramp::A, Ramp::A, Ramp::H},
    {146, 13, Ramp::A, Ramp::H, Ramp::A},      {159, 13, Ramp::A, Ramp::H, Ramp::H},
    {172, 13, Ramp::H, Ramp::A, Ramp::A},      {185, 13, Ramp::H, Ramp::A, Ramp::H},
    {198, 13, Ramp::H, Ramp::H, Ramp::A},      {211, 13, Ramp::H, Ramp::H, Ramp::H},
};

// The 16 basic colours from the levels 0, 21, 42 and 63: dark ones, then bright ones.
constexpr int kBasicLevels[16][3] = {
    {0, 0, 0},    {0, 0, 42},   {0, 42, 0},   {0, 42, 42},  {42, 0, 0},   {42, 0, 42},
    {42, 21, 0},  {42, 42, 42}, {21, 21, 21}, {21, 21, 63}, {21, 63, 21}, {21, 63, 63},
    {63, 21, 21}, {63, 21, 63}, {63, 63, 21}, {63, 63, 63},
};

void BuildFixedPalette(PALETTEENTRY* entries) {
    for (int i = 0; i < 256; ++i) SetEntry(entries[i], 0, 0, 0);
    for (int i = 0; i < 16; ++i)
        SetEntry(entries[i], 4 * kBasicLevels[i][0], 4 * kBasicLevels[i][1],
                 4 * kBasicLevels[i][2]);
    for (const RampRow& row : kRampRows)
        for (int i = 0; i < row.count; ++i)
            SetEntry(entries[row.first + i], 4 * RampLevel(row.red, i), 4 * RampLevel(row.green, i),
                     4 * RampLevel(row.blue, i));
}

}  // namespace

int32_t DisplayDevice::BuildPalette(int32_t cube) {
    if (cube != 0)
        BuildColourCube(paletteEntries);
    else
        BuildFixedPalette(paletteEntries);
    return 1;
}

void SetUpDisplayPalette(DisplayDevice& device) {
    if (device.paletteMode != 1) return;
    if (device.directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, device.paletteEntries,
                                         &device.palette, nullptr) != DD_OK) {
        device.palette = nullptr;
        device.FatalError("Failed in Creating a palette");
    }
    if (device.primarySurface->SetPalette(device.palette) != DD_OK)
        device.FatalError("Failed in Setting the palette.");
}
