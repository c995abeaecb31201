// One comparison of two images for every test. On a mismatch it says how many pixels
// differ and which differs first, with both values, and writes both images as PPM files
// into the test's output folder (<build>/test_output/<suite>.<test>/), naming them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <span>

namespace vantor::testing {

// Pixels row by row, each 0x00RRGGBB or a surface's raw value; the files show the low 24
// bits as red, green and blue, which for raw values still shows where the images differ.
struct ImageView {
    int32_t width = 0;
    int32_t height = 0;
    std::span<const uint32_t> pixels;
};

::testing::AssertionResult SameImage(ImageView actual, ImageView expected);

}  // namespace vantor::testing
