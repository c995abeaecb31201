// Fonts made real: a LOGFONTA matched to a face through fontconfig, sized, and its glyphs
// rendered once and kept, so that drawing the same text again touches no file.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "font_metrics.h"

namespace vantor::platform {

// A rendered glyph: coverage 0..255 per pixel, rows width bytes apart. A glyph too large
// to keep has its box but no coverage: it is rasterised where it is drawn, only the part
// that lands on the surface.
struct Glyph {
    int left = 0;  // from the pen position to the first column
    int top = 0;   // from the baseline up to the first row
    int width = 0;
    int height = 0;
    int advance = 0;  // whole pixels to the next pen position
    bool rasterisedInPlace = false;
    std::vector<uint8_t> coverage;
};

class RealizedFont {
public:
    RealizedFont(std::shared_ptr<FontFace> face, const LOGFONTA& request, std::string family);
    ~RealizedFont();
    RealizedFont(const RealizedFont&) = delete;
    RealizedFont& operator=(const RealizedFont&) = delete;

    bool Usable() const { return size_ != nullptr; }
    // What the font holds in memory: its record, its glyphs and their coverage.
    size_t HeldBytes() const { return heldBytes_; }
    const TEXTMETRICA& Metrics() const { return metrics_; }
    const std::string& Family() const { return family_; }
    // The glyph a byte draws in the font's character set: the character of the code page,
    // or the face's missing-character glyph for control codes and what the face lacks.
    const Glyph& GlyphOfByte(uint8_t byte);
    // The byte's advance in whole pixels, from its outline: nothing is rasterised.
    int AdvanceOfByte(uint8_t byte);
    // The coverage of columns [column0, column0 + width) and rows [row0, row0 + height) of
    // the box of a glyph rasterised in place; width x height bytes.
    std::vector<uint8_t> RasterisePart(uint8_t byte, int column0, int row0, int width, int height);

private:
    FT_UInt GlyphIndexOf(char32_t character) const;
    FT_GlyphSlot LoadOutline(FT_UInt glyphIndex);
    Glyph Render(FT_UInt glyphIndex);

    std::shared_ptr<FontFace> face_;
    FT_Size size_ = nullptr;
    TEXTMETRICA metrics_{};
    std::string family_;
    bool monochrome_ = false;
    bool emboldened_ = false;
    bool slanted_ = false;
    FT_Fixed stretch_ = 0x10000;  // how much wider than the em the record asks, 16.16
    std::array<FT_UInt, 256> glyphIndexOfByte_{};
    std::array<const Glyph*, 256> glyphOfByte_{};
    std::array<int, 256> advanceOfByte_{};  // -1 until measured
    size_t keptCoverageBytes_ = 0;
    size_t heldBytes_ = 0;
    std::unordered_map<FT_UInt, Glyph> glyphs_;
};

// The font a record asks for: face by name, weight and italic; an empty or unknown name,
// or an all-zero record, gets the default sans face. Null only when no face at all can
// be opened. Valid until the next call: fonts are kept, the least recently used let go
// first, while together they hold less than about 64 MB, and until fontconfig reports a
// change or ForgetRealizedFonts.
RealizedFont* RealizeFont(const LOGFONTA& request);

// Drops every realized font and opened face: the next text starts cold.
void ForgetRealizedFonts();

// What all realized fonts hold together, in bytes.
size_t RealizedFontBytes();

}  // namespace vantor::platform
