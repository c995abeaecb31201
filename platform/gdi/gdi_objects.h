// The GDI objects behind the handles: device contexts over surfaces, fonts and brushes.
// Handles are the objects' addresses, but every handle a caller passes is looked up in
// the table of live objects before it is used, so a stale or made-up handle is refused.
#pragma once

#include "ddraw/surface_contexts.h"
#include "gdi.h"

namespace vantor::platform {

enum class GdiKind { Font, Brush };

struct GdiObject {
    GdiKind kind;
    bool stock;  // stock objects live for the whole process and ignore DeleteObject
};

struct FontObject : GdiObject {
    LOGFONTA logFont;
    int selections = 0;  // device contexts that have this font selected
};

struct BrushObject : GdiObject {
    COLORREF color;
};

struct DeviceContext {
    IDirectDrawSurface* surface;
    COLORREF textColor = 0x000000;
    COLORREF backgroundColor = 0xFFFFFF;
    int backgroundMode = OPAQUE;
    UINT textAlign = TA_TOP | TA_LEFT;
    FontObject* font;
    BrushObject* brush;
};

// The live device context behind a handle, or null.
DeviceContext* FindDC(HDC dc);
// The live font (stock or created) behind a handle, or null.
FontObject* FindFont(HGDIOBJ object);

}  // namespace vantor::platform
