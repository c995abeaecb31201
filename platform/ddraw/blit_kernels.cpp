// The blitter's kernels as the rest of the platform calls them, each handed to the build the
// dispatcher chose; the plain build's table; and the copy, which has one build only.
#include "blit_kernels.h"

#include <cstring>

#include "ddraw/blit_rows.h"
#include "ddraw/stretch_rows.h"
#include "kernel_choice.h"

namespace vantor::platform {
namespace {

// The plain build plans no shuffles: its rows are the column loop.
struct PlainRows {
    static constexpr bool kShuffles = false;
};

const BlitKernelTable& Kernels() { return ChosenTable(kPlainBlitKernels, kAvx2BlitKernels); }

}  // namespace

const BlitKernelTable kPlainBlitKernels = {FillBox, CopyKeyedBox, StretchBox<PlainRows>};

void FillPixels(uint8_t* dst, int32_t dstPitch, int32_t width, int32_t height, int bytesPerPixel,
                uint32_t value) {
    Kernels().fill(dst, dstPitch, width, height, bytesPerPixel, value);
}

void CopyPixels(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch, int32_t width,
                int32_t height, int bytesPerPixel) {
    if (width <= 0 || height <= 0) return;
    const size_t rowBytes = size_t(width) * bytesPerPixel;
    if (size_t(dstPitch) == rowBytes && size_t(srcPitch) == rowBytes) {
        std::memmove(dst, src, rowBytes * height);
        return;
    }
    // Moving memory towards higher addresses: walk rows bottom-up so that a source row is
    // read before any destination row lands on it.
    if (reinterpret_cast<uintptr_t>(dst) > reinterpret_cast<uintptr_t>(src)) {
        dst += intptr_t(dstPitch) * (height - 1);
        src += intptr_t(srcPitch) * (height - 1);
        for (int32_t y = 0; y < height; ++y, dst -= dstPitch, src -= srcPitch)
            std::memmove(dst, src, rowBytes);
        return;
    }
    for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch)
        std::memmove(dst, src, rowBytes);
}

void CopyKeyedPixels(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                     int32_t width, int32_t height, int bytesPerPixel, KeyRange key) {
    Kernels().copyKeyed(dst, dstPitch, src, srcPitch, width, height, bytesPerPixel, key);
}

void StretchPixels(uint8_t* dstClip, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                   const StretchGeometry& geometry, int bytesPerPixel, const KeyRange* key) {
    Kernels().stretch(dstClip, dstPitch, src, srcPitch, geometry, bytesPerPixel, key);
}

}  // namespace vantor::platform
