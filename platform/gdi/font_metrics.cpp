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

double CellUnits(const FaceFacts& facts) { return facts.winAscent + facts.winDescent; }

// Design units scaled by a whole cell height, rounded.
LONG ByCell(LONG cellHeight, int units, const FaceFacts& facts) {
    return Round(double(cellHeight) * units / CellUnits(facts));
}

// The fields that do not depend on how the cell is rounded.
TEXTMETRICA FaceMetrics(const FaceFacts& facts, double xScale, BYTE charset, LONG weight,
                        bool italic) {
    TEXTMETRICA metrics{};
    metrics.tmAveCharWidth = std::max<LONG>(Round(facts.averageWidth * xScale), 1);
    // The widest character as the platform reports it: the face's bounding box, which
    // reaches past any one advance (accents, swashes), not the widest advance.
    metrics.tmMaxCharWidth = std::max<LONG>(Round(facts.boxWidth * xScale), metrics.tmAveCharWidth);
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

// Both leadings are rounded from design units, not taken from the rounded cell.
void SetLeading(const FaceFacts& facts, double yPixelsPerEm, TEXTMETRICA* metrics) {
    const double yScale = yPixelsPerEm / facts.unitsPerEm;
    metrics->tmInternalLeading = std::clamp<LONG>(
        Round((CellUnits(facts) - facts.unitsPerEm) * yScale), 0, metrics->tmHeight);
    metrics->tmExternalLeading = Round(facts.externalLeading * yScale);
}

}  // namespace

FontScale ScaleFor(const FaceFacts& facts, LONG height, LONG width) {
    double yPixelsPerEm;
    if (height < 0)
        yPixelsPerEm = -static_cast<double>(height);
    else
        yPixelsPerEm = static_cast<double>(
            Round(static_cast<double>(height == 0 ? kDefaultCellHeight : height) *
                  facts.unitsPerEm / CellUnits(facts)));
    yPixelsPerEm = Bounded(yPixelsPerEm);
    double xPixelsPerEm = yPixelsPerEm;
    if (width != 0) {
        // Stretched so that the average character, as wide as the em makes it, becomes width.
        const double naturalWidth =
            std::max<double>(Round(facts.averageWidth * yPixelsPerEm / facts.unitsPerEm), 1);
        xPixelsPerEm = Bounded(yPixelsPerEm * std::abs(static_cast<double>(width)) / naturalWidth);
    }
    return {yPixelsPerEm, xPixelsPerEm};
}

TEXTMETRICA MetricsAt(const FaceFacts& facts, const FontScale& scale, BYTE charset, LONG weight,
                      bool italic) {
    const double yScale = scale.yPixelsPerEm / facts.unitsPerEm;
    TEXTMETRICA metrics =
        FaceMetrics(facts, scale.xPixelsPerEm / facts.unitsPerEm, charset, weight, italic);
    metrics.tmAscent = Round(facts.winAscent * yScale);
    metrics.tmDescent = Round(facts.winDescent * yScale);
    // A cell that rounds away to nothing is one pixel, above the baseline: the height is
    // always the ascent and the descent together.
    if (metrics.tmAscent + metrics.tmDescent < 1) metrics.tmAscent = 1 - metrics.tmDescent;
    metrics.tmHeight = metrics.tmAscent + metrics.tmDescent;
    SetLeading(facts, scale.yPixelsPerEm, &metrics);
    return metrics;
}

TEXTMETRICA EnumeratedMetrics(const FaceFacts& facts, BYTE charset) {
    const double yScale = kEnumerationPixelsPerEm / facts.unitsPerEm;
    TEXTMETRICA metrics = FaceMetrics(facts, yScale, charset, facts.weight, facts.italic);
    metrics.tmHeight = std::max<LONG>(Round(CellUnits(facts) * yScale), 1);
    metrics.tmAscent = std::min(Round(facts.winAscent * yScale), metrics.tmHeight);
    metrics.tmDescent = metrics.tmHeight - metrics.tmAscent;
    // Both widths scaled by the listed cell, as MulDiv(cell, width, cell units).
    metrics.tmAveCharWidth = std::max<LONG>(ByCell(metrics.tmHeight, facts.averageWidth, facts), 1);
    metrics.tmMaxCharWidth =
        std::max(ByCell(metrics.tmHeight, facts.boxWidth, facts), metrics.tmAveCharWidth);
    SetLeading(facts, kEnumerationPixelsPerEm, &metrics);
    return metrics;
}

}  // namespace vantor::platform
