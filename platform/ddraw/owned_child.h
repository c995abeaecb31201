// What palettes and clippers share (palette_object.h, clipper_object.h).
// Released objects and stale pointers to them: released_shells.h.
#pragma once

#include "ddraw/ddraw_state.h"
#include "ddraw/directdraw_object.h"

namespace vantor::platform {

// An owner, a reference count and the end of life. The program's AddRef and Release are
// logged; the references surfaces hold are not calls of the program and stay silent.
template <typename Self>
class OwnedChild {
public:
    bool Released() const { return released_; }
    void AddReference() { ++refs_; }
    void DropReference();
    // Ends the object's life whatever its count (its owner is going away).
    void Destroy();
    // Gives a released shell a new life, as a fresh object of the new owner.
    void Revive(DirectDrawObject* owner) {
        owner_ = owner;
        refs_ = 1;
        released_ = false;
    }

protected:
    explicit OwnedChild(DirectDrawObject* owner) : owner_(owner) {}
    const void* Interface() { return static_cast<Self*>(this); }
    ULONG ProgramAddRef() { return LoggedAddRef(Interface(), released_, &refs_); }
    ULONG ProgramRelease();

    DirectDrawObject* owner_;
    ULONG refs_ = 1;
    bool released_ = false;
};

template <typename Self>
void OwnedChild<Self>::DropReference() {
    if (--refs_ == 0) Destroy();
}

template <typename Self>
void OwnedChild<Self>::Destroy() {
    if (released_) return;
    released_ = true;
    refs_ = 0;
    static_cast<Self*>(this)->FreeContents();
    owner_->Forget(static_cast<Self*>(this));
}

template <typename Self>
ULONG OwnedChild<Self>::ProgramRelease() {
    if (!LogRelease(Interface(), released_, refs_)) return 0;
    const ULONG left = refs_ - 1;
    DropReference();
    return left;
}

}  // namespace vantor::platform
