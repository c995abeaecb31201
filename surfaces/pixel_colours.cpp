#include "surfaces/pixel_colours.h"

void BuildByteColours(const DisplayDevice& device, int bytesPerPixel, ByteColours& colours) {
    for (int position = 0; position < bytesPerPixel; ++position) {
        for (uint32_t value = 0; value < 256; ++value) {
            uint8_t red = 0, green = 0, blue = 0;
            device.PixelToRgb(value << (8 * position), red, green, blue);
            colours.byByte[position][value] = blue | uint32_t{green} << 8 | uint32_t{red} << 16;
        }
    }
}
