// Image memory for kernel tests where every row touches an inaccessible page, so that a
// kernel stepping one pixel past a row's end (or before its start) crashes at the faulting
// pixel instead of quietly writing into the next row.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vantor::testing {

enum class FenceSide { AfterRow, BeforeRow };

class FencedRows {
public:
    FencedRows(int32_t width, int32_t height, int bytesPerPixel,
               FenceSide side = FenceSide::AfterRow);
    ~FencedRows();
    FencedRows(const FencedRows&) = delete;
    FencedRows& operator=(const FencedRows&) = delete;

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int BytesPerPixel() const { return bytesPerPixel_; }
    int32_t Pitch() const { return pitch_; }
    uint8_t* Pixels() { return first_; }
    uint8_t* PixelAt(int32_t x, int32_t y) {
        return first_ + ptrdiff_t(y) * pitch_ + ptrdiff_t(x) * bytesPerPixel_;
    }

    // Raw little-endian pixel values.
    uint32_t Get(int32_t x, int32_t y) const;
    void Set(int32_t x, int32_t y, uint32_t value);

private:
    int32_t width_;
    int32_t height_;
    int bytesPerPixel_;
    int32_t pitch_;
    size_t mappedBytes_;
    uint8_t* mapping_;
    uint8_t* first_;
};

}  // namespace vantor::testing
