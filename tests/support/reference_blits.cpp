#include "support/reference_blits.h"

#include <algorithm>

namespace vantor::testing {
namespace {

bool Keyed(const std::optional<ReferenceKey>& key, uint32_t value) {
    return key && key->low <= value && value <= key->high;
}

}  // namespace

void ReferenceFill(ReferenceImage& dst, Box box, uint32_t value) {
    for (int64_t y = std::max<int64_t>(box.top, 0); y < std::min<int64_t>(box.bottom, dst.height);
         ++y)
        for (int64_t x = std::max<int64_t>(box.left, 0);
             x < std::min<int64_t>(box.right, dst.width); ++x)
            dst.At(int32_t(x), int32_t(y)) = value & dst.Mask();
}

void ReferenceCopy(ReferenceImage& dst, int32_t x, int32_t y, const ReferenceImage& src, Box srcBox,
                   std::optional<ReferenceKey> key) {
    const ReferenceImage before = src;
    for (int64_t sy = srcBox.top; sy < srcBox.bottom; ++sy)
        for (int64_t sx = srcBox.left; sx < srcBox.right; ++sx) {
            const uint32_t value = before.At(int32_t(sx), int32_t(sy));
            if (!Keyed(key, value))
                dst.At(int32_t(x + sx - srcBox.left), int32_t(y + sy - srcBox.top)) = value;
        }
}

void ReferenceStretch(ReferenceImage& dst, Box dstBox, Box clip, const ReferenceImage& src,
                      Box srcBox, std::optional<ReferenceKey> key) {
    const ReferenceImage before = src;
    const int64_t dW = dstBox.right - dstBox.left, dH = dstBox.bottom - dstBox.top;
    const int64_t sW = srcBox.right - srcBox.left, sH = srcBox.bottom - srcBox.top;
    const int64_t top = std::max({dstBox.top, clip.top, int64_t(0)});
    const int64_t bottom = std::min({dstBox.bottom, clip.bottom, int64_t(dst.height)});
    const int64_t left = std::max({dstBox.left, clip.left, int64_t(0)});
    const int64_t right = std::min({dstBox.right, clip.right, int64_t(dst.width)});
    for (int64_t y = top; y < bottom; ++y)
        for (int64_t x = left; x < right; ++x) {
            const int64_t sx = srcBox.left + (x - dstBox.left) * sW / dW;
            const int64_t sy = srcBox.top + (y - dstBox.top) * sH / dH;
            const uint32_t value = before.At(int32_t(sx), int32_t(sy));
            if (!Keyed(key, value)) dst.At(int32_t(x), int32_t(y)) = value;
        }
}

}  // namespace vantor::testing
