// A clipper: a list of rectangles, or a window, that limits what Blt writes (clipper.cpp).
// Released clippers and stale pointers to them: released_shells.h.
//
// Call log details:
//   SetClipList          "rects=1 flags=0" | "list=null flags=0"
//   GetClipList          "rect=(l,t,r,b)"
//   SetHWnd              "flags=0"
#pragma once

#include <vector>

#include "ddraw/ddraw_state.h"
#include "ddraw/owned_child.h"
#include "ddraw/rects.h"
#include "modules.h"

namespace vantor::platform {

class DdClipper final : public IDirectDrawClipper, public OwnedChild<DdClipper> {
public:
    explicit DdClipper(DirectDrawObject* owner) : OwnedChild(owner) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return ProgramAddRef(); }
    ULONG Release() override { return ProgramRelease(); }
    HRESULT GetClipList(LPRECT rect, LPRGNDATA clipList, LPDWORD size) override;
    HRESULT GetHWnd(HWND* window) override;
    HRESULT SetClipList(LPRGNDATA clipList, DWORD flags) override;
    HRESULT SetHWnd(DWORD flags, HWND window) override;

    // Whether a blit through the clipper can go ahead: it has a clip list or a window.
    bool HasClipList() const { return hasList_ || window_; }
    // Calls visit(rect) for each rectangle a blit may write inside the surface: the parts
    // of the clip list inside it. A clipper bound to a window clips to the window's client
    // area in screen coordinates, wherever the window is now; nothing while it is hidden
    // or gone.
    template <typename Visit>
    void ForEachClipRect(const RECT& surfaceBounds, Visit&& visit) const {
        if (window_) {
            RECT client;
            if (!WindowClientOnScreen(window_, &client)) return;
            if (RECT part = Intersection(client, surfaceBounds); !EmptyRect(part)) visit(part);
            return;
        }
        for (const RECT& r : rects_)
            if (RECT part = Intersection(r, surfaceBounds); !EmptyRect(part)) visit(part);
    }
    // The list's storage stays with the shell for its next life.
    void FreeContents() {
        hasList_ = false;
        window_ = nullptr;
        rects_.clear();
    }

private:
    bool hasList_ = false;
    HWND window_ = nullptr;
    std::vector<RECT> rects_;
};

}  // namespace vantor::platform
