#include "font_metrics.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vantor::platform {
namespace {

constexpr double kLargestPixelsPerEm = 512.0;
constexpr LONG kDefaultCellHeight = 16;

LONG Round(double value) { return static_cast<LONG>(std::lround(value)); }

double Bounded(double pixelsPerEm) { return std::clamp(pixelsPerEm, 1.0, kLargestPixelsPerEm); }

}  // namespace

FontScale ScaleFor(const FaceFacts& facts, LONG height, LONG width) {
    const double cellUnits = facts.winAscent + facts.winDescent;
    double yPixelsPerEm;
    if (height < 0)
        yPixelsPerEm = -static_cast<double>(height);
    else
        yPixelsPerEm = static_cast<double>(height == 0 ? kDefaultCellHeight : height) *
                       facts.unitsPerEm / cellUnits;
    yPixelsPerEm = Bounded(yPixelsPerEm);
    double xPixelsPerEm = yPixelsPerEm;
    if (width != 0)
        xPixelsPerEm =
            Bounded(std::abs(static_cast<double>(width)) * facts.unitsPerEm / facts.averageWidth);
    return {yPixelsPerEm, xPixelsPerEm};
}

TEXTMETRICA MetricsAt(const FaceFacts& facts, const FontScale& scale, BYTE charset, LONG weight,
                      bool italic) {
    const double yScale = scale.yPixelsPerEm / facts.unitsPerEm;
    const double xScale = scale.xPixelsPerEm / facts.unitsPerEm;
    TEXTMETRICA metrics{};
    metrics.tmHeight = std::max<LONG>(Round((facts.winAscent + facts.winDescent) * yScale), 1);
    metrics.tmAscent = std::min(Round(facts.winAscent * yScale), metrics.tmHeight);
    metrics.tmDescent = metrics.tmHeight - metrics.tmAscent;
    metrics.tmInternalLeading = std::max<LONG>(metrics.tmHeight - Round(scale.yPixelsPerEm), 0);
    metrics.tmExternalLeading = Round(facts.externalLeading * yScale);
    metrics.tmAveCharWidth = std::max<LONG>(Round(facts.averageWidth * xScale), 1);
    metrics.tmMaxCharWidth =
        std::max<LONG>(Round(facts.maxAdvance * xScale), metrics.tmAveCharWidth);
    metrics.tmWeight = weight;
    metrics.tmDigitizedAspectX = 96;
    metrics.tmDigitizedAspectY = 96;
    metrics.tmFirstChar = facts.symbol ? 0x20 : 0x1E;
    metrics.tmLastChar = 0xFF;
    metrics.tmDefaultChar = 0x1F;
    metrics.tmBreakChar = 0x20;
    metrics.tmItalic = italic ? 0xFF : 0;
    // TMPF_FIXED_PITCH set means the opposite of its name: a variable-pitch face.
    metrics.tmPitchAndFamily =
        facts.family | TMPF_VECTOR | TMPF_TRUETYPE | (facts.fixedPitch ? 0 : TMPF_FIXED_PITCH);
    metrics.tmCharSet = charset;
    return metrics;
}

}  // namespace vantor::platform
