#include "ddraw/pixel_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace vantor::platform {

uint8_t* AllocatePixels(size_t bytes) {
    if (bytes < kHugeBlockThreshold) return static_cast<uint8_t*>(std::malloc(bytes));
    const size_t rounded = (bytes + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
    void* block = std::aligned_alloc(kHugePageBytes, rounded);
    // Only advice: without it (a kernel without huge pages) the block is as good.
    if (block) madvise(block, rounded, MADV_HUGEPAGE);
    return static_cast<uint8_t*>(block);
}

void FreePixels(uint8_t* pixels) { std::free(pixels); }

}  // namespace vantor::platform
