#include "surfaces/bitmap_header.h"

#include <cstddef>

namespace {

// Writes the fields one by one, little-endian, whatever the host's byte order.
class HeaderWriter {
public:
    explicit HeaderWriter(BitmapHeaderBytes& bytes) : bytes_(bytes) {}

    void U16(uint32_t value) { Put(value, 2); }
    void U32(uint32_t value) { Put(value, 4); }

private:
    void Put(uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes_[position_++] = static_cast<uint8_t>(value >> (8 * i));
    }

    BitmapHeaderBytes& bytes_;
    std::size_t position_ = 0;
};

}  // namespace

int64_t BitmapRowLength(int32_t width) {
    if (width < 0) return 0;
    return (static_cast<int64_t>(width) * 3 + 3) & ~int64_t{3};
}

BitmapHeaderBytes BuildBitmapHeader(int32_t width, int32_t height) {
    BitmapHeaderBytes bytes{};
    HeaderWriter out(bytes);
    // File header.
    out.U16(0x4D42);  // "BM"
    out.U32(0);       // file size: left 0, readers take the size from the information header
    out.U16(0);
    out.U16(0);
    out.U32(kBitmapHeaderSize);  // pixel rows follow the headers directly
    // Information header.
    out.U32(40);
    out.U32(static_cast<uint32_t>(width));
    out.U32(static_cast<uint32_t>(height));  // positive: bottom row first
    out.U16(1);                              // planes
    out.U16(24);                             // bits per pixel
    out.U32(0);                              // uncompressed
    out.U32(static_cast<uint32_t>(BitmapRowLength(width) * (height > 0 ? height : 0)));
    out.U32(0);          // horizontal resolution
    out.U32(0);          // vertical resolution
    out.U32(0);          // colours used: no colour table
    out.U32(0x2000000);  // "important colours": a fixed mark of our files, ignored at 24 bits
    return bytes;
}
