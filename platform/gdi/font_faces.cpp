#include "font_faces.h"

#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <map>

#include "face_facts_cache.h"
#include "font_config.h"
#include "font_counters.h"

namespace vantor::platform {
namespace {

// Never destroyed: faces may still be in use by objects torn down at exit.
FT_Library Library() {
    static FT_Library library = [] {
        FT_Library made = nullptr;
        if (FT_Init_FreeType(&made)) made = nullptr;
        return made;
    }();
    return library;
}

using FaceCache = std::map<std::string, std::shared_ptr<FontFace>>;
// Faces opened under an older font list may have changed on disk since.
FaceCache& Cache() {
    static auto* cache = new FaceCache;
    static int generation = FontconfigGeneration();
    if (generation != FontconfigGeneration()) {
        cache->clear();
        generation = FontconfigGeneration();
    }
    return *cache;
}

bool SelectCharacterMap(FT_Face face, bool* symbol) {
    *symbol = false;
    if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) return true;
    *symbol = FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0;
    return *symbol;
}

// A face is usable when its missing-character glyph and its 'A' (if it has one) load.
bool GlyphsLoad(FT_Face face, bool symbol) {
    if (FT_Set_Pixel_Sizes(face, 0, 32)) return false;
    FT_UInt probe = FT_Get_Char_Index(face, symbol ? 0xF041 : 'A');
    for (FT_UInt glyph : {FT_UInt(0), probe})
        if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT)) return false;
    return true;
}

BYTE FamilyOf(const TT_OS2* os2, bool fixedPitch) {
    if (fixedPitch) return FF_MODERN;
    if (!os2) return FF_DONTCARE;
    switch (os2->panose[0]) {
        case 2: {
            int serifStyle = os2->panose[1];
            if (serifStyle >= 11 && serifStyle <= 15) return FF_SWISS;
            return serifStyle >= 2 ? FF_ROMAN : FF_DONTCARE;
        }
        case 3: return FF_SCRIPT;
        case 4:
        case 5: return FF_DECORATIVE;
        default: return FF_DONTCARE;
    }
}

FaceFacts ReadFacts(FT_Face face, bool symbol) {
    FaceFacts facts{};
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    facts.unitsPerEm = face->units_per_EM > 0 ? face->units_per_EM : 2048;
    facts.boxWidth = std::max<int>(face->bbox.xMax - face->bbox.xMin, 0);
    facts.fixedPitch = FT_IS_FIXED_WIDTH(face);
    facts.symbol = symbol;
    facts.family = FamilyOf(os2, facts.fixedPitch);
    facts.italic = face->style_flags & FT_STYLE_FLAG_ITALIC;
    facts.weight = face->style_flags & FT_STYLE_FLAG_BOLD ? FW_BOLD : FW_NORMAL;
    if (os2 && os2->version != 0xFFFF) {
        facts.winAscent = os2->usWinAscent;
        facts.winDescent = os2->usWinDescent;
        facts.averageWidth = os2->xAvgCharWidth;
        if (os2->usWeightClass >= 100 && os2->usWeightClass <= 1000)
            facts.weight = os2->usWeightClass;
        facts.italic = facts.italic || (os2->fsSelection & 0x201);  // ITALIC or OBLIQUE
        facts.unicodeRanges[0] = os2->ulUnicodeRange1;
        facts.unicodeRanges[1] = os2->ulUnicodeRange2;
        facts.unicodeRanges[2] = os2->ulUnicodeRange3;
        facts.unicodeRanges[3] = os2->ulUnicodeRange4;
        if (os2->version >= 1) {
            facts.codePages[0] = os2->ulCodePageRange1;
            facts.codePages[1] = os2->ulCodePageRange2;
        }
    }
    if (facts.winAscent + facts.winDescent <= 0) {  // no OS/2 cell: the horizontal header's
        facts.winAscent = std::max<int>(face->ascender, 1);
        facts.winDescent = std::max<int>(-face->descender, 0);
    }
    if (facts.averageWidth <= 0) facts.averageWidth = std::max<int>(face->max_advance_width / 2, 1);
    if (facts.codePages[0] == 0)
        facts.codePages[0] = symbol ? 0x80000000u : 0x1u;  // no bits: Western
    if (symbol) facts.codePages[0] |= 0x80000000u;
    if (hhea) {
        int lineHeight = hhea->Ascender - hhea->Descender + hhea->Line_Gap;
        facts.externalLeading = std::max(0, lineHeight - (facts.winAscent + facts.winDescent));
    }
    return facts;
}

std::shared_ptr<FontFace> Open(const std::string& path, int index) {
    if (!Library()) return nullptr;
    auto opened = std::make_shared<FontFace>();
    CountFontFileOpened();
    if (FT_New_Face(Library(), path.c_str(), index, &opened->face)) {
        opened->face = nullptr;
        return nullptr;
    }
    bool symbol = false;
    // Trying the glyphs runs the face's hinting programs at a size nothing else uses; a
    // face an earlier start found usable, in a file unchanged since, is not tried again.
    if (!FT_IS_SCALABLE(opened->face) || !SelectCharacterMap(opened->face, &symbol) ||
        (!FoundUsableBefore(path, index) && !GlyphsLoad(opened->face, symbol)))
        return nullptr;
    opened->facts = ReadFacts(opened->face, symbol);
    return opened;
}

}  // namespace

FontFace::~FontFace() {
    if (face) FT_Done_Face(face);
}

std::shared_ptr<FontFace> OpenFontFace(const std::string& path, int index) {
    std::string key = path + '#' + std::to_string(index);
    auto found = Cache().find(key);
    // Unusable files are remembered too, so that they are not tried again and again.
    if (found == Cache().end()) found = Cache().emplace(key, Open(path, index)).first;
    return found->second;
}

void ForgetFontFaces() { Cache().clear(); }

}  // namespace vantor::platform
