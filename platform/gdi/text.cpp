// Text output and measurement on a device context: bytes through the code page of the
// selected font's character set, glyphs from the font cache, painted into the surface.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "call_trace.h"
#include "font_cache.h"
#include "font_config.h"
#include "gdi_objects.h"
#include "text_paint.h"

namespace vantor::platform {
namespace {

// The text as the call log shows it: quoted, with bytes outside printable ASCII escaped.
std::string DescribeText(LPCSTR text, int length) {
    if (!text) return "null";
    std::string shown = "\"";
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\')
            shown += static_cast<char>(c);
        else
            shown += Format("\\x%02X", c);
    }
    return shown + '"';
}

bool ValidText(LPCSTR text, int length) { return length >= 0 && (text || length == 0); }

RealizedFont* SelectedFont(const DeviceContext* context) {
    return context ? RealizeFont(context->font->logFont) : nullptr;
}

int64_t AdvanceSum(RealizedFont& font, LPCSTR text, int length) {
    int64_t sum = 0;
    for (int i = 0; i < length; ++i) sum += font.AdvanceOfByte(static_cast<uint8_t>(text[i]));
    return sum;
}

// The box a run may write: its opaque box and every glyph's coverage, held to a RECT's range.
RECT RunBox(const DeviceContext& context, RealizedFont& font, int x, int y, LPCSTR text,
            int length) {
    const TEXTMETRICA& metrics = font.Metrics();
    int64_t left = x, top = y, right = x, bottom = y;
    auto include = [&](int64_t l, int64_t t, int64_t r, int64_t b) {
        left = std::min(left, l), top = std::min(top, t), right = std::max(right, r),
        bottom = std::max(bottom, b);
    };
    int64_t pen = x;
    const int64_t baseline = static_cast<int64_t>(y) + metrics.tmAscent;
    for (int i = 0; i < length; ++i) {
        const Glyph& glyph = font.GlyphOfByte(static_cast<uint8_t>(text[i]));
        include(pen + glyph.left, baseline - glyph.top, pen + glyph.left + glyph.width,
                baseline - glyph.top + glyph.height);
        pen += glyph.advance;
    }
    // After the glyphs, whose advances are then known: the run's width loads no outline.
    if (context.backgroundMode == OPAQUE) include(x, y, pen, int64_t(y) + metrics.tmHeight);
    auto held = [](int64_t value) {
        return LONG(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    };
    return RECT{held(left), held(top), held(right), held(bottom)};
}

// Lays a glyph's coverage with its top-left corner at (x, y). A glyph too large to keep is
// rasterised now, only the part that lands in the view.
void DrawGlyph(const DeviceContext& context, const PixelView& view, RealizedFont& font,
               uint8_t byte, int64_t x, int64_t y, const CoverageRamp* ramp) {
    const Glyph& glyph = font.GlyphOfByte(byte);
    CoverageMap map{glyph.coverage.data(), glyph.width, glyph.height};
    std::vector<uint8_t> part;
    if (glyph.rasterisedInPlace) {
        const Span visible = ClipToView(view, x, y, glyph.width, glyph.height);
        if (visible.Empty()) return;
        const int width = visible.column1 - visible.column0, height = visible.row1 - visible.row0;
        part = font.RasterisePart(byte, visible.column0, visible.row0, width, height);
        map = {part.data(), width, height};
        x += visible.column0;
        y += visible.row0;
    }
    if (ramp)
        PaintCoverage(view, x, y, map, *ramp);
    else
        BlendCoverage(view, x, y, map, context.textColor);
}

void DrawRun(const DeviceContext& context, const PixelView& view, RealizedFont& font, int x, int y,
             LPCSTR text, int length) {
    const TEXTMETRICA& metrics = font.Metrics();
    const bool opaque = context.backgroundMode == OPAQUE;
    const CoverageRamp* ramp = nullptr;
    if (opaque) {
        int64_t width = AdvanceSum(font, text, length);
        FillBox(view, x, y, x + width, static_cast<int64_t>(y) + metrics.tmHeight,
                PixelOfColor(view, context.backgroundColor));
        ramp = &RampFor(view, context.backgroundColor, context.textColor);
    }
    // TA_TOP | TA_LEFT: (x, y) is the top-left corner of the cell; the baseline lies an
    // ascent below it.
    int64_t pen = x;
    const int64_t baseline = static_cast<int64_t>(y) + metrics.tmAscent;
    for (int i = 0; i < length; ++i) {
        const uint8_t byte = static_cast<uint8_t>(text[i]);
        const Glyph& glyph = font.GlyphOfByte(byte);
        DrawGlyph(context, view, font, byte, pen + glyph.left, baseline - glyph.top, ramp);
        pen += glyph.advance;
    }
}

}  // namespace
}  // namespace vantor::platform

using namespace vantor::platform;

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
    CallTicket ticket = BeginCall("TextOutA", dc, [&] {
        return Format("x=%d y=%d length=%d text=", x, y, length) +
               DescribeText(text, std::max(length, 0));
    });
    return RunCall(ticket, FALSE, LastError::Untouched, [&]() -> Ending<BOOL> {
        const DeviceContext* context = FindDC(dc);
        RealizedFont* font = ValidText(text, length) ? SelectedFont(context) : nullptr;
        if (!font) return Refused();
        PixelView view{};
        // A context whose surface has gone draws nothing.
        if (!ViewSurfaceBox(context->surface, RunBox(*context, *font, x, y, text, length), &view))
            return Refused();
        DrawRun(*context, view, *font, x, y, text, length);
        return TRUE;
    });
}

BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
    CallTicket ticket = BeginCall("GetTextExtentPoint32A", dc, [&] {
        return Format("length=%d text=", length) + DescribeText(text, std::max(length, 0));
    });
    return RunCall(ticket, FALSE, LastError::Untouched, [&]() -> Ending<BOOL> {
        RealizedFont* font = ValidText(text, length) && size ? SelectedFont(FindDC(dc)) : nullptr;
        if (!font) return Refused();
        int64_t width = AdvanceSum(*font, text, length);
        size->cx = static_cast<LONG>(std::min<int64_t>(width, INT32_MAX));
        size->cy = font->Metrics().tmHeight;
        return TRUE;
    });
}

BOOL WINAPI GetTextMetricsA(HDC dc, TEXTMETRICA* metrics) {
    CallTicket ticket = BeginCall("GetTextMetricsA", dc);
    return RunCall(ticket, FALSE, LastError::Untouched, [&]() -> Ending<BOOL> {
        RealizedFont* font = metrics ? SelectedFont(FindDC(dc)) : nullptr;
        if (!font) return Refused();
        *metrics = font->Metrics();
        return TRUE;
    });
}

// With a buffer: the bytes copied, not counting the terminating zero; without one: the
// size a buffer needs, counting it.
int WINAPI GetTextFaceA(HDC dc, int count, LPSTR face) {
    CallTicket ticket = BeginCall("GetTextFaceA", dc, [&] { return Format("count=%d", count); });
    return RunCall(ticket, 0, LastError::Untouched, [&]() -> Ending<int> {
        RealizedFont* font = face == nullptr || count > 0 ? SelectedFont(FindDC(dc)) : nullptr;
        if (!font) return Refused();
        const std::string& name = font->Family();
        if (!face) return static_cast<int>(name.size()) + 1;
        size_t length = FittingLength(name, static_cast<size_t>(count) - 1);
        std::memcpy(face, name.data(), length);
        face[length] = 0;
        return static_cast<int>(length);
    });
}
