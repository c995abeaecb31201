#include "support/fenced_rows.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <new>

namespace vantor::testing {

// Each row gets whole pages of its own plus one guard page, laid out as
// [row pages][guard] (the row ends on the guard) or [guard][row pages] (it starts on it).
FencedRows::FencedRows(int32_t width, int32_t height, int bytesPerPixel, FenceSide side)
    : width_(width), height_(height), bytesPerPixel_(bytesPerPixel) {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t rowBytes = size_t(width) * bytesPerPixel;
    const size_t rowPages = (rowBytes + page - 1) / page;
    const size_t stride = (rowPages + 1) * page;
    pitch_ = int32_t(stride);
    mappedBytes_ = stride * size_t(height);
    void* mapped =
        mmap(nullptr, mappedBytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    mapping_ = static_cast<uint8_t*>(mapped);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* slot = mapping_ + stride * y;
        uint8_t* guard = side == FenceSide::AfterRow ? slot + rowPages * page : slot;
        if (mprotect(guard, page, PROT_NONE) != 0) std::abort();
    }
    first_ = side == FenceSide::AfterRow ? mapping_ + rowPages * page - rowBytes : mapping_ + page;
}

FencedRows::~FencedRows() { munmap(mapping_, mappedBytes_); }

uint32_t FencedRows::Get(int32_t x, int32_t y) const {
    const uint8_t* p = first_ + ptrdiff_t(y) * pitch_ + ptrdiff_t(x) * bytesPerPixel_;
    uint32_t value = 0;
    for (int i = 0; i < bytesPerPixel_; ++i) value |= uint32_t(p[i]) << (8 * i);
    return value;
}

void FencedRows::Set(int32_t x, int32_t y, uint32_t value) {
    uint8_t* p = PixelAt(x, y);
    for (int i = 0; i < bytesPerPixel_; ++i) p[i] = uint8_t(value >> (8 * i));
}

}  // namespace vantor::testing
