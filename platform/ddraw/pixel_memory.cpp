#include "ddraw/pixel_memory.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "rule_check.h"

namespace vantor::platform {
namespace {

// Blocks start on a cache line and keep at least this much space after them, so two
// blocks never touch.
constexpr size_t kBlockAlignment = 64;

constexpr char kGivenBackAsTaken[] =
    "a pixel block is given back with the size it was taken with, to the place it came from";

size_t RoundUp(size_t value, size_t unit) { return (value + unit - 1) / unit * unit; }

// The bytes a block holds in its region, its space after it included.
size_t Footprint(size_t bytes) { return RoundUp(bytes + 1, kBlockAlignment); }

}  // namespace

PixelArena::~PixelArena() {
    for (Region& region : regions_) {
        ASAN_UNPOISON_MEMORY_REGION(region.base, region.size);
        std::free(region.base);
    }
}

uint8_t* PixelArena::Place(Region& region, size_t bytes) {
    size_t start = 0;
    auto next = region.blocks.begin();
    for (;; ++next) {
        const size_t end = next == region.blocks.end() ? region.size : next->offset;
        if (end >= start && end - start >= Footprint(bytes)) break;
        if (next == region.blocks.end()) return nullptr;
        start = next->offset + Footprint(next->bytes);
    }
    region.blocks.insert(next, Block{start, bytes});
    ASAN_UNPOISON_MEMORY_REGION(region.base + start, bytes);
    return region.base + start;
}

uint8_t* PixelArena::Allocate(size_t bytes) {
    // Beyond this the rounding below would wrap around.
    if (bytes > SIZE_MAX / 2) return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    for (Region& region : regions_)
        if (uint8_t* block = Place(region, bytes)) return block;
    regions_.reserve(regions_.size() + 1);  // a throw here leaves no region behind
    const size_t size = RoundUp(Footprint(bytes), kHugePageBytes);
    auto* base = static_cast<uint8_t*>(std::aligned_alloc(kHugePageBytes, size));
    if (!base) return nullptr;
    // Only advice: without it (a kernel without huge pages) the region is as good.
    madvise(base, size, MADV_HUGEPAGE);
    ASAN_POISON_MEMORY_REGION(base, size);
    regions_.push_back(Region{base, size, {}});
    return Place(regions_.back(), bytes);
}

PixelArena::Regions::iterator PixelArena::RegionOf(const uint8_t* address) {
    return std::find_if(regions_.begin(), regions_.end(), [address](const Region& r) {
        return address >= r.base && address < r.base + r.size;
    });
}

bool PixelArena::Holds(const uint8_t* address) {
    std::lock_guard<std::mutex> lock(mutex_);
    return RegionOf(address) != regions_.end();
}

bool PixelArena::Free(uint8_t* block, size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto region = RegionOf(block);
    if (region == regions_.end()) return false;
    const size_t offset = static_cast<size_t>(block - region->base);
    auto held = std::find_if(region->blocks.begin(), region->blocks.end(),
                             [offset](const Block& b) { return b.offset == offset; });
    if (held == region->blocks.end() || held->bytes != bytes) return false;
    ASAN_POISON_MEMORY_REGION(block, held->bytes);
    region->blocks.erase(held);
    // One empty region is kept, so a block made and let go again and again (a blend's
    // backdrop) finds its pages ready instead of asking the kernel each time.
    const auto empty = [](const Region& r) { return r.blocks.empty(); };
    if (region->blocks.empty() && std::count_if(regions_.begin(), regions_.end(), empty) > 1) {
        ASAN_UNPOISON_MEMORY_REGION(region->base, region->size);
        std::free(region->base);
        regions_.erase(region);
    }
    return true;
}

namespace {

PixelArena& Arena() {
    static auto* arena = new PixelArena;  // surfaces may still be let go at exit
    return *arena;
}

}  // namespace

uint8_t* AllocatePixels(size_t bytes) {
    if (bytes < kHugeBlockThreshold) return static_cast<uint8_t*>(std::malloc(bytes));
    return Arena().Allocate(bytes);
}

void FreePixels(uint8_t* pixels, size_t bytes) {
    if (bytes < kHugeBlockThreshold) {
        VANTOR_CHECK(!pixels || !Arena().Holds(pixels), kGivenBackAsTaken);
        std::free(pixels);
    } else if (pixels) {
        const bool givenBack = Arena().Free(pixels, bytes);
        VANTOR_CHECK(givenBack, kGivenBackAsTaken);
    }
}

}  // namespace vantor::platform
