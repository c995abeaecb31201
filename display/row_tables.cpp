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

// Takes the tables from the device, which is left with none.
int32_t* DetachTargetTables(DisplayDevice& device) {
    int32_t* block = device.pixelOffsets;
    SetRowTables(device, nullptr, 0);
    return block;
}

// A new block for the tables, left unset.
void NewTargetTables(DisplayDevice& device, size_t entries) {
    SetRowTables(device, new int32_t[4 * entries], entries);
}

// A block of tables and the shape it was built for: its entries depend on nothing else.
struct ShapedTables {
    int32_t* block = nullptr;
    int32_t rows = 0;
    int32_t pitch = 0;
    int32_t bitsPerPixel = 0;

    bool Fits(const DisplayDevice& device) const {
        return block != nullptr && rows == device.targetHeight && pitch == device.targetPitch &&
               bitsPerPixel == device.bitsPerPixel;
    }
};

// The tables built last, whose shape is known while a device holds them, and those of the
// target before, kept aside: a glyph sheet switches between the off-screen buffer and its
// sheet twice per character, and each switch built the tables anew. A block belongs either to
// one device or to the shelf, never to both.
struct TableShelf {
    ShapedTables built;
    ShapedTables kept;
};

TableShelf& Shelf() {
    static TableShelf shelf;
    return shelf;
}

}  // namespace

void AllocateTargetTables(DisplayDevice& device, int32_t rows) {
    const size_t entries = rows > 0 ? static_cast<size_t>(rows) : 0;
    NewTargetTables(device, entries);
    std::fill(device.pixelOffsets, device.pixelOffsets + 4 * entries, 0);
}

void FreeTargetTables(DisplayDevice& device) {
    if (device.pixelOffsets != nullptr && device.pixelOffsets == Shelf().built.block)
        Shelf().built = {};
    delete[] DetachTargetTables(device);
}

void RebuildTargetTables(DisplayDevice& device) {
    TableShelf& shelf = Shelf();
    // The tables given up go on the shelf when their shape is known, else they are freed.
    ShapedTables left;
    if (device.pixelOffsets != nullptr && device.pixelOffsets == shelf.built.block) {
        left = shelf.built;
        shelf.built = {};
        DetachTargetTables(device);
    } else {
        FreeTargetTables(device);
    }
    ShapedTables taken;
    if (device.targetHeight > 0 && shelf.kept.Fits(device))
        taken = shelf.kept;
    else
        delete[] shelf.kept.block;
    shelf.kept = left;
    if (device.targetHeight <= 0) {
        AllocateTargetTables(device, 0);
        return;
    }
    const size_t rows = static_cast<size_t>(device.targetHeight);
    if (taken.block != nullptr) {
        SetRowTables(device, taken.block, rows);
    } else {
        NewTargetTables(device, rows);
        FillRowOffsets(device.pixelOffsets, device.byteOffsets, device.wordOffsets,
                       device.dwordOffsets, device.targetHeight, device.targetPitch,
                       device.bitsPerPixel);
    }
    shelf.built = {device.pixelOffsets, device.targetHeight, device.targetPitch,
                   device.bitsPerPixel};
}
