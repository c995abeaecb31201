// The Surface record: construction, destruction, direct pixel access, the generation
// rule of Release and the row tables.
#include "surfaces/surface.h"

#include "display/row_tables.h"

namespace {

// The four row tables of a Surface share one block, pixelOffsets its start: a glyph sheet
// makes a surface and builds its tables twice for each of its 255 characters, and four
// blocks each time were a tenth of the work outside the font renderer.
void NewRowTables(Surface& surface, int32_t rows) {
    const size_t entries = rows > 0 ? static_cast<size_t>(rows) : 1;
    SetRowTables(surface, new int32_t[4 * entries](), entries);
}

// Entry r = r * rowLength, for `rows` entries.
void FillRowTable(int32_t* table, int32_t rows, int32_t rowLength) {
    int64_t offset = 0;  // wide, so that no sum overflows on the way
    for (int32_t r = 0; r < rows; ++r, offset += rowLength) table[r] = static_cast<int32_t>(offset);
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
      pixelOffsets(nullptr),
      byteOffsets(nullptr),
      wordOffsets(nullptr),
      dwordOffsets(nullptr) {
    NewRowTables(*this, 1);  // one zero entry each, as every Surface holds before it is made
}

Surface::~Surface() {
    if (created == 1) Release();
    delete[] pixelOffsets;
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
    NewRowTables(*this, height);
    // The unit divisions come first, so a depth narrower than the unit gives zeros.
    FillRowTable(pixelOffsets, height, width);
    FillRowTable(byteOffsets, height, bitsPerPixel / 8 * width);
    FillRowTable(wordOffsets, height, bitsPerPixel / 16 * width);
    FillRowTable(dwordOffsets, height, bitsPerPixel / 32 * width);
    return 1;
}
