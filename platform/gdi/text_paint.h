// Painting text into a surface's pixels in its own format: colours turned into pixel
// values, the opaque box, and glyph coverage laid over the pixels, clipped to the view.
#pragma once

#include <cstdint>

#include "gdi.h"
#include "pixel_view.h"

namespace vantor::platform {

// The gamma of grey text: a glyph's grey levels are lifted by it (coverage is the level to
// the power 1 / kTextGamma), and edges are mixed in light, each channel to the power of it.
inline constexpr double kTextGamma = 2.3;

// A glyph's coverage: 0 = untouched, 255 = fully inked; rows width bytes apart.
struct CoverageMap {
    const uint8_t* data;
    int width;
    int height;
};

// Pixel values from the background colour (index 0) to the text colour (index 255).
struct CoverageRamp {
    uint32_t pixel[256];
};

// The part of a width x height box at (x, y) that lies inside the view, in the box's own
// coordinates; empty when nothing does.
struct Span {
    int column0, column1, row0, row1;
    bool Empty() const { return column0 >= column1 || row0 >= row1; }
};
Span ClipToView(const PixelView& view, int64_t x, int64_t y, int64_t width, int64_t height);

// The pixel value of a colour in the view's format: each channel's top bits for RGB
// layouts, the nearest palette entry at 8 bits per pixel.
uint32_t PixelOfColor(const PixelView& view, COLORREF color);
void BuildRamp(const PixelView& view, COLORREF background, COLORREF text, CoverageRamp* ramp);
// The ramp for those colours in the view's format, kept from earlier calls when it can be.
// Valid until the next call.
const CoverageRamp& RampFor(const PixelView& view, COLORREF background, COLORREF text);

// Fills the rectangle [left, right) x [top, bottom), clipped to the view.
void FillBox(const PixelView& view, int64_t left, int64_t top, int64_t right, int64_t bottom,
             uint32_t pixel);

// Lays coverage with its top-left corner at (x, y): each inked pixel takes the ramp's
// value for its coverage. Used over an opaque box, where the background is known.
void PaintCoverage(const PixelView& view, int64_t x, int64_t y, const CoverageMap& coverage,
                   const CoverageRamp& ramp);
// Mixes the text colour into whatever the pixels hold, in proportion to the coverage
// (at 8 bits per pixel: the text colour where coverage reaches half).
void BlendCoverage(const PixelView& view, int64_t x, int64_t y, const CoverageMap& coverage,
                   COLORREF text);

}  // namespace vantor::platform
