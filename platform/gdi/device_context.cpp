// Device contexts over DirectDraw surfaces and the object handles of GDI: stock objects,
// selection, deletion and the colour and mode attributes a context carries.
#include <memory>
#include <unordered_map>
#include <utility>

#include "call_trace.h"
#include "gdi_objects.h"
#include "font_cache.h"
#include "font_counters.h"
#include "modules.h"

namespace vantor::platform {
namespace {

LOGFONTA StockFontRecord(LONG height, LONG weight, const char* face) {
    LOGFONTA record{};
    record.lfHeight = height;
    record.lfWeight = weight;
    record.lfCharSet = ANSI_CHARSET;
    for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) record.lfFaceName[i] = face[i];
    return record;
}

// The stock objects GetStockObject hands out; never freed, never deleted.
struct StockObjects {
    BrushObject whiteBrush{{GdiKind::Brush, true}, 0xFFFFFF};
    BrushObject blackBrush{{GdiKind::Brush, true}, 0x000000};
    // The default font of a new context: a bold sans face with a 16-pixel cell, standing in
    // for the raster System font. "System" names no face here, so matching falls back to the
    // default sans face at that weight.
    FontObject systemFont{{GdiKind::Font, true}, StockFontRecord(16, FW_BOLD, "System")};
    FontObject guiFont{{GdiKind::Font, true}, StockFontRecord(-11, FW_NORMAL, "MS Shell Dlg")};
};

StockObjects& Stock() {
    static StockObjects* stock = new StockObjects;
    return *stock;
}

struct GdiTables {
    std::unordered_map<const void*, std::unique_ptr<DeviceContext>> contexts;
    std::unordered_map<const void*, std::unique_ptr<FontObject>> fonts;
};

// Never destroyed: the static device's destructor may still release contexts at exit.
GdiTables& Tables() {
    static GdiTables* tables = new GdiTables;
    return *tables;
}

GdiObject* FindObject(HGDIOBJ object) {
    if (!object) return nullptr;
    StockObjects& stock = Stock();
    for (GdiObject* candidate :
         {static_cast<GdiObject*>(&stock.whiteBrush), static_cast<GdiObject*>(&stock.blackBrush),
          static_cast<GdiObject*>(&stock.systemFont), static_cast<GdiObject*>(&stock.guiFont)})
        if (candidate == object) return candidate;
    auto font = Tables().fonts.find(object);
    return font == Tables().fonts.end() ? nullptr : font->second.get();
}

void DeselectFont(DeviceContext& context) {
    if (context.font) --context.font->selections;
    context.font = nullptr;
}

HGDIOBJ SelectInto(DeviceContext& context, GdiObject& object) {
    if (object.kind == GdiKind::Brush) {
        BrushObject* previous = context.brush;
        context.brush = static_cast<BrushObject*>(&object);
        return previous;
    }
    FontObject* previous = context.font;
    DeselectFont(context);
    context.font = static_cast<FontObject*>(&object);
    ++context.font->selections;
    return previous;
}

}  // namespace

DeviceContext* FindDC(HDC dc) {
    auto found = Tables().contexts.find(dc);
    return found == Tables().contexts.end() ? nullptr : found->second.get();
}

FontObject* FindFont(HGDIOBJ object) {
    GdiObject* found = FindObject(object);
    return found && found->kind == GdiKind::Font ? static_cast<FontObject*>(found) : nullptr;
}

HDC CreateSurfaceDC(IDirectDrawSurface* surface) {
    if (!surface) return nullptr;
    auto context = std::make_unique<DeviceContext>();
    context->surface = surface;
    context->font = &Stock().systemFont;
    ++context->font->selections;
    context->brush = &Stock().whiteBrush;
    HDC handle = reinterpret_cast<HDC>(context.get());
    Tables().contexts.emplace(handle, std::move(context));
    return handle;
}

void DeleteSurfaceDC(HDC dc) {
    auto found = Tables().contexts.find(dc);
    if (found == Tables().contexts.end()) return;
    DeselectFont(*found->second);
    Tables().contexts.erase(found);
}

namespace {

// Sets one attribute of a context and hands back the value it replaces. A value that reads
// as the call's failure is logged as one: the caller cannot tell them apart.
template <typename Value>
Value ExchangeAttribute(const CallTicket& ticket, HDC dc, Value DeviceContext::*field, Value value,
                        Value failure) {
    return RunCall(ticket, failure, LastError::Untouched, [&]() -> Ending<Value> {
        DeviceContext* context = FindDC(dc);
        if (!context) return Refused();
        const Value previous = std::exchange(context->*field, value);
        if (previous == failure) return Refused();
        return previous;
    });
}

}  // namespace

int GdiLiveObjects() { return static_cast<int>(Tables().contexts.size() + Tables().fonts.size()); }

void ResetGdi() {
    Tables().contexts.clear();
    Tables().fonts.clear();
    Stock().systemFont.selections = 0;
    Stock().guiFont.selections = 0;
    ForgetRealizedFonts();
    ResetFontCounters();
}

}  // namespace vantor::platform

using namespace vantor::platform;

HGDIOBJ WINAPI GetStockObject(int object) {
    CallTicket ticket =
        BeginCall("GetStockObject", nullptr, [&] { return Format("object=%d", object); });
    return RunCall(ticket, HGDIOBJ(nullptr), LastError::Untouched, [&]() -> Ending<HGDIOBJ> {
        switch (object) {
            case WHITE_BRUSH: return &Stock().whiteBrush;
            case BLACK_BRUSH: return &Stock().blackBrush;
            case SYSTEM_FONT: return &Stock().systemFont;
            case DEFAULT_GUI_FONT: return &Stock().guiFont;
            default: return Refused();
        }
    });
}

// Only records the description: the face is matched when text is drawn or measured.
HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font) {
    CallTicket ticket = BeginCall("CreateFontIndirectA", nullptr, [&] {
        if (!font) return std::string("null");
        return Format("face=\"%.*s\" height=%d width=%d weight=%d charset=%u", LF_FACESIZE,
                      font->lfFaceName, font->lfHeight, font->lfWidth, font->lfWeight,
                      font->lfCharSet);
    });
    return RunCall(ticket, HFONT(nullptr), LastError::Untouched, [&]() -> Ending<HFONT> {
        if (!font) return Refused();
        auto made = std::make_unique<FontObject>();
        made->kind = GdiKind::Font;
        made->stock = false;
        made->logFont = *font;
        HFONT handle = reinterpret_cast<HFONT>(made.get());
        Tables().fonts.emplace(made.get(), std::move(made));
        return handle;
    });
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
    CallTicket ticket = BeginCall("SelectObject", dc, [&] { return Format("object=%p", object); });
    return RunCall(ticket, HGDIOBJ(nullptr), LastError::Untouched, [&]() -> Ending<HGDIOBJ> {
        DeviceContext* context = FindDC(dc);
        GdiObject* found = FindObject(object);
        if (!context || !found) return Refused();
        return SelectInto(*context, *found);
    });
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
    CallTicket ticket =
        BeginCall("DeleteObject", nullptr, [&] { return Format("object=%p", object); });
    return RunCall(ticket, FALSE, LastError::Untouched, [&]() -> Ending<BOOL> {
        GdiObject* found = FindObject(object);
        if (!found) return Refused();
        if (found->stock) return TRUE;  // stock objects stay
        // Only fonts are created here; one still selected into a context must stay.
        if (static_cast<FontObject*>(found)->selections != 0) return Refused();
        Tables().fonts.erase(static_cast<FontObject*>(found));
        return TRUE;
    });
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
    CallTicket ticket =
        BeginCall("SetTextColor", dc, [&] { return Format("color=0x%06X", color); });
    return ExchangeAttribute(ticket, dc, &DeviceContext::textColor, color, CLR_INVALID);
}

COLORREF WINAPI SetBkColor(HDC dc, COLORREF color) {
    CallTicket ticket = BeginCall("SetBkColor", dc, [&] { return Format("color=0x%06X", color); });
    return ExchangeAttribute(ticket, dc, &DeviceContext::backgroundColor, color, CLR_INVALID);
}

int WINAPI SetBkMode(HDC dc, int mode) {
    CallTicket ticket = BeginCall("SetBkMode", dc, [&] { return Format("mode=%d", mode); });
    return RunCall(ticket, 0, LastError::Untouched, [&]() -> Ending<int> {
        DeviceContext* context = FindDC(dc);
        if (!context || (mode != OPAQUE && mode != TRANSPARENT)) return Refused();
        return std::exchange(context->backgroundMode, mode);
    });
}

int WINAPI GetBkMode(HDC dc) {
    CallTicket ticket = BeginCall("GetBkMode", dc);
    return RunCall(ticket, 0, LastError::Untouched, [&]() -> Ending<int> {
        DeviceContext* context = FindDC(dc);
        if (!context) return Refused();
        return context->backgroundMode;
    });
}

// Only the default alignment is drawn; the value is kept so that it reads back.
UINT WINAPI SetTextAlign(HDC dc, UINT align) {
    CallTicket ticket = BeginCall("SetTextAlign", dc, [&] { return Format("align=0x%X", align); });
    return ExchangeAttribute(ticket, dc, &DeviceContext::textAlign, align,
                             static_cast<UINT>(GDI_ERROR));
}
