#include "support/bitmap_reader.h"

#include <fstream>
#include <iterator>

namespace vantor::testing {
namespace {

uint32_t Le(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[at + i];
    return value;
}

BitmapImage Failed(std::string why) {
    BitmapImage image;
    image.error = std::move(why);
    return image;
}

}  // namespace

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

BitmapImage DecodeBitmap(const std::vector<uint8_t>& bytes) {
    if (bytes.size() < 54) return Failed("shorter than the two headers");
    if (bytes[0] != 'B' || bytes[1] != 'M') return Failed("no BM signature");
    uint32_t pixelsAt = Le(bytes, 10, 4);
    if (Le(bytes, 14, 4) != 40) return Failed("information header is not 40 bytes");
    if (Le(bytes, 26, 2) != 1) return Failed("planes is not 1");
    if (Le(bytes, 28, 2) != 24) return Failed("not 24 bits per pixel");
    if (Le(bytes, 30, 4) != 0) return Failed("compressed");

    BitmapImage image;
    image.width = static_cast<int32_t>(Le(bytes, 18, 4));
    int32_t storedHeight = static_cast<int32_t>(Le(bytes, 22, 4));
    image.height = storedHeight < 0 ? -storedHeight : storedHeight;
    image.fileSizeField = Le(bytes, 2, 4);
    image.imageSizeField = Le(bytes, 34, 4);
    if (image.width < 0) return Failed("negative width");

    size_t rowLength = (static_cast<size_t>(image.width) * 3 + 3) / 4 * 4;
    if (pixelsAt + rowLength * image.height != bytes.size())
        return Failed("file size does not match the rows the headers describe");
    image.rgb.resize(static_cast<size_t>(image.width) * image.height);
    for (int32_t stored = 0; stored < image.height; ++stored) {
        int32_t y = storedHeight > 0 ? image.height - 1 - stored : stored;
        size_t at = pixelsAt + stored * rowLength;
        for (int32_t x = 0; x < image.width; ++x, at += 3)
            image.rgb[static_cast<size_t>(y) * image.width + x] =
                uint32_t{bytes[at + 2]} << 16 | uint32_t{bytes[at + 1]} << 8 | bytes[at];
        for (; at < pixelsAt + (stored + 1) * rowLength; ++at)
            if (bytes[at] != 0) return Failed("nonzero row padding");
    }
    return image;
}

}  // namespace vantor::testing
