#include "display/row_tables.h"

#include <algorithm>
#include <climits>

#include "display/display_device.h"

void FillRowOffsets(int32_t* pixelOffsets, int32_t* byteOffsets, int32_t* wordOffsets,
                    int32_t* dwordOffsets, int32_t rows, int32_t pitch, int32_t bitsPerPixel) {
    // Depths below 8 bits are not display modes; treating them as one byte keeps the
    // division defined.
    const int32_t bytesPerPixel = bitsPerPixel >= 8 ? bitsPerPixel / 8 : 1;
    // Rebuilt at every change of render target: the common shape, rows of whole pixels
    // whose offsets fit 32 bits, is filled without a division (a loop the compiler widens).
    if (pitch >= 0 && pitch % bytesPerPixel == 0 && int64_t(rows) * pitch <= INT32_MAX) {
        const int32_t pixelPitch = pitch / bytesPerPixel;
        int32_t rowStart = 0, pixelStart = 0;
        for (int32_t i = 0; i < rows; ++i, rowStart += pitch, pixelStart += pixelPitch) {
            pixelOffsets[i] = pixelStart;
            byteOffsets[i] = rowStart;
            wordOffsets[i] = rowStart >> 1;
            dwordOffsets[i] = rowStart >> 2;
        }
        return;
    }
    int64_t rowStart = 0;  // i * pitch, wide so that a huge surface cannot overflow the sum
    for (int32_t i = 0; i < rows; ++i, rowStart += pitch) {
        pixelOffsets[i] = static_cast<int32_t>(rowStart / bytesPerPixel);
        byteOffsets[i] = static_cast<int32_t>(rowStart);
        wordOffsets[i] = static_cast<int32_t>(rowStart / 2);
        dwordOffsets[i] = static_cast<int32_t>(rowStart / 4);
    }
}

namespace {

// The four tables share one block, pixelOffsets its start, left unset: the target changes
// between the off-screen buffer and a surface several times per character of a glyph
// sheet, and each change rebuilds them.
void NewTargetTables(DisplayDevice& device, size_t entries) {
    int32_t* block = new int32_t[4 * entries];
    device.pixelOffsets = block;
    device.byteOffsets = block + entries;
    device.wordOffsets = block + 2 * entries;
    device.dwordOffsets = block + 3 * entries;
}

}  // namespace

void AllocateTargetTables(DisplayDevice& device, int32_t rows) {
    const size_t entries = rows > 0 ? static_cast<size_t>(rows) : 0;
    NewTargetTables(device, entries);
    std::fill(device.pixelOffsets, device.pixelOffsets + 4 * entries, 0);
}

void FreeTargetTables(DisplayDevice& device) {
    delete[] device.pixelOffsets;
    device.pixelOffsets = nullptr;
    device.byteOffsets = nullptr;
    device.wordOffsets = nullptr;
    device.dwordOffsets = nullptr;
}

void RebuildTargetTables(DisplayDevice& device) {
    FreeTargetTables(device);
    if (device.targetHeight <= 0) {
        AllocateTargetTables(device, 0);
        return;
    }
    NewTargetTables(device, static_cast<size_t>(device.targetHeight));
    FillRowOffsets(device.pixelOffsets, device.byteOffsets, device.wordOffsets,
                   device.dwordOffsets, device.targetHeight, device.targetPitch,
                   device.bitsPerPixel);
}
