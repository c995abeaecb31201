// Fonts made real: a LOGFONTA matched to a face through fontconfig, sized, and its glyphs
// rendered once and kept, so that drawing the same text again touches no file.
//
// The font caches, from the disk up. Each keeps what the one above it would otherwise have
// to make again; this is the one place that says what each keeps, by what key, how much,
// and for how long.
//
//   face facts on disk   (face_facts_cache.h) What enumeration needs of each face (its metrics
//                        in design units, code pages, weight, pitch), so that a start opens
//                        no font file whose facts it knew. Key: font file path and face
//                        index, with the file's stamp (size, modification and change times,
//                        inode), which must still match. Bound: FaceFactsCache::kMostKept
//                        faces of every font set a start has seen, those asked for longest
//                        ago dropped first. Lifetime: between runs; the file
//                        (face_facts_file.h) is mapped when the enumeration's catalog is
//                        built (at the first enumeration and whenever fontconfig reports a
//                        change), each face found through its index and checked when asked
//                        for, and written back when anything in it changed.
//   default faces on disk (default_face_cache.h) The face fontconfig matched for the default
//                        request (an empty or unknown name), which scores every installed
//                        font. Key: fontconfig's version, the substituted request, and the
//                        stamps of its configuration files and font folders. Bound: 8 keys,
//                        the latest first. Lifetime: between runs; matched again whenever the
//                        key is not found or the face kept no longer opens.
//   opened faces         (font_faces.h) The FreeType face of each (path, index) opened for
//                        text, and the files that would not open. Bound: the faces text has
//                        asked for. Lifetime: until fontconfig reports a change or
//                        ForgetRealizedFonts; a face in use lives on with its users.
//   matched names        (font_matching.cpp) The face fontconfig matched for a face name,
//                        weight and slant. Bound: 512 names, then emptied whole. Lifetime:
//                        until fontconfig reports a change.
//   realized fonts       (this header) A face sized and styled for one record, with its
//                        metrics and its byte-to-glyph tables. Key: the whole record as it
//                        matters (face name folded, height, width, weight, italic, character
//                        set, two-level quality). Bound: while all fonts and glyph stores
//                        together hold more than 64 MB (FontBytesHeld), the least recently
//                        used go; the one asked for stays. Lifetime: until let go so, or
//                        fontconfig reports a change, or ForgetRealizedFonts.
//   glyph stores         (glyph_store.h) The rendered glyphs of one face at one size and style
//                        (GlyphStyle), by glyph index, shared by that face's fonts in every
//                        character set. Bound: 16 MB of coverage a store, and no glyph over
//                        2^20 pixels kept (such a glyph is rasterised where it is drawn).
//                        Lifetime: while a realized font holds it.
#pragma once

#include <array>
#include <bitset>
#include <memory>
#include <string>
#include <vector>

#include "font_metrics.h"
#include "glyph_store.h"

namespace vantor::platform {

// A face sized and styled for a LOGFONTA, reading bytes through the code page of the
// record's character set. Its glyphs live in a store shared with the fonts of the same
// face, size and style in other character sets.
class RealizedFont {
public:
    RealizedFont(std::shared_ptr<FontFace> face, const LOGFONTA& request, std::string family);
    ~RealizedFont();
    RealizedFont(const RealizedFont&) = delete;
    RealizedFont& operator=(const RealizedFont&) = delete;

    bool Usable() const { return store_ != nullptr; }
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
    FT_UInt GlyphIndexOfByte(uint8_t byte);
    FT_UInt GlyphIndexOf(char32_t character) const;

    std::shared_ptr<FontFace> face_;
    std::shared_ptr<GlyphStore> store_;
    TEXTMETRICA metrics_{};
    std::string family_;
    BYTE codePageCharset_ = ANSI_CHARSET;  // the set whose code page reads the bytes
    std::bitset<256> glyphIndexKnown_;
    std::array<FT_UInt, 256> glyphIndexOfByte_{};
    std::array<const Glyph*, 256> glyphOfByte_{};
    std::array<int, 256> advanceOfByte_{};  // -1 until measured
};

// The font a record asks for: face by name, weight and italic; an empty or unknown name,
// or an all-zero record, gets the default sans face. Null only when no face at all can
// be opened. Valid until the next call (how long fonts are kept: above).
RealizedFont* RealizeFont(const LOGFONTA& request);

// Drops every realized font and opened face: the next text starts cold.
void ForgetRealizedFonts();

// What all realized fonts hold together, in bytes.
size_t RealizedFontBytes();

}  // namespace vantor::platform
