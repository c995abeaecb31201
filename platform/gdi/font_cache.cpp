// A realized font: a face sized for a LOGFONTA, its metrics, and the glyphs its bytes draw,
// from a store shared with the fonts of the same face, size and style. Which realized font
// a record gets is decided in font_matching.cpp.
#include "font_cache.h"

#include <cmath>

#include "code_pages.h"

namespace vantor::platform {
namespace {

constexpr LONG kBoldFrom = 600;

}  // namespace

RealizedFont::RealizedFont(std::shared_ptr<FontFace> face, const LOGFONTA& request,
                           std::string family)
    : face_(std::move(face)), family_(std::move(family)) {
    HoldFontBytes(sizeof(RealizedFont));
    advanceOfByte_.fill(-1);
    const FaceFacts& facts = face_->facts;
    LONG weight = request.lfWeight > 0 ? request.lfWeight : FW_NORMAL;
    GlyphStyle style;
    style.emboldened = weight >= kBoldFrom && facts.weight < kBoldFrom;  // no bold face: made bold
    style.slanted = request.lfItalic && !facts.italic;
    style.monochrome = request.lfQuality == NONANTIALIASED_QUALITY;
    FontScale scale = ScaleFor(facts, request.lfHeight, request.lfWidth);
    // Outlines are hinted at the square whole-pixel em and only then stretched to the width
    // the record asks, as the real platform does.
    style.pixelsPerEm64 = std::lround(scale.yPixelsPerEm * 64);
    style.stretch = std::lround(scale.xPixelsPerEm / scale.yPixelsPerEm * 0x10000);
    metrics_ = MetricsAt(facts, scale, request.lfCharSet, style.emboldened ? FW_BOLD : facts.weight,
                         facts.italic || style.slanted);
    // A symbol face reads bytes as symbols whatever character set the record names.
    codePageCharset_ = facts.symbol ? SYMBOL_CHARSET : request.lfCharSet;
    store_ = ShareGlyphStore(face_, style);
}

RealizedFont::~RealizedFont() { LetGoFontBytes(sizeof(RealizedFont)); }

// Looked up on first use, as most fonts draw a few bytes of their code page.
FT_UInt RealizedFont::GlyphIndexOfByte(uint8_t byte) {
    if (!glyphIndexKnown_[byte]) {
        glyphIndexOfByte_[byte] = GlyphIndexOf(CharacterOfByte(codePageCharset_, byte));
        glyphIndexKnown_[byte] = true;
    }
    return glyphIndexOfByte_[byte];
}

// Symbol characters (U+F000 + byte) are also looked for at the byte itself, where some
// symbol faces keep them.
FT_UInt RealizedFont::GlyphIndexOf(char32_t character) const {
    FT_UInt index = IsControlCharacter(character) ? 0 : FT_Get_Char_Index(face_->face, character);
    if (index == 0 && character >= 0xF000 && character <= 0xF0FF &&
        !IsControlCharacter(character - 0xF000))
        index = FT_Get_Char_Index(face_->face, character - 0xF000);
    return index;
}

const Glyph& RealizedFont::GlyphOfByte(uint8_t byte) {
    if (!glyphOfByte_[byte]) glyphOfByte_[byte] = &store_->GlyphAt(GlyphIndexOfByte(byte));
    return *glyphOfByte_[byte];
}

int RealizedFont::AdvanceOfByte(uint8_t byte) {
    if (const Glyph* known = glyphOfByte_[byte]) return known->advance;
    if (advanceOfByte_[byte] < 0) advanceOfByte_[byte] = store_->AdvanceAt(GlyphIndexOfByte(byte));
    return advanceOfByte_[byte];
}

std::vector<uint8_t> RealizedFont::RasterisePart(uint8_t byte, int column0, int row0, int width,
                                                 int height) {
    return store_->RasterisePart(GlyphIndexOfByte(byte), column0, row0, width, height);
}

size_t RealizedFontBytes() { return FontBytesHeld(); }

}  // namespace vantor::platform
