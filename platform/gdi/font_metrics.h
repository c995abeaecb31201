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
// the em is a whole number of pixels, the one whose Windows cell (usWinAscent +
// usWinDescent) comes nearest the height asked for. lfWidth > 0 stretches horizontally
// so that the average character, as wide as that em makes it, is lfWidth wide.
// Sizes are held to a sane range so that a wild record cannot ask for giant glyphs.
FontScale ScaleFor(const FaceFacts& facts, LONG height, LONG width);

// The metrics of the face at that scale, listed in the given character set. The ascent
// and the descent are each rounded from the face's Windows cell; the cell is their sum,
// at least one pixel (the ascent is raised when both round to nothing).
TEXTMETRICA MetricsAt(const FaceFacts& facts, const FontScale& scale, BYTE charset, LONG weight,
                      bool italic);

// The pixels per em at which enumeration describes every outline face.
constexpr double kEnumerationPixelsPerEm = 32.0;

// The metrics enumeration lists for the face: its Windows cell at kEnumerationPixelsPerEm
// rounded as a whole, the ascent within it, and the average width scaled by that cell.
TEXTMETRICA EnumeratedMetrics(const FaceFacts& facts, BYTE charset);

}  // namespace vantor::platform
