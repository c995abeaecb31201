// A reader for uncompressed 24-bit bitmap files, written from the file format alone so
// that tests can check what the export writes without trusting the export's own code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/image_compare.h"

namespace vantor::testing {

struct BitmapImage {
    int32_t width = 0;
    int32_t height = 0;           // rows, whatever the stored direction
    uint32_t fileSizeField = 0;   // bfSize as stored
    uint32_t imageSizeField = 0;  // biSizeImage as stored
    std::vector<uint32_t> rgb;    // 0x00RRGGBB, top row first
    std::string error;            // empty when the file was read

    uint32_t At(int32_t x, int32_t y) const { return rgb[static_cast<size_t>(y) * width + x]; }
    ImageView View() const { return {width, height, rgb}; }
};

// Reads a whole file's bytes; empty when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& path);

// Decodes the bytes; on any malformation `error` says what is wrong. Rows may be stored
// bottom-up (positive height) or top-down; padding bytes must be zero.
BitmapImage DecodeBitmap(const std::vector<uint8_t>& bytes);

}  // namespace vantor::testing
