// The AVX2 build of the frame conversion: frame_rows.h compiled for AVX2, where the packed
// pixels' shifts and masks run eight to a register.
//
// CMake builds this file with -mavx2 on x86 only; anywhere else it holds no code and the
// table is null.
#include "frame_rows.h"

#ifdef __AVX2__

namespace vantor::platform {
namespace {

const FrameKernelTable kAvx2Table = {ConvertFrame};

}  // namespace

// An address, not code: nothing of this file runs before the dispatcher has seen AVX2.
const FrameKernelTable* const kAvx2FrameKernels = &kAvx2Table;

}  // namespace vantor::platform

#else

const vantor::platform::FrameKernelTable* const vantor::platform::kAvx2FrameKernels = nullptr;

#endif
