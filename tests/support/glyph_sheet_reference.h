// What the font sheet tool should produce, worked out from first principles on the
// platform: fonts enumerated as a list would see them, and the glyph sheet of one font
// drawn character by character with GDI, then scaled and cropped by plain arithmetic.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "win32.h"

namespace vantor::testing {

constexpr int32_t kSheetWidth = 4096;
constexpr int32_t kSheetHeight = 20;
constexpr int32_t kSheetCell = 16;

// Every record EnumFontFamiliesExA delivers for DEFAULT_CHARSET, in delivery order, on
// a device context of `surface`.
std::vector<LOGFONTA> EnumeratedFonts(IDirectDrawSurface* surface);

// The sheet for `font` as 0x00RRGGBB, top row first, as a 24-bit file of it reads back.
// `canvas` is a 640 x 480 surface in a 5-6-5 format; its contents are overwritten. Each
// character is drawn white on black at (0, 2), its measured box ("c\0", plus 2 rows above
// and below) point-sampled into 24 x 20 with truncation, and the first 16 columns of the
// top 19 rows kept; an empty box or one larger than the canvas leaves the cell black.
std::vector<uint32_t> ReferenceSheet(IDirectDrawSurface* canvas, const LOGFONTA& font);

// The two sheets compared as images (SameImage).
::testing::AssertionResult SameSheet(const std::vector<uint32_t>& actual,
                                     const std::vector<uint32_t>& expected);

// The 24-bit colour a 5-6-5 pixel is exported as: each channel shifted up, not rounded.
uint32_t Widen565(uint16_t pixel);

}  // namespace vantor::testing
