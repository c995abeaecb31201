// The memory behind a surface's pixels. Screen-sized blocks share the kernel's huge pages
// where it grants them: a 640 x 480 screen at 16 bits is some 150 small pages, each taken
// with a fault and cleared on first touch, and a full-screen program takes three such
// surfaces at once (primary, back buffer, off-screen buffer) and writes them all. Laid side
// by side in one 2 MB page, the three cost one fault and one clear of 2 MB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace vantor::platform {

// A huge page of the x86-64 and common arm64 kernels. Where the kernel's is another size, or
// it grants none, the regions are simply made of small pages.
inline constexpr size_t kHugePageBytes = size_t(2) << 20;
// Blocks from this size on are laid in huge-page regions, where they take the room left
// beside others (the tool's 4096 x 20 sheet fits beside the three screens); smaller ones come
// from the heap. It is the size from which the C library maps every block fresh anyway.
inline constexpr size_t kHugeBlockThreshold = size_t(128) << 10;

// Regions of whole huge pages, each holding one or more blocks, first fit. A region goes
// back to the heap when its last block does, unless it is the only empty one. Under the
// address sanitizer every byte of a region outside a block is poisoned, and blocks never
// touch, so a write past a block's end is caught as it would be for a block of its own.
class PixelArena {
public:
    PixelArena() = default;
    PixelArena(const PixelArena&) = delete;
    PixelArena& operator=(const PixelArena&) = delete;
    ~PixelArena();

    // Null when the memory cannot be had. Not cleared.
    uint8_t* Allocate(size_t bytes);
    // Gives back a block taken from this arena with that size; false, and nothing given
    // back, when the arena holds no such block.
    bool Free(uint8_t* block, size_t bytes);
    // Whether the address lies in one of the arena's regions.
    bool Holds(const uint8_t* address);

private:
    struct Block {
        size_t offset;
        size_t bytes;
    };
    struct Region {
        uint8_t* base;
        size_t size;
        std::vector<Block> blocks;  // by offset
    };
    using Regions = std::vector<Region>;
    static uint8_t* Place(Region& region, size_t bytes);
    Regions::iterator RegionOf(const uint8_t* address);  // under the lock

    std::mutex mutex_;
    Regions regions_;
};

// The process's surface memory: small blocks from the heap, large ones from its arena.
// Null when the memory cannot be had. Not cleared: a surface owes its zeroes until used.
uint8_t* AllocatePixels(size_t bytes);
// Gives back a block with the size it was asked for, which says which of the two it came
// from; giving it back with any other size breaks a rule.
void FreePixels(uint8_t* pixels, size_t bytes);

}  // namespace vantor::platform
