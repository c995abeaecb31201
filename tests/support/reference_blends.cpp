#include "support/reference_blends.h"

namespace vantor::testing {
namespace {

struct Channel {
    int shift;
    int bits;
};

struct Layout {
    Channel red;
    Channel green;
    Channel blue;
};

constexpr Layout kLayout555{{10, 5}, {5, 5}, {0, 5}};
constexpr Layout kLayout565{{11, 5}, {5, 6}, {0, 5}};
constexpr Layout kLayout32{{16, 8}, {8, 8}, {0, 8}};

const Layout& LayoutOf(BlendForm form) {
    switch (form) {
        case BlendForm::Rgb555: return kLayout555;
        case BlendForm::Rgb565: return kLayout565;
        default: return kLayout32;
    }
}

uint32_t Take(uint32_t pixel, Channel channel) {
    return (pixel >> channel.shift) & ((1u << channel.bits) - 1);
}

uint32_t Put(uint32_t value, Channel channel) { return value << channel.shift; }

uint32_t MeanOf(uint32_t s, uint32_t b, Channel channel) {
    return Put((Take(s, channel) + Take(b, channel)) / 2, channel);
}

// The Surface pixel (row, column) lands on the target at (x + column, y + row); it is drawn
// only where that spot lies inside the clip rectangle.
bool InsideClip(const ReferenceDraw& draw, int64_t row, int64_t column) {
    const int64_t tx = draw.x + column;
    const int64_t ty = draw.y + row;
    return tx >= draw.clip.left && tx < draw.clip.right && ty >= draw.clip.top &&
           ty < draw.clip.bottom;
}

bool Rejected(const PackedImage& surface, const ReferenceDraw& draw) {
    const int64_t x = draw.x;
    const int64_t y = draw.y;
    return x + surface.width < draw.clip.left || x >= draw.clip.right ||
           y + surface.height < draw.clip.top || y >= draw.clip.bottom;
}

}  // namespace

PackedImage::PackedImage(int32_t w, int32_t h, int32_t bpp)
    : width(w), height(h), bytesPerPixel(bpp), bytes(std::size_t(w) * h * bpp) {}

uint32_t PackedImage::Pixel(int32_t row, int32_t column) const {
    const uint8_t* at = &bytes[(std::size_t(row) * width + column) * bytesPerPixel];
    uint32_t value = 0;
    for (int i = 0; i < bytesPerPixel; ++i) value |= uint32_t(at[i]) << (8 * i);
    return value;
}

void PackedImage::SetPixel(int32_t row, int32_t column, uint32_t value) {
    uint8_t* at = &bytes[(std::size_t(row) * width + column) * bytesPerPixel];
    for (int i = 0; i < bytesPerPixel; ++i) at[i] = uint8_t(value >> (8 * i));
}

uint32_t ReferenceMix(BlendForm form, uint32_t s, uint32_t b, uint32_t d) {
    const Layout& layout = LayoutOf(form);
    uint32_t mixed =
        MeanOf(s, b, layout.red) | MeanOf(s, b, layout.green) | MeanOf(s, b, layout.blue);
    if (form == BlendForm::Rgb555) mixed |= d & 0x8000;
    return mixed;
}

uint32_t ReferenceBlendKeyValue(BlendForm form, uint32_t s) {
    if (form == BlendForm::Rgb555) {
        const Layout& layout = kLayout555;
        return Put(Take(s, layout.red), layout.red) | Put(Take(s, layout.green), layout.green) |
               Put(Take(s, layout.blue), layout.blue);
    }
    return form == BlendForm::Rgb565 ? (s & 0xFFFF) : s;
}

int32_t ReferenceDrawBlended(PackedImage& target, const PackedImage& surface,
                             const ReferenceDraw& draw) {
    if (draw.bitsPerPixel == 8) return ReferenceDrawCheckered(target, surface, draw);
    if (Rejected(surface, draw)) return 0;
    if (draw.bitsPerPixel != 16 && draw.bitsPerPixel != 32) return 1;
    const BlendForm form = draw.bitsPerPixel == 32 ? BlendForm::Rgb32
                           : draw.greenBits == 5   ? BlendForm::Rgb555
                                                   : BlendForm::Rgb565;
    const PackedImage before = target;
    // The last row and the last column of the Surface are never drawn.
    for (int32_t r = 0; r < surface.height - 1; ++r) {
        for (int32_t c = 0; c < surface.width - 1; ++c) {
            if (!InsideClip(draw, r, c)) continue;
            const uint32_t s = surface.Pixel(r, c);
            if (draw.colourKey >= 0 &&
                ReferenceBlendKeyValue(form, s) == uint32_t(draw.colourKey)) {
                continue;
            }
            const int32_t tx = draw.x + c;
            const int32_t ty = draw.y + r;
            target.SetPixel(ty, tx,
                            ReferenceMix(form, s, before.Pixel(ty, tx), target.Pixel(ty, tx)));
        }
    }
    return 1;
}

int32_t ReferenceDrawCheckered(PackedImage& target, const PackedImage& surface,
                               const ReferenceDraw& draw) {
    if (Rejected(surface, draw)) return 0;
    if (draw.bitsPerPixel != 8 && draw.bitsPerPixel != 16 && draw.bitsPerPixel != 32) return 1;
    for (int32_t r = 0; r < surface.height; ++r) {
        for (int32_t c = 0; c < surface.width; ++c) {
            if ((r + c) % 2 != 0 || !InsideClip(draw, r, c)) continue;
            const uint32_t s = surface.Pixel(r, c);
            if (draw.colourKey >= 0 && s == uint32_t(draw.colourKey)) continue;
            target.SetPixel(draw.y + r, draw.x + c, s);
        }
    }
    return 1;
}

}  // namespace vantor::testing
