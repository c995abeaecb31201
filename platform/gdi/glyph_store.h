// Glyphs of one face at one size and style, rendered once and kept by glyph index. The
// fonts realized for different character sets of a face at the same size read their bytes
// through different code pages but draw from one store. What it keeps, and for how long,
// beside the other font caches: font_cache.h.
#pragma once

#include <cstdint>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "font_faces.h"

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

// What makes one glyph of a face look different from the same glyph elsewhere: the square
// em it is hinted at in 1/64 pixels, how much wider it is then stretched (16.16), grey or
// two-level coverage, and the bold and slant made up for a face that lacks them.
struct GlyphStyle {
    long pixelsPerEm64 = 0;
    long stretch = 0x10000;
    bool monochrome = false;
    bool emboldened = false;
    bool slanted = false;

    auto Fields() const {
        return std::tie(pixelsPerEm64, stretch, monochrome, emboldened, slanted);
    }
    bool operator<(const GlyphStyle& other) const { return Fields() < other.Fields(); }
};

class GlyphStore {
public:
    GlyphStore(std::shared_ptr<FontFace> face, const GlyphStyle& style);
    ~GlyphStore();
    GlyphStore(const GlyphStore&) = delete;
    GlyphStore& operator=(const GlyphStore&) = delete;

    bool Usable() const { return size_ != nullptr; }
    // The glyph, rendered on first use; one that cannot be loaded draws nothing and takes
    // no room. The reference stays valid as long as the store.
    const Glyph& GlyphAt(FT_UInt index);
    // The glyph's advance in whole pixels, from its outline: nothing is rasterised.
    int AdvanceAt(FT_UInt index);
    // The coverage of columns [column0, column0 + width) and rows [row0, row0 + height) of
    // the box of a glyph rasterised in place; width x height bytes.
    std::vector<uint8_t> RasterisePart(FT_UInt index, int column0, int row0, int width, int height);

private:
    FT_GlyphSlot LoadOutline(FT_UInt index);
    Glyph Render(FT_UInt index);
    void Hold(size_t bytes);
    size_t BytesToCount() const;  // what the store holds, counted afresh

    std::shared_ptr<FontFace> face_;
    GlyphStyle style_;
    FT_Size size_ = nullptr;
    size_t keptCoverageBytes_ = 0;
    size_t heldBytes_ = 0;
    std::unordered_map<FT_UInt, Glyph> glyphs_;
};

// The store of the face in that style, shared by every font that asks for the same while
// one of them lives.
std::shared_ptr<GlyphStore> ShareGlyphStore(const std::shared_ptr<FontFace>& face,
                                            const GlyphStyle& style);

// What realized fonts hold together, in bytes: every live glyph store with its glyphs and
// coverage, and the fonts' own records, which they add and take away themselves. The rule:
// what is let go was held, and a store lets go, as it is freed, exactly what it counted.
size_t FontBytesHeld();
void HoldFontBytes(size_t bytes);
void LetGoFontBytes(size_t bytes);

}  // namespace vantor::platform
