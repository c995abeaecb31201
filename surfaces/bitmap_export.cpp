// Export of the render target as an uncompressed 24-bit bitmap file, bottom row first.
// The file is written beside its target under a temporary name and renamed over it only
// when every byte is out, so a failed export never leaves half a file or loses the old one.
#include <cstring>
#include <vector>

#include "surfaces/bitmap_header.h"
#include "surfaces/replacing_file.h"
#include "surfaces/surface.h"
#include "surfaces/pixel_colours.h"

namespace {

// Converts one row of pixels to blue, green, red bytes. Each pixel but the last is stored as
// four bytes, the fourth overwritten by the next pixel: one store instead of three.
template <int BytesPerPixel>
void ConvertRow(const uint8_t* pixel, int32_t width, const ByteColours& colours, uint8_t* out) {
    if (width <= 0) return;
    const int32_t stored = width - 1;
    VisitColours<BytesPerPixel>(pixel, stored, colours,
                                [out](int32_t x, uint32_t bgr, int32_t run) {
                                    for (int32_t k = 0; k < run; ++k)
                                        std::memcpy(out + 3 * (x + k), &bgr, sizeof bgr);
                                });
    const uint32_t bgr = ColourOf<BytesPerPixel>(pixel + stored * BytesPerPixel, colours);
    uint8_t* last = out + 3 * stored;
    last[0] = static_cast<uint8_t>(bgr);
    last[1] = static_cast<uint8_t>(bgr >> 8);
    last[2] = static_cast<uint8_t>(bgr >> 16);
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
