#include "text_paint.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "channel_widening.h"

namespace vantor::platform {
namespace {

struct Rgb {
    int red, green, blue;
};

Rgb RgbOf(COLORREF color) { return {GetRValue(color), GetGValue(color), GetBValue(color)}; }

// The 20 colours an 8-bit display holds when no palette is attached: 0-9 and 246-255.
constexpr uint8_t kStaticColours[20][3] = {
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

int Distance(const Rgb& a, int red, int green, int blue) {
    return (a.red - red) * (a.red - red) + (a.green - green) * (a.green - green) +
           (a.blue - blue) * (a.blue - blue);
}

uint32_t NearestPaletteIndex(const PixelView& view, const Rgb& colour) {
    uint32_t best = 0;
    int bestDistance = 1 << 30;
    if (view.palette) {
        for (uint32_t i = 0; i < 256 && bestDistance; ++i) {
            const PALETTEENTRY& entry = view.palette[i];
            int distance = Distance(colour, entry.peRed, entry.peGreen, entry.peBlue);
            if (distance < bestDistance) best = i, bestDistance = distance;
        }
        return best;
    }
    for (uint32_t i = 0; i < 20; ++i) {
        int distance =
            Distance(colour, kStaticColours[i][0], kStaticColours[i][1], kStaticColours[i][2]);
        if (distance < bestDistance) best = i < 10 ? i : 236 + i, bestDistance = distance;
    }
    return best;
}

// Where a channel's top bits go in a pixel and how they read back: worked out once per call,
// not per pixel.
struct ChannelPlace {
    int shift = 0;
    int bits = 0;
    uint32_t mask = 0;
    ChannelWidening widening;

    explicit ChannelPlace(uint32_t channelMask)
        : shift(channelMask ? std::countr_zero(channelMask) : 0),
          bits(std::popcount(channelMask)),
          mask(channelMask),
          widening(channelMask) {}

    // An 8-bit channel value placed in the mask, keeping its top bits.
    uint32_t Put(int value) const {
        if (!mask) return 0;
        uint32_t scaled = bits <= 8 ? static_cast<uint32_t>(value) >> (8 - bits)
                                    : static_cast<uint32_t>(value) << (bits - 8);
        return (scaled << shift) & mask;
    }
    int Take(uint32_t pixel) const { return static_cast<int>(widening.Byte(pixel)); }
};

// Colours to pixel values and back in one view's format.
struct PixelFormat {
    const PixelView& view;
    ChannelPlace red, green, blue;

    explicit PixelFormat(const PixelView& v)
        : view(v), red(v.redMask), green(v.greenMask), blue(v.blueMask) {}

    uint32_t Pack(const Rgb& colour) const {
        if (view.bitsPerPixel == 8) return NearestPaletteIndex(view, colour);
        return red.Put(colour.red) | green.Put(colour.green) | blue.Put(colour.blue);
    }
    Rgb Unpack(uint32_t pixel) const {
        return {red.Take(pixel), green.Take(pixel), blue.Take(pixel)};
    }
};

// The platform mixes grey text in light, not in channel values: each value is taken to
// light by a gamma of 2.3, mixed by the coverage, and taken back. A glyph's coverage already
// carries the curve (it is the lifted grey level), so its light is the coverage to the gamma.
// On black the result is the coverage itself scaled to the text colour; on a lighter
// background the edges come out lighter as well, which thins dark text on white.
struct LightOfValues {
    double light[256];
    LightOfValues() {
        for (int value = 0; value < 256; ++value)
            light[value] = std::pow(value / 255.0, kTextGamma);
    }
};

Rgb Mix(const Rgb& from, const Rgb& to, int coverage) {
    static const LightOfValues values;
    const double inked = values.light[coverage];
    auto channel = [inked](int a, int b) {
        if (a == b) return a;
        const double light = values.light[a] * (1 - inked) + values.light[b] * inked;
        return static_cast<int>(std::lround(255.0 * std::pow(light, 1 / kTextGamma)));
    };
    return {channel(from.red, to.red), channel(from.green, to.green), channel(from.blue, to.blue)};
}

uint8_t* PixelAddress(const PixelView& view, int64_t x, int64_t y, int bytes) {
    return view.pixels + y * view.pitch + x * bytes;
}

// Pixels are little-endian; copying the low bytes of the value writes one of any size.
template <int Bytes>
void Put(uint8_t* at, uint32_t value) {
    std::memcpy(at, &value, Bytes);
}
template <int Bytes>
uint32_t Get(const uint8_t* at) {
    uint32_t value = 0;
    std::memcpy(&value, at, Bytes);
    return value;
}

// The first row is filled by doubling what is already written, the others are copies of it.
template <int Bytes>
void FillRows(const PixelView& view, int64_t x, int64_t y, const Span& span, uint32_t pixel) {
    uint8_t* first = PixelAddress(view, x + span.column0, y + span.row0, Bytes);
    const size_t rowBytes = static_cast<size_t>(span.column1 - span.column0) * Bytes;
    Put<Bytes>(first, pixel);
    for (size_t filled = Bytes; filled < rowBytes; filled *= 2)
        std::memcpy(first + filled, first, std::min(filled, rowBytes - filled));
    uint8_t* row = first + view.pitch;
    for (int r = span.row0 + 1; r < span.row1; ++r, row += view.pitch)
        std::memcpy(row, first, rowBytes);
}

template <int Bytes>
void PaintRows(const PixelView& view, int64_t x, int64_t y, const Span& span,
               const CoverageMap& map, const CoverageRamp& ramp) {
    uint8_t* row = PixelAddress(view, x + span.column0, y + span.row0, Bytes);
    const uint8_t* source = map.data + static_cast<size_t>(span.row0) * map.width + span.column0;
    for (int r = span.row0; r < span.row1; ++r, row += view.pitch, source += map.width) {
        uint8_t* at = row;
        for (int c = 0; c < span.column1 - span.column0; ++c, at += Bytes)
            if (source[c]) Put<Bytes>(at, ramp.pixel[source[c]]);
    }
}

template <int Bytes>
void BlendRows(const PixelView& view, int64_t x, int64_t y, const Span& span,
               const CoverageMap& map, COLORREF text) {
    const PixelFormat format(view);
    const Rgb ink = RgbOf(text);
    const uint32_t inkPixel = format.Pack(ink);
    uint8_t* row = PixelAddress(view, x + span.column0, y + span.row0, Bytes);
    const uint8_t* source = map.data + static_cast<size_t>(span.row0) * map.width + span.column0;
    for (int r = span.row0; r < span.row1; ++r, row += view.pitch, source += map.width) {
        uint8_t* at = row;
        for (int c = 0; c < span.column1 - span.column0; ++c, at += Bytes) {
            int coverage = source[c];
            if (coverage == 0) continue;
            if (Bytes == 1 || coverage == 255) {
                if (coverage >= 128) Put<Bytes>(at, inkPixel);
                continue;
            }
            Put<Bytes>(at, format.Pack(Mix(format.Unpack(Get<Bytes>(at)), ink, coverage)));
        }
    }
}

// Runs the row walker instantiated for the view's pixel size.
template <template <int> class Walker, typename... Args>
void ForPixelSize(const PixelView& view, Args&&... args) {
    switch (view.bitsPerPixel) {
        case 8: Walker<1>::Run(view, args...); break;
        case 16: Walker<2>::Run(view, args...); break;
        case 24: Walker<3>::Run(view, args...); break;
        case 32: Walker<4>::Run(view, args...); break;
        default: break;
    }
}

template <int Bytes>
struct Filler {
    static void Run(const PixelView& view, int64_t x, int64_t y, const Span& span, uint32_t pixel) {
        FillRows<Bytes>(view, x, y, span, pixel);
    }
};
template <int Bytes>
struct Painter {
    static void Run(const PixelView& view, int64_t x, int64_t y, const Span& span,
                    const CoverageMap& map, const CoverageRamp& ramp) {
        PaintRows<Bytes>(view, x, y, span, map, ramp);
    }
};
template <int Bytes>
struct Blender {
    static void Run(const PixelView& view, int64_t x, int64_t y, const Span& span,
                    const CoverageMap& map, COLORREF text) {
        BlendRows<Bytes>(view, x, y, span, map, text);
    }
};

}  // namespace

Span ClipToView(const PixelView& view, int64_t x, int64_t y, int64_t width, int64_t height) {
    if (!view.pixels || view.width <= 0 || view.height <= 0) return {0, 0, 0, 0};
    int64_t column0 = std::max<int64_t>(0, -x), row0 = std::max<int64_t>(0, -y);
    int64_t column1 = std::min<int64_t>(width, view.width - x),
            row1 = std::min<int64_t>(height, view.height - y);
    if (column0 >= column1 || row0 >= row1) return {0, 0, 0, 0};
    return {static_cast<int>(column0), static_cast<int>(column1), static_cast<int>(row0),
            static_cast<int>(row1)};
}

uint32_t PixelOfColor(const PixelView& view, COLORREF color) {
    return PixelFormat(view).Pack(RgbOf(color));
}

void BuildRamp(const PixelView& view, COLORREF background, COLORREF text, CoverageRamp* ramp) {
    const PixelFormat format(view);
    const Rgb from = RgbOf(background), to = RgbOf(text);
    if (view.bitsPerPixel != 8) {
        for (int c = 0; c < 256; ++c) ramp->pixel[c] = format.Pack(Mix(from, to, c));
        return;
    }
    // A palette search per level is costly: 8-bit text gets 33 levels.
    uint32_t levels[33];
    for (int level = 0; level <= 32; ++level)
        levels[level] = format.Pack(Mix(from, to, std::min(level * 8, 255)));
    for (int c = 0; c < 256; ++c) ramp->pixel[c] = levels[(c + 4) >> 3];
}

const CoverageRamp& RampFor(const PixelView& view, COLORREF background, COLORREF text) {
    struct Remembered {
        COLORREF background, text;
        int32_t bitsPerPixel;
        uint32_t redMask, greenMask, blueMask;
        CoverageRamp ramp;
    };
    // A palette's entries can change behind the same pointer: 8-bit ramps are always built.
    static Remembered remembered[4];
    static Remembered paletted;
    static int next = 0;
    if (view.bitsPerPixel == 8) {
        BuildRamp(view, background, text, &paletted.ramp);
        return paletted.ramp;
    }
    for (Remembered& known : remembered)
        if (known.bitsPerPixel == view.bitsPerPixel && known.background == background &&
            known.text == text && known.redMask == view.redMask &&
            known.greenMask == view.greenMask && known.blueMask == view.blueMask)
            return known.ramp;
    Remembered& slot = remembered[next];
    next = (next + 1) % 4;
    slot = {background, text, view.bitsPerPixel, view.redMask, view.greenMask, view.blueMask, {}};
    BuildRamp(view, background, text, &slot.ramp);
    return slot.ramp;
}

void FillBox(const PixelView& view, int64_t left, int64_t top, int64_t right, int64_t bottom,
             uint32_t pixel) {
    Span span = ClipToView(view, left, top, right - left, bottom - top);
    if (!span.Empty()) ForPixelSize<Filler>(view, left, top, span, pixel);
}

void PaintCoverage(const PixelView& view, int64_t x, int64_t y, const CoverageMap& coverage,
                   const CoverageRamp& ramp) {
    Span span = ClipToView(view, x, y, coverage.width, coverage.height);
    if (!span.Empty()) ForPixelSize<Painter>(view, x, y, span, coverage, ramp);
}

void BlendCoverage(const PixelView& view, int64_t x, int64_t y, const CoverageMap& coverage,
                   COLORREF text) {
    Span span = ClipToView(view, x, y, coverage.width, coverage.height);
    if (!span.Empty()) ForPixelSize<Blender>(view, x, y, span, coverage, text);
}

}  // namespace vantor::platform
