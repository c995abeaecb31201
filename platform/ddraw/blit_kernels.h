// The blitter's row kernels. They see only memory, pitches and sizes: the caller has
// already checked and clipped every rectangle, so a kernel trusts its arguments and never
// reads or writes outside the boxes it is given.
//
//   FillPixels          a box set to one raw pixel value
//   CopyPixels          a box copied unscaled; source and destination may overlap
//   CopyKeyedPixels     a box copied unscaled, source pixels inside the key range skipped
//   StretchPixels       point-sampled scaling, restricted to a clip box, optionally keyed
//
// Pixels are 1, 2, 3 or 4 bytes, stored as in memory (little-endian); 24-bit pixels are
// three bytes, blue first. Each kernel chooses its loop once per call by pixel size.
//
// How they reach their speed. Every kernel but the copy (the C library's memmove, which picks
// its own loop) has a plain build and an AVX2 build, chosen once per process
// (kernel_common.h, platform/kernel_choice.h). Long fills write the first row and copy it to
// the others; keyed copies are a branch-free select that vectorises. A stretch works from a
// row plan: the source column of every destination column and, in the AVX2 build, when
// enlarging or shrinking by up to half, a window of the source row and a byte-shuffle mask for
// each 16 bytes of output. The last plan (one per pixel size) is kept and used again while
// the geometry repeats, as it does when every glyph of a sheet is scaled into the same cell.
// The rows then go two 16-byte groups to a shuffle, and a row of at most four groups (64
// bytes, any glyph cell) keeps its masks and window starts in registers for the whole
// stretch; longer rows read them from the plan as they go. A longer row whose source row
// repeats is copied from the row above, inline; a short one is shuffled again, which is as
// quick and keeps the masks in their registers (a call to memcpy in the row loop makes the
// compiler move them out, and the copy waits for the row above's writes).
//
// Small structures a caller has just filled (the destination rectangle of a Blt, the
// geometry handed to the stretch) are read field by field: read in one wide load, as the
// compiler would, they wait until the caller's narrower writes have reached the cache, about
// as long as the rows of a glyph-sized stretch take.
#pragma once

#include <cstdint>

namespace vantor::platform {

// An inclusive range of raw pixel values; a pixel p matches when low <= p <= high. A range
// with low > high matches nothing.
struct KeyRange {
    uint32_t low;
    uint32_t high;
};

void FillPixels(uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height, int bytesPerPixel,
                uint32_t value);

// Overlap-safe: rows are walked in the direction that never reads a row already written.
void CopyPixels(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
                int32_t height, int bytesPerPixel);

// Source and destination must not overlap.
void CopyKeyedPixels(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                     int32_t width, int32_t height, int bytesPerPixel, KeyRange key);

// The whole source box (srcWidth x srcHeight) maps onto the whole destination box
// (dstWidth x dstHeight); destination pixel (x, y), counted from the destination box's
// corner, takes source pixel (x * srcWidth / dstWidth, y * srcHeight / dstHeight),
// truncated. Only destination pixels inside the clip box [clipLeft, clipRight) x
// [clipTop, clipBottom) (same coordinates, inside the destination box) are written.
// Destination sizes and clip coordinates are 64-bit: a clipped destination box may be
// far larger than any surface.
struct StretchGeometry {
    int64_t dstWidth;
    int64_t dstHeight;
    int32_t srcWidth;
    int32_t srcHeight;
    int64_t clipLeft;
    int64_t clipTop;
    int64_t clipRight;
    int64_t clipBottom;
};

// dstClip points at the destination pixel (clipLeft, clipTop); src at source pixel (0, 0).
// With a key, source pixels inside it are not written. Source and destination must not
// overlap.
void StretchPixels(uint8_t* dstClip, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   const StretchGeometry& geometry, int bytesPerPixel, const KeyRange* key);

}  // namespace vantor::platform
