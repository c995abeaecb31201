// What the fuzz targets share: the input read as a stream of small decisions, a fresh
// platform per input, and the check that an input leaves no platform object alive.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "win32.h"

namespace vantor::fuzz {

// Reads values from the front of the input; past its end every value reads as zero.
class ByteStream {
public:
    ByteStream(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return used_ >= size_; }
    size_t Left() const { return Empty() ? 0 : size_ - used_; }

    template <typename T>
    T Take() {
        T value{};
        const size_t count = std::min(sizeof value, Left());
        if (count) std::memcpy(&value, data_ + used_, count);
        used_ += count;
        return value;
    }
    // A value in [0, count).
    uint32_t Below(uint32_t count) { return count ? Take<uint8_t>() % count : 0; }
    // Mostly small numbers, now and then any 32-bit value: sizes and coordinates.
    int32_t Coordinate() {
        const uint8_t kind = Take<uint8_t>();
        if (kind < 200) return int32_t(Take<uint16_t>() % 1100) - 50;
        return Take<int32_t>();
    }
    // Up to `most` bytes, as many as the next byte says.
    std::string Bytes(size_t most) {
        const size_t count = std::min<size_t>({Take<uint8_t>(), most, Left()});
        std::string bytes(reinterpret_cast<const char*>(data_ + used_), count);
        used_ += count;
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};

// Makes the platform headless, once per process, with the DejaVu faces as its only fonts
// unless FONTCONFIG_FILE already names a configuration.
void StartPlatform();

// A fontconfig configuration listing only `fontFolder`, written into a new temporary
// folder, which is returned; FONTCONFIG_FILE is pointed at it.
std::string UseOnlyFontsIn(const std::string& fontFolder);

// A visible top-level window for DirectDraw's cooperative level; the platform's reset
// destroys it with everything else.
HWND MakeWindow();

// DirectDraw in exclusive mode at the depth (8, 16, 24 or 32), with an off-screen system
// memory surface of the size and its device context; false when a step fails. Release
// with Close.
struct TextSurface {
    IDirectDraw2* directDraw = nullptr;
    IDirectDrawSurface* surface = nullptr;
    HDC dc = nullptr;

    bool Open(HWND window, int bitsPerPixel, int width, int height);
    void Close();
};

// Ends an input: the platform must hold no live object once the program has released what
// it made; aborts (a finding) when it does. Then resets the platform for the next input.
void FinishInput(const char* target);

}  // namespace vantor::fuzz
