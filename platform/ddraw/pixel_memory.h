// The memory behind a surface's pixels. Screen-sized blocks are laid on the kernel's huge
// pages where it grants them: a 640 x 480 screen at 16 bits is some 150 small pages, each
// taken with a fault and cleared on first touch, and a full-screen program takes three such
// surfaces at once (primary, back buffer, off-screen buffer) and writes them all.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantor::platform {

// A huge page of the x86-64 and common arm64 kernels. Where the kernel's is another size, or
// it grants none, the block is simply made of small pages.
inline constexpr size_t kHugePageBytes = size_t(2) << 20;
// From this size on a block is rounded up to whole huge pages: at most four times the memory
// asked for, in return for a handful of faults instead of hundreds.
inline constexpr size_t kHugeBlockThreshold = kHugePageBytes / 4;

// Null when the memory cannot be had. Not cleared: a surface owes its zeroes until used.
uint8_t* AllocatePixels(size_t bytes);
void FreePixels(uint8_t* pixels);

}  // namespace vantor::platform
