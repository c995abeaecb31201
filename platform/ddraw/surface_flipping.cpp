// Surfaces: the flipping chain of a primary surface and its back buffers, and Flip, which
// moves the chain's memory one step toward the front and shows the new front.
#include "ddraw/directdraw_object.h"
#include "ddraw/surface_object.h"
#include "pixel_view.h"
#include "present/presenter.h"

namespace vantor::platform {

void DdSurface::AttachBackBuffers(std::vector<DdSurface*> backBuffers) {
    backBuffers_ = std::move(backBuffers);
    for (DdSurface* back : backBuffers_) back->chainFront_ = this;
}

// The chain is a ring: front, first back buffer, ..., last back buffer, front again.
DdSurface* DdSurface::NextInChain() const {
    if (!chainFront_) return backBuffers_.empty() ? nullptr : backBuffers_.front();
    const std::vector<DdSurface*>& ring = chainFront_->backBuffers_;
    for (size_t i = 0; i + 1 < ring.size(); ++i)
        if (ring[i] == this) return ring[i + 1];
    return chainFront_;
}

HRESULT DdSurface::GetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached) {
    CallTicket call = BeginCall("GetAttachedSurface", this, [&] {
        return caps ? Format("caps=%#x", caps->dwCaps) : std::string("caps=null");
    });
    return RunCall(call, released_, [&] { return DoGetAttachedSurface(caps, attached); });
}

HRESULT DdSurface::DoGetAttachedSurface(LPDDSCAPS caps, LPDIRECTDRAWSURFACE* attached) {
    if (!caps || !attached) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    DdSurface* next = NextInChain();
    if (!next || (next->caps_ & caps->dwCaps) != caps->dwCaps) return DDERR_NOTFOUND;
    ++next->refs_;
    *attached = next;
    return DD_OK;
}

HRESULT DdSurface::Flip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags) {
    CallTicket call = BeginCall("Flip", this, [&] {
        return (targetOverride ? "override=" + PointerText(targetOverride) + " " : std::string()) +
               Format("flags=%#x", flags);
    });
    return RunCall(call, released_, [&] { return DoFlip(targetOverride, flags); });
}

// Flipping exchanges memory: the interfaces stay put and the blocks behind them move one
// step toward the front, so the back buffer then holds the frame that was on screen.
HRESULT DdSurface::DoFlip(LPDIRECTDRAWSURFACE targetOverride, DWORD flags) {
    if (backBuffers_.empty()) return DDERR_NOTFLIPPABLE;
    DdSurface* target = targetOverride ? FindSurface(targetOverride) : nullptr;
    if (targetOverride && (!target || target->chainFront_ != this)) return DDERR_NOTFLIPPABLE;
    if (!owner_->Exclusive()) return DDERR_NOEXCLUSIVEMODE;
    for (const DdSurface* member : backBuffers_)
        if (member->lost_) return DDERR_SURFACELOST;
    if (lost_) return DDERR_SURFACELOST;
    for (const DdSurface* member : backBuffers_)
        if (member->Busy()) return DDERR_SURFACEBUSY;
    if (Busy()) return DDERR_SURFACEBUSY;
    // Zeroes owed and what fills know belong to the memory, which is about to move.
    Pixels();
    fills_.Forget();
    for (DdSurface* member : backBuffers_) {
        member->Pixels();
        member->fills_.Forget();
    }
    if (target) {
        Trade(memory_, target->memory_);
    } else {
        // Each surface takes the memory of the next in the chain; the last takes the shown one.
        Trade(memory_, backBuffers_.front()->memory_);
        for (size_t i = 0; i + 1 < backBuffers_.size(); ++i)
            Trade(backBuffers_[i]->memory_, backBuffers_[i + 1]->memory_);
    }
    PixelView view;
    if (ViewSurfacePixels(this, &view)) CurrentPresenter().Show(view, flags & DDFLIP_WAIT);
    return DD_OK;
}

}  // namespace vantor::platform
