// Text on a surface through TextOutA and GetTextExtentPoint32A: where the cell and the
// opaque box land, how the record's height and width size the glyphs, which glyph a byte
// draws in each character set, and which pixel values the colours become.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "gdi/code_pages.h"
#include "support/image_compare.h"
#include "support/text_canvas.h"
#include "testing.h"

namespace vantor::testing {
namespace {

constexpr uint32_t kUntouched = 0x1234;  // neither black, white nor yellow in either layout

LOGFONTA Record(const char* face, LONG height, LONG width = 0, BYTE charset = ANSI_CHARSET,
                BYTE quality = DEFAULT_QUALITY) {
    LOGFONTA record{};
    record.lfHeight = height;
    record.lfWidth = width;
    record.lfCharSet = charset;
    record.lfQuality = quality;
    snprintf(record.lfFaceName, sizeof record.lfFaceName, "%s", face);
    return record;
}

struct Drawn {
    std::vector<uint32_t> pixels;
    SIZE extent;
    TEXTMETRICA metrics;
    BOOL drawn;
};

class TextTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }

    void Open(int bitsPerPixel = 16, bool use555 = false) {
        ASSERT_TRUE(canvas.Open(160, 80, bitsPerPixel, use555));
    }

    // Draws text at (x, y) in a font made from the record, on a canvas of untouched pixels.
    Drawn Draw(const LOGFONTA& record, const std::string& text, int x = 4, int y = 4) {
        canvas.Fill(kUntouched);
        HFONT font = CreateFontIndirectA(&record);
        HGDIOBJ previous = SelectObject(canvas.dc(), font);
        Drawn drawn{};
        drawn.drawn = TextOutA(canvas.dc(), x, y, text.data(), static_cast<int>(text.size()));
        GetTextExtentPoint32A(canvas.dc(), text.data(), static_cast<int>(text.size()),
                              &drawn.extent);
        GetTextMetricsA(canvas.dc(), &drawn.metrics);
        SelectObject(canvas.dc(), previous);
        DeleteObject(font);
        for (int row = 0; row < canvas.height(); ++row)
            for (int column = 0; column < canvas.width(); ++column)
                drawn.pixels.push_back(canvas.Pixel(column, row));
        return drawn;
    }

    ImageView Image(const Drawn& drawn) { return {canvas.width(), canvas.height(), drawn.pixels}; }

    // The box of pixels holding exactly value.
    RECT InkBounds(const Drawn& drawn, uint32_t value) {
        RECT bounds{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int i = 0; i < static_cast<int>(drawn.pixels.size()); ++i) {
            if (drawn.pixels[i] != value) continue;
            int x = i % canvas.width(), y = i / canvas.width();
            bounds = {std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y),
                      std::max<LONG>(bounds.right, x + 1), std::max<LONG>(bounds.bottom, y + 1)};
        }
        return bounds;
    }

    void Colours(COLORREF text, COLORREF background) {
        SetTextColor(canvas.dc(), text);
        SetBkColor(canvas.dc(), background);
    }

    TextCanvas canvas;
};

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(TextTest, OpaqueBoxIsTheExtentWideAndTheCellHigh) {
    Open();
    canvas.Fill(kUntouched);
    ASSERT_TRUE(TextOutA(canvas.dc(), 10, 20, "Hello", 5));
    SIZE extent{};
    ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc(), "Hello", 5, &extent));
    EXPECT_EQ(extent.cy, 16);  // the default font's cell
    RECT touched = canvas.BoundsOfPixelsOtherThan(kUntouched);
    EXPECT_TRUE(touched == (RECT{10, 20, 10 + extent.cx, 20 + extent.cy}))
        << touched.left << "," << touched.top << "," << touched.right << "," << touched.bottom
        << " extent " << extent.cx << "x" << extent.cy;
}

TEST_F(TextTest, YIsTheTopOfTheCellAndTheBaselineAnAscentBelow) {
    Open();
    Colours(0xFFFFFF, 0);
    Drawn drawn =
        Draw(Record("DejaVu Sans", -40, 0, ANSI_CHARSET, NONANTIALIASED_QUALITY), "H", 4, 30);
    RECT ink = InkBounds(drawn, 0xFFFF);
    EXPECT_GT(ink.top, 30);
    EXPECT_EQ(ink.bottom, 30 + drawn.metrics.tmAscent);  // H stands on the baseline
    EXPECT_EQ(drawn.metrics.tmAscent, 37);               // 1901 of 2048 units at 40 pixels per em
}

TEST_F(TextTest, PositiveHeightIsTheCellAndNegativeTheEm) {
    Open();
    Colours(0xFFFFFF, 0);
    Drawn cell = Draw(Record("DejaVu Sans", 40, 0, ANSI_CHARSET, NONANTIALIASED_QUALITY), "H");
    Drawn em = Draw(Record("DejaVu Sans", -40, 0, ANSI_CHARSET, NONANTIALIASED_QUALITY), "H");
    EXPECT_EQ(cell.extent.cy, 40);
    EXPECT_EQ(cell.metrics.tmHeight, 40);
    EXPECT_EQ(em.metrics.tmInternalLeading, 7);  // the 336 units of cell over em, rounded
    EXPECT_EQ(em.extent.cy, 46);                 // 1901 and 483 of 2048 units at 40 pixels: 37 + 9
    RECT cellInk = InkBounds(cell, 0xFFFF), emInk = InkBounds(em, 0xFFFF);
    double ratio = double(emInk.bottom - emInk.top) / (cellInk.bottom - cellInk.top);
    EXPECT_NEAR(ratio, 2384.0 / 2048.0, 0.06);
}

// The cells the real platform gives the records it enumerates: the em resolved to whole
// pixels, then the ascent and the descent rounded each on its own.
TEST_F(TextTest, EnumeratedRecordsGetTheCellsOfAWholePixelEm) {
    Open();
    Drawn sans = Draw(Record("DejaVu Sans", 37, 16), std::string("A\0", 2));
    EXPECT_EQ(sans.metrics.tmAscent, 30);
    EXPECT_EQ(sans.metrics.tmDescent, 8);
    EXPECT_EQ(sans.metrics.tmHeight, 38);
    EXPECT_EQ(sans.metrics.tmInternalLeading, 5);
    EXPECT_EQ(sans.extent.cy, 38);
    EXPECT_EQ(sans.metrics.tmMaxCharWidth, 90);  // the 5763-unit bounding box at 32 ppem
    Drawn math = Draw(Record("DejaVu Math TeX Gyre", 137, 25), "A");
    EXPECT_EQ(math.metrics.tmHeight, 136);
    // A record narrower than the face's own average (14 of 15) is hinted at the em and then
    // narrowed, its advances rounded up: 'A', '@' and 'm' take 19, 28 and 27 pixels there.
    Drawn condensed = Draw(Record("DejaVu Sans Condensed", 37, 14), "A@m");
    EXPECT_EQ(condensed.extent.cx, 19 + 28 + 27);
}

TEST_F(TextTest, WidthSixteenAtHeightSixteenStretchesToThatAverage) {
    Open();
    Colours(0xFFFFFF, 0);
    const std::string sample = "ABCDEFG abcdefg 1234567890";
    Drawn natural =
        Draw(Record("DejaVu Sans", 16, 0, ANSI_CHARSET, NONANTIALIASED_QUALITY), sample, 0, 4);
    Drawn stretched =
        Draw(Record("DejaVu Sans", 16, 16, ANSI_CHARSET, NONANTIALIASED_QUALITY), sample, 0, 4);
    // The natural average at a 16-pixel cell is 1038 units of a 13.7-pixel em: about 7.
    const double expected = 16.0 / (1038.0 * 16.0 / 2384.0);
    EXPECT_NEAR(double(stretched.extent.cx) / natural.extent.cx, expected, expected * 0.06);
    EXPECT_EQ(stretched.extent.cy, natural.extent.cy);
    EXPECT_EQ(stretched.metrics.tmAveCharWidth, 16);
    // The glyphs themselves are wider, not just further apart: compare the first letter.
    Drawn naturalA =
        Draw(Record("DejaVu Sans", 16, 0, ANSI_CHARSET, NONANTIALIASED_QUALITY), "A", 0, 4);
    Drawn stretchedA =
        Draw(Record("DejaVu Sans", 16, 16, ANSI_CHARSET, NONANTIALIASED_QUALITY), "A", 0, 4);
    RECT a = InkBounds(naturalA, 0xFFFF), wide = InkBounds(stretchedA, 0xFFFF);
    EXPECT_NEAR(double(wide.right - wide.left) / (a.right - a.left), expected, expected * 0.2);
}

TEST_F(TextTest, ByteMeaningFollowsTheCodePageOfTheFontsCharacterSet) {
    Open();
    Colours(0xFFFFFF, 0);
    Drawn westernEuro = Draw(Record("DejaVu Sans", -32, 0, ANSI_CHARSET), "\x80");
    Drawn cyrillicEuro =
        Draw(Record("DejaVu Sans", -32, 0, RUSSIAN_CHARSET), "\x88");  // the euro in cp1251
    Drawn cyrillic80 =
        Draw(Record("DejaVu Sans", -32, 0, RUSSIAN_CHARSET), "\x80");  // Cyrillic capital DJE
    Drawn unassigned = Draw(Record("DejaVu Sans", -32, 0, ANSI_CHARSET), "\x81");
    EXPECT_TRUE(SameImage(Image(westernEuro), Image(cyrillicEuro)));
    EXPECT_NE(westernEuro.pixels, cyrillic80.pixels);
    EXPECT_NE(westernEuro.pixels, unassigned.pixels);
    // DEFAULT_CHARSET reads bytes as the Western set; the symbol set falls back from
    // U+F000 + byte to the byte itself in a face without symbols.
    EXPECT_TRUE(SameImage(Image(Draw(Record("DejaVu Sans", -32, 0, DEFAULT_CHARSET), "\x80")),
                          Image(westernEuro)));
    EXPECT_TRUE(SameImage(Image(Draw(Record("DejaVu Sans", -32, 0, SYMBOL_CHARSET), "Ab")),
                          Image(Draw(Record("DejaVu Sans", -32, 0, ANSI_CHARSET), "Ab"))));
}

// The fonts of one face and size in two character sets draw from one set of glyphs, yet
// each reads a byte through its own code page, whichever set drew first.
TEST_F(TextTest, CharacterSetsOfOneFaceAndSizeShareGlyphsButNotBytes) {
    Open();
    Colours(0xFFFFFF, 0);
    const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    size_t held = RenderedFontBytes();
    auto growth = [&held] {
        const size_t grown = RenderedFontBytes() - held;
        held = RenderedFontBytes();
        return grown;
    };
    Draw(Record("DejaVu Sans", -64, 0, RUSSIAN_CHARSET), letters);
    const size_t firstSet = growth();
    Draw(Record("DejaVu Sans", -64, 0, ANSI_CHARSET), letters);
    EXPECT_LT(growth(), firstSet / 4);  // the record, not the letters again

    const Drawn dje = Draw(Record("DejaVu Sans", -32, 0, RUSSIAN_CHARSET), "\x80");
    const Drawn euro = Draw(Record("DejaVu Sans", -32, 0, ANSI_CHARSET), "\x80");
    EXPECT_NE(euro.pixels, dje.pixels);
    EXPECT_EQ(Draw(Record("DejaVu Sans", -32, 0, RUSSIAN_CHARSET), "\x88").pixels, euro.pixels);
    EXPECT_EQ(Draw(Record("DejaVu Sans", -32, 0, RUSSIAN_CHARSET), "\x80").pixels, dje.pixels);
}

// What the C library's converter makes of one byte, read as text reads it: the converter's
// shift state is reset around the byte, so a tone mark that only starts a combination yields
// the mark itself, and a byte the code page leaves unassigned stands for its own number.
char32_t ConvertedByte(iconv_t converter, uint8_t byte) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char in[1] = {static_cast<char>(byte)};
    char32_t out[4] = {};
    char* inPointer = in;
    char* outPointer = reinterpret_cast<char*>(out);
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1))
        return byte;
    iconv(converter, nullptr, nullptr, &outPointer, &outLeft);
    return outLeft == sizeof out ? byte : out[0];
}

// The compiled code pages against the converter, byte by byte; DEFAULT and the multi-byte
// sets read the Western page.
TEST(CodePageTest, EveryByteOfEverySetIsWhatTheConverterMakesOfIt) {
    const struct {
        BYTE charset;
        const char* encoding;
    } sets[] = {{ANSI_CHARSET, "CP1252"},       {DEFAULT_CHARSET, "CP1252"},
                {SHIFTJIS_CHARSET, "CP1252"},   {EASTEUROPE_CHARSET, "CP1250"},
                {RUSSIAN_CHARSET, "CP1251"},    {GREEK_CHARSET, "CP1253"},
                {TURKISH_CHARSET, "CP1254"},    {HEBREW_CHARSET, "CP1255"},
                {ARABIC_CHARSET, "CP1256"},     {BALTIC_CHARSET, "CP1257"},
                {VIETNAMESE_CHARSET, "CP1258"}, {THAI_CHARSET, "CP874"},
                {OEM_CHARSET, "CP437"}};
    for (const auto& set : sets) {
        iconv_t converter = iconv_open("UTF-32LE", set.encoding);
        ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1)) << set.encoding;
        for (int byte = 0; byte < 256; ++byte)
            EXPECT_EQ(platform::CharacterOfByte(set.charset, static_cast<uint8_t>(byte)),
                      ConvertedByte(converter, static_cast<uint8_t>(byte)))
                << set.encoding << " byte " << byte;
        iconv_close(converter);
    }
    EXPECT_EQ(platform::CharacterOfByte(SYMBOL_CHARSET, 'A'), 0xF041u);
}

TEST_F(TextTest, EverySingleByteSetDrawsEveryByte) {
    Open();
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
    const std::vector<uint32_t> western = Draw(Record("DejaVu Sans", -20), "\xE0").pixels;
    for (BYTE charset :
         {ANSI_CHARSET, DEFAULT_CHARSET, SYMBOL_CHARSET, EASTEUROPE_CHARSET, RUSSIAN_CHARSET,
          GREEK_CHARSET, TURKISH_CHARSET, HEBREW_CHARSET, ARABIC_CHARSET, BALTIC_CHARSET,
          VIETNAMESE_CHARSET, THAI_CHARSET, OEM_CHARSET, SHIFTJIS_CHARSET}) {
        SCOPED_TRACE(static_cast<int>(charset));
        for (BYTE quality : {DEFAULT_QUALITY, NONANTIALIASED_QUALITY}) {
            Drawn drawn =
                Draw(Record("DejaVu Sans", -20, 0, charset, quality), everyByte, -300, 10);
            EXPECT_TRUE(drawn.drawn);
            EXPECT_GT(drawn.extent.cx, 255);
        }
    }
    // Byte E0 is a different letter in each of these sets.
    for (BYTE charset : {RUSSIAN_CHARSET, GREEK_CHARSET, HEBREW_CHARSET, OEM_CHARSET})
        EXPECT_NE(Draw(Record("DejaVu Sans", -20, 0, charset), "\xE0").pixels, western)
            << int(charset);
}

TEST_F(TextTest, MissingCharactersAndControlCodesDrawTheMissingGlyph) {
    Open();
    Colours(0xFFFFFF, 0);
    Drawn control = Draw(Record("DejaVu Sans", -32), "\x01");
    Drawn unassigned = Draw(Record("DejaVu Sans", -32), "\x81");
    Drawn thai = Draw(Record("DejaVu Sans", -32, 0, THAI_CHARSET), "\xA1");  // the face has no Thai
    EXPECT_TRUE(SameImage(Image(control), Image(unassigned)));
    EXPECT_TRUE(SameImage(Image(control), Image(thai)));
    EXPECT_EQ(control.extent.cx, 19);  // the missing glyph's own advance at 32 pixels per em
    EXPECT_LT(InkBounds(control, 0xFFFF).left, InkBounds(control, 0xFFFF).right);  // a visible box
    // Measuring a character with its terminating zero adds the missing glyph's advance.
    Drawn c = Draw(Record("DejaVu Sans", -32), "c");
    Drawn withZero = Draw(Record("DejaVu Sans", -32), std::string("c\0", 2));
    EXPECT_EQ(withZero.extent.cx, c.extent.cx + control.extent.cx);
}

struct ColourCase {
    int bitsPerPixel;
    bool use555;
    COLORREF text, background;
    uint32_t textPixel, backgroundPixel;
};

TEST_F(TextTest, ColoursLandInTheSurfacesOwnFormat) {
    const ColourCase cases[] = {
        {16, false, 0xFFFFFF, 0x000000, 0xFFFF, 0x0000},
        {16, false, 0x00FFFF, 0x000000, 0xFFE0, 0x0000},
        {16, false, 0x000000, 0xFFFFFF, 0x0000, 0xFFFF},
        {16, true, 0xFFFFFF, 0x000000, 0x7FFF, 0x0000},
        {16, true, 0x00FFFF, 0x000000, 0x7FE0, 0x0000},
        {16, true, 0x000000, 0xFFFFFF, 0x0000, 0x7FFF},
        {16, false, 0x8040C0, 0x000000, 0xC210, 0x0000},  // top bits of red C0, green 40, blue 80
        {32, false, 0x00FFFF, 0x804020, 0xFFFF00, 0x204080},  // COLORREF is blue-green-red
        {24, false, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000},
        {8, false, 0x00FFFF, 0x000000, 251, 0},  // no palette attached: the display's fixed colours
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.bitsPerPixel << (c.use555 ? " 5-5-5 " : " ") << std::hex << c.text);
        Reset();
        TextCanvas fresh;
        ASSERT_TRUE(fresh.Open(64, 48, c.bitsPerPixel, c.use555));
        fresh.Fill(kUntouched);
        SetTextColor(fresh.dc(), c.text);
        SetBkColor(fresh.dc(), c.background);
        HFONT font = CreateFontIndirectA(&static_cast<const LOGFONTA&>(Record("DejaVu Sans", -40)));
        SelectObject(fresh.dc(), font);
        ASSERT_TRUE(TextOutA(fresh.dc(), 0, 0, "H", 1));
        EXPECT_EQ(fresh.Pixel(0, 0), c.backgroundPixel);  // the box's corner, left of the H
        int solid = 0;
        for (int y = 0; y < 48; ++y) solid += fresh.CountInRow(y, c.textPixel);
        EXPECT_GT(solid, 40);  // the H's stems are fully inked
        SelectObject(fresh.dc(), GetStockObject(SYSTEM_FONT));
        DeleteObject(font);
    }
}

TEST_F(TextTest, MonochromeQualityDrawsOnlyTheTwoColours) {
    Open();
    Colours(0xFFFFFF, 0);
    auto shades = [](const Drawn& drawn) {
        std::vector<uint32_t> seen;
        for (uint32_t pixel : drawn.pixels)
            if (pixel != kUntouched && std::find(seen.begin(), seen.end(), pixel) == seen.end())
                seen.push_back(pixel);
        return seen.size();
    };
    EXPECT_EQ(
        shades(Draw(Record("DejaVu Sans", 24, 0, ANSI_CHARSET, NONANTIALIASED_QUALITY), "Ag")), 2u);
    EXPECT_GT(shades(Draw(Record("DejaVu Sans", 24), "Ag")), 2u);  // anti-aliased edges by default
}

// The real platform mixes grey edges in light, so dark text on white has light edges as
// well: row 7 of the 'B' of the list's sample line (DejaVu Sans at 16 x 16, black on white)
// as it draws it, from the left edge of the stem to the right of the upper bowl.
TEST_F(TextTest, DarkTextOnWhiteHasTheLightEdgesOfMixingInLight) {
    Open(32);
    Colours(0x000000, 0xFFFFFF);
    Drawn drawn = Draw(Record("DejaVu Sans", 16, 16), "AB", 0, 0);
    const int measured[] = {105, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 125, 190};
    for (int i = 0; i < 14; ++i)
        EXPECT_NEAR(drawn.pixels[7 * canvas.width() + 26 + i] & 0xFF, measured[i], 6) << i;
}

// Grey text on the real platform takes 17 levels, lifted by a gamma curve: level 1 of 16
// is already about 76 of 255, 2 about 104, 8 about 189 and 15 about 248.
TEST_F(TextTest, AntiAliasedEdgesTakeSeventeenGammaLiftedLevels) {
    Open(32);
    Colours(0xFFFFFF, 0);
    Drawn drawn = Draw(Record("DejaVu Sans", -40), "O@&sw");
    std::vector<int> levels;
    for (uint32_t pixel : drawn.pixels)
        if (pixel != kUntouched &&
            std::find(levels.begin(), levels.end(), pixel & 0xFF) == levels.end())
            levels.push_back(pixel & 0xFF);
    std::sort(levels.begin(), levels.end());
    EXPECT_EQ(levels.size(), 17u);
    ASSERT_GE(levels.size(), 3u);
    EXPECT_EQ(levels[0], 0);
    EXPECT_NEAR(levels[1], 76, 3);  // no fainter edge than level 1
    for (int measured : {104, 189, 248})
        EXPECT_TRUE(std::any_of(levels.begin(), levels.end(), [measured](int level) {
            return std::abs(level - measured) <= 1;
        })) << measured;
}

TEST_F(TextTest, TransparentModeLeavesTheBackgroundAlone) {
    Open();
    Colours(0xFFFFFF, 0);
    SetBkMode(canvas.dc(), TRANSPARENT);
    Drawn drawn = Draw(Record("DejaVu Sans", 24, 0, ANSI_CHARSET, NONANTIALIASED_QUALITY), "H");
    int untouched = 0, ink = 0;
    for (uint32_t pixel : drawn.pixels) untouched += pixel == kUntouched, ink += pixel == 0xFFFF;
    EXPECT_GT(ink, 0);
    EXPECT_EQ(untouched + ink, static_cast<int>(drawn.pixels.size()));
}

TEST_F(TextTest, TextIsClippedToTheSurfaceWhereverItIsPlaced) {
    Open();
    Colours(0xFFFFFF, 0);
    const LOGFONTA big = Record("DejaVu Sans", 60);
    const std::string text = "WWWWWWWWWW";
    for (POINT at :
         {POINT{-25, -30}, POINT{150, 70}, POINT{-5000, 10}, POINT{INT_MAX - 10, INT_MAX - 10},
          POINT{INT_MIN, INT_MIN}, POINT{10, INT_MIN + 5}}) {
        SCOPED_TRACE(::testing::Message() << at.x << "," << at.y);
        EXPECT_TRUE(Draw(big, text, at.x, at.y).drawn);
    }
    // Clipping cuts, it does not move: the visible part is the same as unclipped.
    Drawn whole = Draw(big, text, 0, 0);
    Drawn cut = Draw(big, text, -25, -30);
    int differing = 0;
    for (int y = 0; y + 30 < canvas.height(); ++y)
        for (int x = 0; x + 25 < canvas.width(); ++x)
            differing += cut.pixels[y * canvas.width() + x] !=
                         whole.pixels[(y + 30) * canvas.width() + x + 25];
    EXPECT_EQ(differing, 0);
    EXPECT_NE(InkBounds(cut, 0xFFFF).left, INT_MAX);
}

TEST_F(TextTest, WildRecordsAndArgumentsFailOrDrawButNeverOverrun) {
    Open();
    EXPECT_TRUE(Draw(Record("DejaVu Sans", INT_MIN, INT_MIN), "Ab").drawn);
    EXPECT_TRUE(Draw(Record("DejaVu Sans", INT_MAX, INT_MAX), "Ab").drawn);
    EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, nullptr, 3));
    EXPECT_FALSE(TextOutA(canvas.dc(), 0, 0, "abc", -1));
    EXPECT_TRUE(TextOutA(canvas.dc(), 0, 0, "", 0));
    SIZE size{};
    EXPECT_FALSE(GetTextExtentPoint32A(canvas.dc(), "abc", 3, nullptr));
    EXPECT_FALSE(GetTextExtentPoint32A(reinterpret_cast<HDC>(&size), "abc", 3, &size));
    EXPECT_FALSE(TextOutA(reinterpret_cast<HDC>(&size), 0, 0, "abc", 3));
}

// Fonts realised at many large sizes are kept by the memory they hold, not by their number
// (a code page at 500 pixels per em keeps some 16 MB), and the reset lets them all go.
TEST_F(TextTest, RealizedFontsAreBoundByMemoryAndEmptiedByReset) {
    Open();
    std::string everyByte;
    for (int byte = 32; byte < 256; ++byte) everyByte += static_cast<char>(byte);
    for (LONG em = 500; em < 508; ++em) {
        const LOGFONTA record = Record("DejaVu Sans", -em);
        HFONT font = CreateFontIndirectA(&record);
        HGDIOBJ previous = SelectObject(canvas.dc(), font);
        EXPECT_TRUE(
            TextOutA(canvas.dc(), 0, 0, everyByte.data(), static_cast<int>(everyByte.size())));
        SelectObject(canvas.dc(), previous);
        DeleteObject(font);
    }
    EXPECT_GT(RenderedFontBytes(), size_t(32) << 20);  // the fonts were kept
    EXPECT_LT(RenderedFontBytes(), size_t(84) << 20);  // 64 MB and the font drawn last
    Reset();
    EXPECT_EQ(RenderedFontBytes(), 0u);
}

}  // namespace
}  // namespace vantor::testing
