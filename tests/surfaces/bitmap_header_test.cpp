// The 54 header bytes, checked without touching the disk.
#include <gtest/gtest.h>

#include "surfaces/bitmap_header.h"

namespace {

uint32_t Field(const BitmapHeaderBytes& header, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | header[at + i];
    return value;
}

TEST(BitmapHeader, DescribesTheGlyphSheetFieldByField) {
    BitmapHeaderBytes header = BuildBitmapHeader(4096, 20);
    EXPECT_EQ(header[0], 'B');
    EXPECT_EQ(header[1], 'M');
    EXPECT_EQ(Field(header, 2, 4), 0u) << "file size field";
    EXPECT_EQ(Field(header, 6, 4), 0u) << "reserved";
    EXPECT_EQ(Field(header, 10, 4), 54u) << "pixel rows start right after the headers";
    EXPECT_EQ(Field(header, 14, 4), 40u);
    EXPECT_EQ(Field(header, 18, 4), 4096u);
    EXPECT_EQ(Field(header, 22, 4), 20u) << "positive height: bottom row first";
    EXPECT_EQ(Field(header, 26, 2), 1u);
    EXPECT_EQ(Field(header, 28, 2), 24u);
    EXPECT_EQ(Field(header, 30, 4), 0u);
    EXPECT_EQ(Field(header, 34, 4), 245760u);
    EXPECT_EQ(Field(header, 38, 4), 0u);
    EXPECT_EQ(Field(header, 42, 4), 0u);
    EXPECT_EQ(Field(header, 46, 4), 0u);
    EXPECT_EQ(Field(header, 50, 4), 0x2000000u);
}

TEST(BitmapHeader, PadsRowsToWholeWords) {
    struct Case {
        int32_t width;
        int64_t rowLength;
    };
    for (Case c : {Case{0, 0}, {1, 4}, {4, 12}, {5, 16}, {6, 20}, {7, 24}, {4096, 12288}, {-3, 0}})
        EXPECT_EQ(BitmapRowLength(c.width), c.rowLength) << "width " << c.width;
    EXPECT_EQ(Field(BuildBitmapHeader(5, 3), 34, 4), 48u) << "image size counts the padding";
    EXPECT_EQ(Field(BuildBitmapHeader(640, 0), 34, 4), 0u);
}

}  // namespace
