// The Surface record: construction, destruction, direct pixel access, the generation
// rule of Release and the row tables.
#include "surfaces/surface.h"

namespace {

// A fresh one-entry table, as every Surface holds before it is made.
int32_t* OneEntryTable() { return new int32_t[1](); }

// A table of `rows` entries, entry r = r * rowLength.
int32_t* RowTable(int32_t rows, int32_t rowLength) {
    int32_t* table = new int32_t[rows > 0 ? rows : 0];
    int64_t offset = 0;  // wide, so that no sum overflows on the way
    for (int32_t r = 0; r < rows; ++r, offset += rowLength) table[r] = static_cast<int32_t>(offset);
    return table;
}

// Whether the DirectDraw surface held still exists: the owner is the live device, it is
// initialised, and it is of the generation the Surface was made in. Any other surface went
// with the DirectDraw object that made it. The owner is read only while it is the live
// device, never through the pointer kept to a destroyed one.
bool HoldsLiveSurface(const Surface& surface) {
    return surface.owner != nullptr && surface.owner == currentDevice &&
           surface.owner->initialized == 1 && *surface.startStampRef == surface.createdStamp;
}

}  // namespace

Surface::Surface()
    : created(0),
      owner(nullptr),
      startStampRef(nullptr),
      createdStamp(0),
      width(0),
      height(0),
      bitsPerPixel(0),
      locked(0),
      ddSurface(nullptr),
      pixelOffsets(OneEntryTable()),
      byteOffsets(OneEntryTable()),
      wordOffsets(OneEntryTable()),
      dwordOffsets(OneEntryTable()) {}

Surface::~Surface() {
    if (created == 1) Release();
    delete[] pixelOffsets;
    delete[] byteOffsets;
    delete[] wordOffsets;
    delete[] dwordOffsets;
}

uint8_t* Surface::Lock(int32_t wait) {
    if (created == 0 || locked == 1) return nullptr;
    DDSURFACEDESC desc{};
    desc.dwSize = sizeof desc;
    if (FAILED(ddSurface->Lock(nullptr, &desc, wait == 1 ? DDLOCK_WAIT : 0, nullptr)))
        return nullptr;
    locked = 1;
    return static_cast<uint8_t*>(desc.lpSurface);
}

int32_t Surface::Unlock() {
    if (created == 0 || locked == 0 || !HoldsLiveSurface(*this)) return 0;
    ddSurface->Unlock(nullptr);
    locked = 0;
    return 1;
}

int32_t Surface::Release() {
    if (created == 0) return 0;
    // Handing back a surface that went with its DirectDraw object would touch freed memory.
    if (HoldsLiveSurface(*this)) ddSurface->Release();
    created = 0;
    owner = nullptr;
    width = 0;
    height = 0;
    bitsPerPixel = 0;
    ddSurface = nullptr;
    return 1;
}

int32_t Surface::BuildRowTables() {
    delete[] pixelOffsets;
    delete[] byteOffsets;
    delete[] wordOffsets;
    delete[] dwordOffsets;
    // The unit divisions come first, so a depth narrower than the unit gives zeros.
    pixelOffsets = RowTable(height, width);
    byteOffsets = RowTable(height, bitsPerPixel / 8 * width);
    wordOffsets = RowTable(height, bitsPerPixel / 16 * width);
    dwordOffsets = RowTable(height, bitsPerPixel / 32 * width);
    return 1;
}
