// Released object shells waiting to be made new again.
//
// A program may keep an interface pointer past the object's final Release and call it; the
// shell behind it must then still be an object of ours, answering DDERR_INVALIDOBJECT. Keeping
// every shell for ever does that, but a program that makes and releases objects all the time
// (a temporary clipper per stretched draw, a backdrop surface per blend) would grow without
// end. So shells are reused, oldest first, and only once kReleasedShellsKept newer ones have
// been released after them: a stale pointer stays harmless for that long, and a program holds
// at most its live objects plus that many shells.
#pragma once

#include <cstddef>
#include <deque>

namespace vantor::platform {

constexpr std::size_t kReleasedShellsKept = 64;

template <typename Shell>
class ReleasedShells {
public:
    void Admit(Shell* shell) { shells_.push_back(shell); }

    // The oldest released shell once kReleasedShellsKept newer ones wait behind it, else null.
    Shell* TakeOldest() {
        if (shells_.size() <= kReleasedShellsKept) return nullptr;
        Shell* oldest = shells_.front();
        shells_.pop_front();
        return oldest;
    }

private:
    std::deque<Shell*> shells_;
};

}  // namespace vantor::platform
