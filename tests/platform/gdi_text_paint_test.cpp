// The painting beneath TextOutA, over plain memory in every pixel size: colours into pixel
// values, the opaque box and glyph coverage clipped at every edge, checked against a
// per-pixel reference on rows padded with guard bytes that must stay untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "gdi/text_paint.h"

namespace vantor::platform {
namespace {

constexpr uint8_t kGuard = 0xA5;

struct Memory {
    int width, height, bytes, pitch;
    std::vector<uint8_t> data;  // one padded row before, rows of pitch bytes, one after

    Memory(int w, int h, int bitsPerPixel)
        : width(w),
          height(h),
          bytes(bitsPerPixel / 8),
          pitch(w * bytes + 5),
          data((h + 2) * pitch, kGuard) {}

    PixelView View(uint32_t red, uint32_t green, uint32_t blue,
                   const PALETTEENTRY* palette = nullptr) {
        return {data.data() + pitch, width, height, pitch, bytes * 8, red, green, blue, palette};
    }
    uint8_t* At(int x, int y) { return data.data() + (y + 1) * pitch + x * bytes; }
    void Set(int x, int y, uint32_t value) { std::memcpy(At(x, y), &value, bytes); }
    void Clear() {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) Set(x, y, 0);
    }
};

PixelView ViewFor(Memory& memory) {
    switch (memory.bytes) {
        case 1: return memory.View(0, 0, 0);
        case 2: return memory.View(0xF800, 0x07E0, 0x001F);
        default: return memory.View(0xFF0000, 0x00FF00, 0x0000FF);
    }
}

TEST(PixelOfColor, KeepsEachChannelsTopBitsInEveryLayout) {
    Memory m16(1, 1, 16), m24(1, 1, 24), m32(1, 1, 32);
    const COLORREF colour = 0x00C08040;  // red 40, green 80, blue C0
    EXPECT_EQ(PixelOfColor(m16.View(0xF800, 0x07E0, 0x001F), colour),
              (0x40u >> 3 << 11) | (0x80u >> 2 << 5) | 0xC0u >> 3);
    EXPECT_EQ(PixelOfColor(m16.View(0x7C00, 0x03E0, 0x001F), colour),
              (0x40u >> 3 << 10) | (0x80u >> 3 << 5) | 0xC0u >> 3);
    EXPECT_EQ(PixelOfColor(m24.View(0xFF0000, 0x00FF00, 0x0000FF), colour), 0x4080C0u);
    EXPECT_EQ(PixelOfColor(m32.View(0xFF0000, 0x00FF00, 0x0000FF), colour), 0x4080C0u);
}

TEST(PixelOfColor, TakesTheNearestPaletteEntryAtEightBits) {
    Memory m8(1, 1, 8);
    std::vector<PALETTEENTRY> palette(256, PALETTEENTRY{10, 10, 10, 0});
    palette[17] = {250, 250, 0, 0};
    palette[200] = {255, 255, 255, 0};
    palette[3] = {0, 0, 0, 0};
    PixelView view = m8.View(0, 0, 0, palette.data());
    EXPECT_EQ(PixelOfColor(view, 0x00FFFF), 17u);  // yellow
    EXPECT_EQ(PixelOfColor(view, 0xFFFFFF), 200u);
    EXPECT_EQ(PixelOfColor(view, 0x000000), 3u);
    // Without a palette, the colours every 8-bit display holds.
    PixelView bare = m8.View(0, 0, 0);
    EXPECT_EQ(PixelOfColor(bare, 0x000000), 0u);
    EXPECT_EQ(PixelOfColor(bare, 0xFFFFFF), 255u);
    EXPECT_EQ(PixelOfColor(bare, 0x00FFFF), 251u);
}

// Random rectangles and glyphs at, across and far past every edge, in every pixel size,
// against the plain rule: a pixel changes exactly when it lies inside both.
TEST(Painting, FillsAndCoverageAreClippedToTheViewAndTouchNothingElse) {
    std::mt19937 random(4242);
    for (int bits : {8, 16, 24, 32}) {
        for (int iteration = 0; iteration < 200; ++iteration) {
            SCOPED_TRACE(::testing::Message() << bits << " bits, iteration " << iteration);
            Memory memory(1 + random() % 20, 1 + random() % 12, bits);
            Memory expected = memory;
            memory.Clear();
            expected.Clear();
            PixelView view = ViewFor(memory);
            auto coordinate = [&](int size) {
                return static_cast<int64_t>(random() % (3 * size + 10)) - size - 5;
            };
            const int64_t x = coordinate(memory.width), y = coordinate(memory.height);
            const int w = random() % 25, h = random() % 15;
            if (iteration % 2 == 0) {
                FillBox(view, x, y, x + w, y + h, 0x5A5A5A5A);
                for (int64_t row = y; row < y + h; ++row)
                    for (int64_t column = x; column < x + w; ++column)
                        if (row >= 0 && row < memory.height && column >= 0 && column < memory.width)
                            expected.Set(static_cast<int>(column), static_cast<int>(row),
                                         0x5A5A5A5A);
            } else {
                std::vector<uint8_t> coverage(static_cast<size_t>(w) * h);
                for (uint8_t& c : coverage)
                    c = random() % 3 == 0 ? 0 : static_cast<uint8_t>(random());
                CoverageRamp ramp;
                for (int c = 0; c < 256; ++c) ramp.pixel[c] = 0x01010101u * c;
                PaintCoverage(view, x, y, CoverageMap{coverage.data(), w, h}, ramp);
                for (int row = 0; row < h; ++row)
                    for (int column = 0; column < w; ++column) {
                        int64_t px = x + column, py = y + row;
                        uint8_t c = coverage[row * w + column];
                        if (c && py >= 0 && py < memory.height && px >= 0 && px < memory.width)
                            expected.Set(static_cast<int>(px), static_cast<int>(py), ramp.pixel[c]);
                    }
            }
            ASSERT_EQ(memory.data, expected.data);  // guard bytes included
        }
    }
}

TEST(Painting, BlendingMixesTheTextColourIntoWhatIsThere) {
    Memory m32(3, 1, 32), m16(3, 1, 16);
    const uint8_t coverage[3] = {0, 128, 255};
    for (Memory* memory : {&m32, &m16}) {
        memory->Clear();
        for (int x = 0; x < 3; ++x) memory->Set(x, 0, 0);
    }
    BlendCoverage(ViewFor(m32), 0, 0, CoverageMap{coverage, 3, 1}, 0xFFFFFF);
    BlendCoverage(ViewFor(m16), 0, 0, CoverageMap{coverage, 3, 1}, 0x00FFFF);
    uint32_t pixel = 0;
    std::memcpy(&pixel, m32.At(1, 0), 4);
    EXPECT_EQ(pixel, 0x808080u);
    std::memcpy(&pixel, m32.At(2, 0), 4);
    EXPECT_EQ(pixel, 0xFFFFFFu);
    std::memcpy(&pixel, m32.At(0, 0), 4);
    EXPECT_EQ(pixel, 0u);
    uint16_t half = 0, full = 0;
    std::memcpy(&half, m16.At(1, 0), 2);
    std::memcpy(&full, m16.At(2, 0), 2);
    EXPECT_EQ(full, 0xFFE0);
    EXPECT_EQ(half, (0x80 >> 3 << 11) | (0x80 >> 2 << 5));
}

}  // namespace
}  // namespace vantor::platform
