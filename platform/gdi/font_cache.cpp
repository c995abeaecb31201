// A realized font: a face sized for a LOGFONTA, its metrics, and its glyphs rendered once
// and kept. Which realized font a record gets is decided in font_matching.cpp.
#include "font_cache.h"

#include FT_BITMAP_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <climits>
#include <cmath>

#include "code_pages.h"

namespace vantor::platform {
namespace {

// A kept glyph's share of a font beside its coverage: the record and its map node.
constexpr size_t kGlyphBytes = sizeof(Glyph) + 4 * sizeof(void*);
constexpr LONG kBoldFrom = 600;
// Coverage kept per font, and per glyph: a 512-pixel em needs some 14 MB for a whole code
// page. A glyph past either bound (a face whose outlines dwarf its em) is rasterised at
// each draw, clipped to the surface, so that no font holds more than it can show.
constexpr size_t kMostCoverageBytesPerFont = size_t(16) << 20;
constexpr int64_t kLargestKeptGlyph = int64_t(1) << 20;

size_t& HeldByAllFonts() {
    static size_t bytes = 0;
    return bytes;
}

// The pixel box an outline covers: columns [left, right), rows from top down to bottom.
struct PixelBox {
    int64_t left, right, top, bottom;
    int64_t Width() const { return right - left; }
    int64_t Height() const { return top - bottom; }
};

PixelBox BoxOf(const FT_Outline& outline) {
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    auto floor = [](FT_Pos v) { return static_cast<int64_t>(v >> 6); };
    auto ceil = [](FT_Pos v) { return static_cast<int64_t>((v + 63) >> 6); };
    return {floor(box.xMin), ceil(box.xMax), ceil(box.yMax), floor(box.yMin)};
}

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN / 2, INT_MAX / 2));
}

// Grey text is drawn in 17 levels of coverage, each lifted by a gamma of 2.3 so that
// faint edges come out brighter: level 2 of 16 is 103 of 255, level 8 is 189, level 15
// is 248, as the real platform mixes them.
struct GrayLevels {
    uint8_t intensity[256];
    GrayLevels() {
        constexpr int kLevels = 16;
        constexpr double kGamma = 2.3;
        for (int coverage = 0; coverage < 256; ++coverage) {
            const int level = (coverage * kLevels + 128) / 256;
            intensity[coverage] = static_cast<uint8_t>(
                std::lround(255.0 * std::pow(double(level) / kLevels, 1.0 / kGamma)));
        }
    }
};

uint8_t GrayLevelOf(uint8_t coverage) {
    static const GrayLevels levels;
    return levels.intensity[coverage];
}

void CopyBitmap(const FT_Bitmap& bitmap, Glyph* glyph) {
    glyph->width = static_cast<int>(bitmap.width);
    glyph->height = static_cast<int>(bitmap.rows);
    glyph->coverage.assign(static_cast<size_t>(glyph->width) * glyph->height, 0);
    // FreeType may store rows bottom-up (negative pitch); walk from the first row shown.
    const unsigned char* row = bitmap.buffer;
    if (bitmap.pitch < 0) row -= static_cast<ptrdiff_t>(bitmap.pitch) * (glyph->height - 1);
    uint8_t* out = glyph->coverage.data();
    for (int y = 0; y < glyph->height; ++y, row += bitmap.pitch, out += glyph->width) {
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < glyph->width; ++x)
                out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
        } else {
            for (int x = 0; x < glyph->width; ++x) out[x] = GrayLevelOf(row[x]);
        }
    }
}

// A stretched advance falls between pixels; the platform rounds it up.
int WholeAdvance(FT_GlyphSlot slot) { return static_cast<int>((slot->advance.x + 63) >> 6); }

}  // namespace

RealizedFont::RealizedFont(std::shared_ptr<FontFace> face, const LOGFONTA& request,
                           std::string family)
    : face_(std::move(face)), family_(std::move(family)), heldBytes_(sizeof(RealizedFont)) {
    HeldByAllFonts() += heldBytes_;
    advanceOfByte_.fill(-1);
    const FaceFacts& facts = face_->facts;
    LONG weight = request.lfWeight > 0 ? request.lfWeight : FW_NORMAL;
    emboldened_ = weight >= kBoldFrom && facts.weight < kBoldFrom;  // no bold face: made bold
    slanted_ = request.lfItalic && !facts.italic;
    monochrome_ = request.lfQuality == NONANTIALIASED_QUALITY;
    FontScale scale = ScaleFor(facts, request.lfHeight, request.lfWidth);
    metrics_ = MetricsAt(facts, scale, request.lfCharSet, emboldened_ ? FW_BOLD : facts.weight,
                         facts.italic || slanted_);
    if (FT_New_Size(face_->face, &size_)) {
        size_ = nullptr;
        return;
    }
    FT_Activate_Size(size_);
    // Outlines are hinted at the square whole-pixel em and only then stretched to the width
    // the record asks, as the real platform does.
    stretch_ = std::lround(scale.xPixelsPerEm / scale.yPixelsPerEm * 0x10000);
    const FT_F26Dot6 em = std::lround(scale.yPixelsPerEm * 64);
    if (FT_Set_Char_Size(face_->face, em, em, 72, 72)) {
        FT_Done_Size(size_);
        size_ = nullptr;
        return;
    }
    // A symbol face reads bytes as symbols whatever character set the record names.
    const auto& characters = CharactersOfCharset(facts.symbol ? SYMBOL_CHARSET : request.lfCharSet);
    for (int b = 0; b < 256; ++b) glyphIndexOfByte_[b] = GlyphIndexOf(characters[b]);
}

RealizedFont::~RealizedFont() {
    HeldByAllFonts() -= heldBytes_;
    if (size_) FT_Done_Size(size_);
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
    if (const Glyph* known = glyphOfByte_[byte]) return *known;
    FT_UInt index = glyphIndexOfByte_[byte];
    auto found = glyphs_.find(index);
    if (found == glyphs_.end()) {
        found = glyphs_.emplace(index, Render(index)).first;
        const size_t held = kGlyphBytes + found->second.coverage.size();
        heldBytes_ += held;
        HeldByAllFonts() += held;
    }
    glyphOfByte_[byte] = &found->second;
    return found->second;
}

int RealizedFont::AdvanceOfByte(uint8_t byte) {
    if (const Glyph* known = glyphOfByte_[byte]) return known->advance;
    if (advanceOfByte_[byte] < 0) {
        FT_GlyphSlot slot = LoadOutline(glyphIndexOfByte_[byte]);
        advanceOfByte_[byte] = slot ? WholeAdvance(slot) : 0;
    }
    return advanceOfByte_[byte];
}

// The glyph's outline in the face's slot at this font's size, made bold or slanted as the
// font asks; null when it cannot be loaded.
FT_GlyphSlot RealizedFont::LoadOutline(FT_UInt glyphIndex) {
    FT_Face face = face_->face;
    FT_Activate_Size(size_);
    FT_Int32 load = FT_LOAD_NO_BITMAP | (monochrome_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, glyphIndex, load)) return nullptr;
    FT_GlyphSlot slot = face->glyph;
    if (emboldened_) FT_GlyphSlot_Embolden(slot);
    if (stretch_ != 0x10000) {
        const FT_Matrix stretch{stretch_, 0, 0, 0x10000};
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Transform(&slot->outline, &stretch);
        slot->advance.x = FT_MulFix(slot->advance.x, stretch_);
    }
    if (slanted_) FT_GlyphSlot_Oblique(slot);
    return slot;
}

// A glyph that cannot be loaded or rendered draws nothing and takes no room.
Glyph RealizedFont::Render(FT_UInt glyphIndex) {
    Glyph glyph;
    FT_GlyphSlot slot = LoadOutline(glyphIndex);
    if (!slot) return glyph;
    glyph.advance = WholeAdvance(slot);
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        const PixelBox box = BoxOf(slot->outline);
        const int64_t area = box.Width() * box.Height();
        if (area > kLargestKeptGlyph || keptCoverageBytes_ + area > kMostCoverageBytesPerFont) {
            glyph.left = ClampToInt(box.left);
            glyph.top = ClampToInt(box.top);
            glyph.width = ClampToInt(box.Width());
            glyph.height = ClampToInt(box.Height());
            glyph.rasterisedInPlace = true;
            return glyph;
        }
    }
    if (FT_Render_Glyph(slot, monochrome_ ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL))
        return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    CopyBitmap(slot->bitmap, &glyph);
    keptCoverageBytes_ += glyph.coverage.size();
    return glyph;
}

std::vector<uint8_t> RealizedFont::RasterisePart(uint8_t byte, int column0, int row0, int width,
                                                 int height) {
    const Glyph& whole = GlyphOfByte(byte);
    Glyph part;
    part.width = width;
    part.height = height;
    FT_GlyphSlot slot = LoadOutline(glyphIndexOfByte_[byte]);
    if (!slot || slot->format != FT_GLYPH_FORMAT_OUTLINE || width <= 0 || height <= 0) {
        part.coverage.assign(static_cast<size_t>(std::max(width, 0)) * std::max(height, 0), 0);
        return std::move(part.coverage);
    }
    // The part's bottom-left corner moved to the origin, where the bitmap's last row lies.
    FT_Outline_Translate(&slot->outline, -static_cast<FT_Pos>(int64_t(whole.left) + column0) * 64,
                         -static_cast<FT_Pos>(int64_t(whole.top) - row0 - height) * 64);
    FT_Bitmap bitmap;
    FT_Bitmap_Init(&bitmap);
    bitmap.width = static_cast<unsigned>(width);
    bitmap.rows = static_cast<unsigned>(height);
    bitmap.pitch = monochrome_ ? (width + 7) / 8 : width;
    bitmap.pixel_mode = monochrome_ ? FT_PIXEL_MODE_MONO : FT_PIXEL_MODE_GRAY;
    bitmap.num_grays = 256;
    std::vector<unsigned char> buffer(static_cast<size_t>(bitmap.pitch) * height, 0);
    bitmap.buffer = buffer.data();
    if (FT_Outline_Get_Bitmap(slot->library, &slot->outline, &bitmap) == 0)
        CopyBitmap(bitmap, &part);
    else
        part.coverage.assign(static_cast<size_t>(width) * height, 0);
    return std::move(part.coverage);
}

size_t RealizedFontBytes() { return HeldByAllFonts(); }

}  // namespace vantor::platform
