// Font files opened with FreeType, once each, with the facts GDI's metrics come from.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <string>

#include "gdi.h"

namespace vantor::platform {

// What a face says about itself, in font design units.
struct FaceFacts {
    int unitsPerEm;
    int winAscent;        // the cell above the baseline
    int winDescent;       // the cell below it
    int averageWidth;     // OS/2 xAvgCharWidth
    int boxWidth;         // the bounding box of every glyph, head xMax - xMin
    int externalLeading;  // line gap outside the cell
    int weight;           // 100..900
    bool italic;
    bool fixedPitch;
    bool symbol;  // characters live at U+F000 + byte
    BYTE family;  // FF_ROMAN, FF_SWISS, ...
    DWORD unicodeRanges[4];
    DWORD codePages[2];  // OS/2 ulCodePageRange1 and 2
};

struct FontFace {
    FT_Face face = nullptr;
    FaceFacts facts{};
    FontFace() = default;
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
    ~FontFace();
};

// The face at index in the file, opened on first use and kept. Null when the file cannot
// be opened, has no outlines, no Unicode or symbol character map, or glyphs that cannot
// be loaded: such fonts are left out, never drawn.
std::shared_ptr<FontFace> OpenFontFace(const std::string& path, int index);

// Forgets every opened face (faces still in use stay alive until their last user lets go).
void ForgetFontFaces();

}  // namespace vantor::platform
