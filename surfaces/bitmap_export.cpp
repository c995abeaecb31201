// Export of the render target as an uncompressed 24-bit bitmap file, bottom row first.
// The file is written beside its target under a temporary name and renamed over it only
// when every byte is out, so a failed export never leaves half a file or loses the old one.
#include <cstring>
#include <vector>

#include "surfaces/bitmap_header.h"
#include "surfaces/replacing_file.h"
#include "surfaces/surface.h"
#include "surfaces/zero_pixels.h"

namespace {

// Packed blue | green << 8 | red << 16 for each value of each byte of a pixel. Outside
// palette modes a pixel's colour depends on its bits one by one, so the colour of a
// whole pixel is the OR of the colours of its bytes taken alone.
struct ByteColours {
    uint32_t byByte[4][256];
};

void BuildByteColours(const DisplayDevice& device, int bytesPerPixel, ByteColours& colours) {
    for (int position = 0; position < bytesPerPixel; ++position) {
        for (uint32_t value = 0; value < 256; ++value) {
            uint8_t red = 0, green = 0, blue = 0;
            device.PixelToRgb(value << (8 * position), red, green, blue);
            colours.byByte[position][value] = blue | uint32_t{green} << 8 | uint32_t{red} << 16;
        }
    }
}

template <int BytesPerPixel>
uint32_t ColourOf(const uint8_t* pixel, const ByteColours& colours) {
    uint32_t bgr = colours.byByte[0][pixel[0]];
    if constexpr (BytesPerPixel > 1) bgr |= colours.byByte[1][pixel[1]];
    if constexpr (BytesPerPixel > 2) bgr |= colours.byByte[2][pixel[2]];
    if constexpr (BytesPerPixel > 3) bgr |= colours.byByte[3][pixel[3]];
    return bgr;
}

// Converts one row of pixels (little-endian in memory, as on every host of the platform)
// to blue, green, red bytes, eight pixels at a time where they are all zero. Each pixel but
// the last is stored as four bytes, the fourth overwritten by the next pixel: one store
// instead of three.
template <int BytesPerPixel>
void ConvertRow(const uint8_t* pixel, int32_t width, const ByteColours& colours, uint8_t* out) {
    if (width <= 0) return;
    constexpr int32_t kGroup = 8;
    const uint8_t zeroPixel[BytesPerPixel] = {};
    const uint32_t zeroBgr = ColourOf<BytesPerPixel>(zeroPixel, colours);
    const auto store = [&out](uint32_t bgr) {
        std::memcpy(out, &bgr, sizeof bgr);
        out += 3;
    };
    const int32_t stored = width - 1;  // the pixels stored as four bytes
    int32_t x = 0;
    for (; x + kGroup <= stored; x += kGroup, pixel += kGroup * BytesPerPixel) {
        if (EightZeroPixels<BytesPerPixel>(pixel)) {
            for (int32_t k = 0; k < kGroup; ++k) store(zeroBgr);
            continue;
        }
        for (int32_t k = 0; k < kGroup; ++k)
            store(ColourOf<BytesPerPixel>(pixel + k * BytesPerPixel, colours));
    }
    for (; x < stored; ++x, pixel += BytesPerPixel) store(ColourOf<BytesPerPixel>(pixel, colours));
    const uint32_t bgr = ColourOf<BytesPerPixel>(pixel, colours);
    out[0] = static_cast<uint8_t>(bgr);
    out[1] = static_cast<uint8_t>(bgr >> 8);
    out[2] = static_cast<uint8_t>(bgr >> 16);
}

using RowConverter = void (*)(const uint8_t*, int32_t, const ByteColours&, uint8_t*);

RowConverter ConverterFor(int bytesPerPixel) {
    switch (bytesPerPixel) {
        case 1: return ConvertRow<1>;
        case 2: return ConvertRow<2>;
        case 3: return ConvertRow<3>;
        case 4: return ConvertRow<4>;
        default: return nullptr;
    }
}

// The locked pixels of the render target and how to step through them.
struct TargetImage {
    const uint8_t* pixels;
    int32_t width;
    int32_t height;
    int64_t pitch;
    int bytesPerPixel;
};

bool WriteBitmap(ReplacingFile& file, const TargetImage& image, const ByteColours& colours) {
    BitmapHeaderBytes header = BuildBitmapHeader(image.width, image.height);
    if (!file.Write(header.data(), header.size())) return false;
    RowConverter convert = ConverterFor(image.bytesPerPixel);
    // Zero-filled once: the padding after the pixel bytes stays zero in every row.
    std::vector<uint8_t> row(static_cast<size_t>(BitmapRowLength(image.width)), 0);
    for (int32_t r = image.height - 1; r >= 0; --r) {
        convert(image.pixels + r * image.pitch, image.width, colours, row.data());
        if (!file.Write(row.data(), row.size())) return false;
    }
    return true;
}

}  // namespace

int32_t DisplayDevice::SaveBitmap(const char* path) {
    int bytesPerPixel = bitsPerPixel / 8;
    if (path == nullptr || *path == '\0' || renderTarget == nullptr ||
        ConverterFor(bytesPerPixel) == nullptr)
        return 0;
    if (targetWidth < 0 || targetHeight < 0) return 0;
    // The header holds the image size in 32 bits, and each row must lie within its pitch.
    if (BitmapRowLength(targetWidth) * targetHeight > int64_t{UINT32_MAX}) return 0;
    if (targetHeight > 0 && targetPitch < int64_t{targetWidth} * bytesPerPixel) return 0;

    ByteColours colours;
    BuildByteColours(*this, bytesPerPixel, colours);
    uint8_t* pixels = LockTarget(1);
    if (pixels == nullptr) return 0;
    ReplacingFile file(path);
    TargetImage image{pixels, targetWidth, targetHeight, targetPitch, bytesPerPixel};
    bool written = file.IsOpen() && WriteBitmap(file, image, colours);
    UnlockTarget();
    return written && file.Commit() ? 1 : 0;
}
