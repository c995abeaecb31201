// The sheet as a PNG: white, each pixel's coverage in its alpha, written by stb's PNG
// writer into a file that replaces the old one only when whole.
#include <vector>

#include "surfaces/replacing_file.h"
#include "tool/fontsheet.h"
#include "tool/sheet_files.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace {

void WriteToFile(void* context, void* data, int size) {
    static_cast<ReplacingFile*>(context)->Write(data, static_cast<size_t>(size));
}

uint32_t ReadPixel(const uint8_t* pixel, int32_t bytesPerPixel) {
    uint32_t value = 0;
    for (int32_t i = 0; i < bytesPerPixel; ++i) value |= uint32_t{pixel[i]} << (8 * i);
    return value;
}

// The glyphs are grey on black: green, the channel with the most bits in 16-bit modes,
// carries the coverage, scaled so that full white is 255.
std::vector<uint8_t> CoverageImage(const uint8_t* pixels) {
    uint8_t red = 0, fullGreen = 0, blue = 0;
    displayDevice.PixelToRgb(((1u << displayDevice.greenBits) - 1) << displayDevice.greenLow, red,
                             fullGreen, blue);
    const uint32_t full = fullGreen != 0 ? fullGreen : 255;
    const int32_t bytesPerPixel = displayDevice.bitsPerPixel / 8;
    std::vector<uint8_t> rgba(size_t(4) * displayDevice.targetWidth * displayDevice.targetHeight);
    uint8_t* out = rgba.data();
    for (int32_t y = 0; y < displayDevice.targetHeight; ++y) {
        const uint8_t* pixel = pixels + int64_t{y} * displayDevice.targetPitch;
        for (int32_t x = 0; x < displayDevice.targetWidth; ++x, pixel += bytesPerPixel, out += 4) {
            uint8_t green = 0;
            displayDevice.PixelToRgb(ReadPixel(pixel, bytesPerPixel), red, green, blue);
            out[0] = out[1] = out[2] = 255;
            out[3] = static_cast<uint8_t>((green * 255u + full / 2) / full);
        }
    }
    return rgba;
}

bool WritePng(const std::string& path) {
    uint8_t* pixels = displayDevice.LockTarget(1);
    if (pixels == nullptr) return false;
    const std::vector<uint8_t> rgba = CoverageImage(pixels);
    displayDevice.UnlockTarget();
    ReplacingFile file(path);
    const int32_t width = displayDevice.targetWidth;
    return file.IsOpen() &&
           stbi_write_png_to_func(WriteToFile, &file, width, displayDevice.targetHeight, 4,
                                  rgba.data(), width * 4) != 0 &&
           file.Commit();
}

}  // namespace

bool WriteSheetFile(const std::string& path, SheetFormat format) {
    if (format == SheetFormat::Png) return WritePng(path);
    return displayDevice.SaveBitmap(path.c_str()) != 0;
}
