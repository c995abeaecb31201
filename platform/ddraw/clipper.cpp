// Clippers: a copied list of rectangles that limits what Blt writes, or a window whose
// client area on the desktop may be written.
#include <algorithm>
#include <cstring>

#include "ddraw/clipper_object.h"
#include "ddraw/rects.h"

namespace vantor::platform {
namespace {

// More rectangles than any region a program hands over; a larger count is malformed.
constexpr DWORD kMaxClipRects = 65536;

void AppendIntersections(const std::vector<RECT>& rects, const RECT& limit,
                         std::vector<RECT>* out) {
    for (const RECT& r : rects)
        if (RECT part = Intersection(r, limit); !EmptyRect(part)) out->push_back(part);
}

// A window's clip list: its client area on the desktop, none while it is hidden or gone.
std::vector<RECT> VisibleClientArea(HWND window) {
    const DisplayMode desktop = DesktopMode();
    RECT client;
    std::vector<RECT> rects;
    if (WindowClientOnScreen(window, &client))
        AppendIntersections({client}, RECT{0, 0, desktop.width, desktop.height}, &rects);
    return rects;
}

}  // namespace

HRESULT DdClipper::QueryInterface(REFIID, void** object) {
    return NoOtherInterface(this, released_, object);
}

// The region is copied: the caller may free its record as soon as the call returns.
HRESULT DdClipper::SetClipList(LPRGNDATA clipList, DWORD flags) {
    CallTicket call = BeginCall("SetClipList", this, [&] {
        return clipList ? Format("rects=%u flags=%#x", clipList->rdh.nCount, flags)
                        : Format("list=null flags=%#x", flags);
    });
    return RunCall(call, released_, [&]() -> HRESULT {
        if (flags) return DDERR_INVALIDPARAMS;
        if (window_) return DDERR_CLIPPERISUSINGHWND;
        if (!clipList) {
            hasList_ = false;
            rects_.clear();
            return DD_OK;
        }
        const RGNDATAHEADER& header = clipList->rdh;
        if (header.dwSize != sizeof(RGNDATAHEADER) || header.iType != RDH_RECTANGLES ||
            header.nCount > kMaxClipRects ||
            (header.nRgnSize != 0 && header.nRgnSize < header.nCount * sizeof(RECT)))
            return DDERR_INVALIDCLIPLIST;
        // The buffer is bytes: each rectangle is copied out rather than read in place.
        rects_.clear();
        for (DWORD i = 0; i < header.nCount; ++i) {
            RECT r;
            std::memcpy(&r, clipList->Buffer + i * sizeof(RECT), sizeof r);
            if (!EmptyRect(r)) rects_.push_back(r);
        }
        hasList_ = true;
        return DD_OK;
    });
}

HRESULT DdClipper::GetClipList(LPRECT rect, LPRGNDATA clipList, LPDWORD size) {
    CallTicket call = BeginCall("GetClipList", this, [&] { return "rect=" + FormatRect(rect); });
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!size) return DDERR_INVALIDPARAMS;
        if (!hasList_ && !window_) return DDERR_NOCLIPLIST;
        std::vector<RECT> rects = window_ ? VisibleClientArea(window_) : rects_;
        if (rect) {
            std::vector<RECT> limited;
            AppendIntersections(rects, *rect, &limited);
            rects.swap(limited);
        }
        const DWORD needed = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
        if (!clipList) {
            *size = needed;
            return DD_OK;
        }
        if (*size < needed) return DDERR_INVALIDPARAMS;
        RGNDATAHEADER header = {sizeof(RGNDATAHEADER),
                                RDH_RECTANGLES,
                                DWORD(rects.size()),
                                DWORD(rects.size() * sizeof(RECT)),
                                {0, 0, 0, 0}};
        for (size_t i = 0; i < rects.size(); ++i) {
            const RECT& r = rects[i];
            header.rcBound = i == 0 ? r
                                    : RECT{std::min(header.rcBound.left, r.left),
                                           std::min(header.rcBound.top, r.top),
                                           std::max(header.rcBound.right, r.right),
                                           std::max(header.rcBound.bottom, r.bottom)};
        }
        clipList->rdh = header;
        if (!rects.empty())
            std::memcpy(clipList->Buffer, rects.data(), rects.size() * sizeof(RECT));
        *size = needed;
        return DD_OK;
    });
}

HRESULT DdClipper::SetHWnd(DWORD flags, HWND window) {
    CallTicket call = BeginCall("SetHWnd", this, [&] { return Format("flags=%#x", flags); });
    return RunCall(call, released_, [&]() -> HRESULT {
        if (flags) return DDERR_INVALIDPARAMS;
        window_ = window;
        return DD_OK;
    });
}

HRESULT DdClipper::GetHWnd(HWND* window) {
    CallTicket call = BeginCall("GetHWnd", this);
    return RunCall(call, released_, [&]() -> HRESULT {
        if (!window) return DDERR_INVALIDPARAMS;
        *window = window_;
        return DD_OK;
    });
}

}  // namespace vantor::platform
