// A surface's pixel memory and the zeroes it owes. A new or restored surface reads as zero,
// but its memory is cleared only when its pixels are first read or handed out: most new
// surfaces are at once covered by a copy, and clearing them first would cost as much as the
// copy. Lazily settled, hence mutable: the surface reads the same before and after.
//
// The rule: owed zeroes are paid before the pixels are read or handed out, and before the
// memory moves to another surface of a flipping chain (the debt belongs to the surface, so
// memory moved unpaid would show another surface's old pixels).
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

#include "rule_check.h"

namespace vantor::platform {

inline constexpr char kZeroesPaidFirst[] =
    "a surface's owed zeroes are paid before its pixels are read, handed out or moved";

class SurfaceMemory {
public:
    SurfaceMemory(uint8_t* block, size_t bytes) : block_(block), bytes_(bytes) {}

    // To read or hand out: the zeroes are paid first.
    uint8_t* Paid() const {
        if (owed_) Pay();
        return block_;
    }
    // For a write about to cover every byte, which makes owed zeroes unnecessary.
    uint8_t* ToBeCovered() {
        owed_ = false;
        return block_;
    }
    // The memory comes back (a restore), not what was in it.
    void OweZeroes() { owed_ = true; }
    // The block, to give back; the memory is gone afterwards.
    uint8_t* TakeBlock() {
        owed_ = false;
        return std::exchange(block_, nullptr);
    }
    // Two surfaces of a flipping chain trade their memory.
    friend void Trade(SurfaceMemory& a, SurfaceMemory& b) {
        VANTOR_CHECK(!a.owed_ && !b.owed_, kZeroesPaidFirst);
        std::swap(a.block_, b.block_);
    }

private:
    void Pay() const;  // apart, so that the blits' paths stay short

    uint8_t* block_;
    size_t bytes_;
    mutable bool owed_ = true;
};

}  // namespace vantor::platform
