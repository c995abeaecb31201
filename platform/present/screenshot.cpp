// Frames saved as 24-bit BMP files: blue, green, red per pixel, rows bottom-up, each row
// padded to 4 bytes. The file replaces its destination only once whole (replacing_write.h),
// so a reader never sees half a picture and a failed write leaves the old file alone. The
// system writes its own bitmaps (surfaces/bitmap_header.*), whose header keeps bfSize at 0
// as its file format states; the platform never includes the system, so this is the
// platform's own copy of that rule.
#include <cstdio>
#include <string>
#include <vector>

#include "presenter_internal.h"
#include "replacing_write.h"

namespace vantor::platform {
namespace {

constexpr uint32_t kHeaderBytes = 14 + 40;
constexpr int32_t kPixelsPerMetre = 2835;  // 72 dots per inch

void PutLittleEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

std::vector<uint8_t> BitmapHeader(int32_t width, int32_t height, uint32_t imageBytes) {
    std::vector<uint8_t> header;
    header.push_back('B');
    header.push_back('M');
    PutLittleEndian(header, kHeaderBytes + imageBytes, 4);
    PutLittleEndian(header, 0, 4);  // reserved
    PutLittleEndian(header, kHeaderBytes, 4);
    PutLittleEndian(header, 40, 4);  // size of the information header
    PutLittleEndian(header, static_cast<uint32_t>(width), 4);
    PutLittleEndian(header, static_cast<uint32_t>(height), 4);  // positive: rows bottom-up
    PutLittleEndian(header, 1, 2);                              // planes
    PutLittleEndian(header, 24, 2);                             // bits per pixel
    PutLittleEndian(header, 0, 4);                              // no compression
    PutLittleEndian(header, imageBytes, 4);
    PutLittleEndian(header, kPixelsPerMetre, 4);
    PutLittleEndian(header, kPixelsPerMetre, 4);
    PutLittleEndian(header, 0, 4);  // colours used
    PutLittleEndian(header, 0, 4);  // important colours
    return header;
}

// Writes the header and the rows, last row first, each converted on its own.
bool WriteBitmap(std::FILE* file, const PixelView& frame, uint32_t rowBytes) {
    std::vector<uint8_t> header = BitmapHeader(frame.width, frame.height, rowBytes * frame.height);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) return false;
    std::vector<uint32_t> rgb(frame.width);
    std::vector<uint8_t> row(rowBytes, 0);
    for (int32_t y = frame.height - 1; y >= 0; --y) {
        PixelView line = frame;
        line.pixels = frame.pixels + static_cast<ptrdiff_t>(frame.pitch) * y;
        line.height = 1;
        FrameToRgb(line, rgb.data());
        uint8_t* out = row.data();
        for (uint32_t colour : rgb) {
            *out++ = static_cast<uint8_t>(colour);
            *out++ = static_cast<uint8_t>(colour >> 8);
            *out++ = static_cast<uint8_t>(colour >> 16);
        }
        if (std::fwrite(row.data(), 1, rowBytes, file) != rowBytes) return false;
    }
    return std::fflush(file) == 0;
}

}  // namespace

bool WriteScreenshot(const char* path, const PixelView& frame) {
    if (!path || !*path || !WellFormedFrame(frame)) return false;
    uint64_t rowBytes = (static_cast<uint64_t>(frame.width) * 3 + 3) & ~uint64_t{3};
    if (kHeaderBytes + rowBytes * static_cast<uint64_t>(frame.height) > UINT32_MAX) return false;

    // A picture for anyone to look at, not a private temporary.
    return WriteReplacing(path, 0644, [&](std::FILE* file) {
        return WriteBitmap(file, frame, static_cast<uint32_t>(rowBytes));
    });
}

}  // namespace vantor::platform
