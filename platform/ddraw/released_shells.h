// How long a released object's shell is kept, and the shells waiting to be made new again.
//
// A released object's memory is never given back (only a surface's pixel memory is freed):
// its shell stays, marked released. A program may keep an interface pointer past the object's
// final Release and call it; the shell behind it must then still be an object of ours,
// answering DDERR_INVALIDOBJECT instead of touching freed memory. Keeping every shell for ever
// does that, but a program that makes and releases objects all the time (a temporary clipper
// per stretched draw, a backdrop surface per blend) would grow without end.
//
// So the shells of surfaces, clippers, palettes and DirectDraw objects are reused, each kind
// from a queue of its own, oldest first, and only once kReleasedShellsKept (64) newer ones of
// that kind have been released after them. For those 64 releases a stale pointer is harmless:
// every call through it answers DDERR_INVALIDOBJECT (AddRef and Release answer 0). After them
// its shell may hold a new object of the same kind, made by any DirectDraw object, and the
// stale pointer reaches that object as its own interface would. A program holds at most its
// live objects plus 64 released shells of each kind.
//
// A surface whose life ends while a device context is still out on it, and the context is not
// deleted with it (the quiet reset between tests), keeps its shell for good and never enters
// the queue: the context still names the surface. Shells are never freed.
//
// The rule: a shell enters the queue once, when its object is released, and is still released
// when it is taken. A shell queued twice, or queued while its object lives, would be handed to
// a new object while an old pointer still reaches it as a live one of its own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>

#include "rule_check.h"

namespace vantor::platform {

constexpr std::size_t kReleasedShellsKept = 64;

inline constexpr char kShellReusedOnce[] =
    "a shell is queued for reuse once, after its object is released";

template <typename Shell>
class ReleasedShells {
public:
    void Admit(Shell* shell) {
        VANTOR_CHECK(
            shell->Released() && std::find(shells_.begin(), shells_.end(), shell) == shells_.end(),
            kShellReusedOnce);
        shells_.push_back(shell);
    }

    // The oldest released shell once kReleasedShellsKept newer ones wait behind it, else null.
    Shell* TakeOldest() {
        if (shells_.size() <= kReleasedShellsKept) return nullptr;
        Shell* oldest = shells_.front();
        shells_.pop_front();
        VANTOR_CHECK(oldest->Released(), kShellReusedOnce);
        return oldest;
    }

private:
    std::deque<Shell*> shells_;
};

}  // namespace vantor::platform
