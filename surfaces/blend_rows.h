// Row kernels of the software blends, on plain memory.
//
//   ChooseBlendRow    a row of 50 % mixes: target = mean of source and backdrop per channel
//   ChooseCheckerRow  a row of checkerboard copies: every other source pixel, from the first
//
// Both choose their kernel once per call, from the pixel form and the colour key, so that the
// loops themselves hold no test but the key comparison of the keyed variants. The kernels
// trust their arguments: the caller clips and hands them rows that are count pixels long.
#pragma once

#include <cstdint>

namespace vantor {

// The three direct-colour forms a blend knows. 555 keeps bit 15 of the target; 565 writes
// all 16 bits; Rgb32 mixes bytes 0 to 2 and clears byte 3.
enum class BlendForm { Rgb555, Rgb565, Rgb32 };

// Mixes count pixels: target[i] = blend of source[i] and backdrop[i], skipping the pixels
// whose key value (ReadPixel555, ReadPixel565 or ReadPixel32) equals the key.
using BlendRow = void (*)(uint8_t* target, const uint8_t* source, const uint8_t* backdrop,
                          int32_t count, uint32_t key);

// Copies source pixels 0, 2, 4, ... below count to the same places in target, skipping the
// pixels whose value equals the key.
using CheckerRow = void (*)(uint8_t* target, const uint8_t* source, int32_t count, uint32_t key);

// A negative colour key, or one above the largest key value of the form, never matches and
// selects the unkeyed kernel.
BlendRow ChooseBlendRow(BlendForm form, int32_t colourKey);

// True makes ChooseBlendRow hand out the plain build of the blend rows, the reference, as a
// processor without AVX2 gets; false gives back the best build the processor runs. For tests.
void ForcePlainBlendRows(bool plain);

// bytesPerPixel is 1, 2 or 4; any other size has no kernel (null).
CheckerRow ChooseCheckerRow(int32_t bytesPerPixel, int32_t colourKey);

}  // namespace vantor
