// Row offset tables: where each row of a surface starts, counted in pixels, bytes,
// 16-bit words and 32-bit words. Direct pixel access looks a row up once instead of
// multiplying by the pitch.
#pragma once

#include <cstddef>
#include <cstdint>

struct DisplayDevice;

// Points a record's four tables (a Surface's, or the device's for its render target) into
// one block of 4 x entries, pixelOffsets its start: one allocation, freed through
// pixelOffsets, instead of four.
template <typename Record>
void SetRowTables(Record& record, int32_t* block, size_t entries) {
    record.pixelOffsets = block;
    record.byteOffsets = block + entries;
    record.wordOffsets = block + 2 * entries;
    record.dwordOffsets = block + 3 * entries;
}

// Fills four tables of `rows` entries for rows `pitch` bytes apart. Entry i is i * pitch
// counted in each unit; the pixel entry divides the whole product by the pixel size, so a
// 24-bit row that does not start on a whole pixel is truncated, not the pitch.
void FillRowOffsets(int32_t* pixelOffsets, int32_t* byteOffsets, int32_t* wordOffsets,
                    int32_t* dwordOffsets, int32_t rows, int32_t pitch, int32_t bitsPerPixel);

// The render target's tables, held in the device record.
void AllocateTargetTables(DisplayDevice& device, int32_t rows);  // without freeing old ones
void FreeTargetTables(DisplayDevice& device);
// Gives up the old tables and makes new ones for targetHeight, targetPitch and
// bitsPerPixel. The tables of the target before are kept aside, and a change back to that
// shape takes them instead of building them again.
void RebuildTargetTables(DisplayDevice& device);
