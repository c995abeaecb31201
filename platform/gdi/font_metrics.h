// From a face's design-unit facts and a LOGFONTA's height and width to the scale glyphs
// are rendered at and the TEXTMETRICA GDI reports for it.
#pragma once

#include "font_faces.h"

namespace vantor::platform {

// Pixels per em, vertically and horizontally (they differ when lfWidth stretches).
struct FontScale {
    double yPixelsPerEm;
    double xPixelsPerEm;
};

// lfHeight > 0 asks for a cell that high, < 0 for an em that high, 0 for a 16-pixel cell;
// lfWidth > 0 stretches horizontally so that the average character is that wide.
// Sizes are held to a sane range so that a wild record cannot ask for giant glyphs.
FontScale ScaleFor(const FaceFacts& facts, LONG height, LONG width);

// The metrics of the face at that scale, listed in the given character set.
TEXTMETRICA MetricsAt(const FaceFacts& facts, const FontScale& scale, BYTE charset, LONG weight,
                      bool italic);

// The pixels per em at which enumeration describes every outline face.
constexpr double kEnumerationPixelsPerEm = 32.0;

}  // namespace vantor::platform
