// The AVX2 build of the blend rows: blend_row_loops.h compiled for AVX2, a 32-byte block of
// pixels to a register.
//
// The build compiles this file for AVX2 on x86 only; anywhere else (or where it is compiled
// without AVX2) it holds no code and the table is null.
#include "surfaces/blend_row_loops.h"

#ifdef __AVX2__

namespace vantor {
namespace {

constexpr BlendRowTable kAvx2Table = BlendRowsOfThisBuild();

}  // namespace

// An address, not code: nothing of this file runs before the dispatcher has seen AVX2.
const BlendRowTable* const kAvx2BlendRows = &kAvx2Table;

}  // namespace vantor

#else

const vantor::BlendRowTable* const vantor::kAvx2BlendRows = nullptr;

#endif
