// Blt and BltFast: every argument checked, every rectangle clipped once, then the kernels.
// Blt fills, copies and stretches; with a clipper on the destination it may be handed a
// rectangle reaching past the surface and writes only clip-list pixels, the scale always
// taken from the unclipped rectangles. BltFast never clips: anything outside is refused.
#include <vector>

#include "blit_kernels.h"
#include "ddraw/clipper_object.h"
#include "ddraw/ddraw_state.h"
#include "ddraw/surface_object.h"
#include "rule_check.h"

namespace vantor::platform {
namespace {

constexpr DWORD kBltFlags = DDBLT_WAIT | DDBLT_ASYNC | DDBLT_COLORFILL | DDBLT_KEYSRC;
constexpr DWORD kBltFastFlags = DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT;

std::string FillText(const DDBLTFX* effects) {
    if (!effects) return "none";
    if (effects->dwSize != sizeof(DDBLTFX)) return "?";
    return Format("0x%x", effects->dwFillColor);
}

// Where a blit reads its source. When source and destination are the same surface and
// the kernel cannot allow overlap (keyed or scaled copies), the source box is copied aside.
class SourceBox {
public:
    SourceBox(const DdSurface& source, const RECT& box, bool copyAside) {
        const int bytes = source.Layout().BytesPerPixel();
        const uint8_t* corner =
            source.Pixels() + intptr_t(box.top) * source.Pitch() + intptr_t(box.left) * bytes;
        pitch_ = source.Pitch();
        origin_ = corner;
        if (!copyAside) return;
        const int32_t width = box.right - box.left;
        const int32_t height = box.bottom - box.top;
        copy_.resize(size_t(width) * height * bytes);
        CopyPixels(copy_.data(), width * bytes, corner, pitch_, width, height, bytes);
        origin_ = copy_.data();
        pitch_ = width * bytes;
    }
    // Pixel (x, y) of the box.
    const uint8_t* At(int32_t x, int32_t y, int bytesPerPixel) const {
        return origin_ + intptr_t(y) * pitch_ + intptr_t(x) * bytesPerPixel;
    }
    int32_t Pitch() const { return pitch_; }

private:
    const uint8_t* origin_;
    int32_t pitch_;
    std::vector<uint8_t> copy_;
};

// A copy of a caller's rectangle, read one field at a time. Callers fill their rectangles a
// field or two at a time just before the call, and the compiler would otherwise read all four
// fields in one wide load, which has to wait until those writes have reached the cache (what
// that costs a glyph-sized stretch: bench/README.md). The reads are volatile so that they
// stay apart.
RECT FieldByField(const RECT& rect) {
    const volatile RECT& fields = rect;
    return RECT{fields.left, fields.top, fields.right, fields.bottom};
}

KeyRange KeyOf(const DDCOLORKEY& key) {
    return {key.dwColorSpaceLowValue, key.dwColorSpaceHighValue};
}

}  // namespace

HRESULT DdSurface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect, DWORD flags,
                       LPDDBLTFX effects) {
    CallTicket call = BeginCall("Blt", this, [&] {
        return Format("dst=%s src=%s srcrect=%s flags=%#x fill=%s", FormatRect(destRect).c_str(),
                      PointerText(source).c_str(), FormatRect(sourceRect).c_str(), flags,
                      FillText(effects).c_str());
    });
    return ShownIfDesktop(RunCall(
        call, released_, [&] { return DoBlt(destRect, source, sourceRect, flags, effects); }));
}

HRESULT DdSurface::DoBlt(LPRECT destRect, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                         DWORD flags, LPDDBLTFX effects) {
    const bool fill = flags & DDBLT_COLORFILL;
    const bool keyed = flags & DDBLT_KEYSRC;
    if ((flags & ~kBltFlags) || (effects && effects->dwSize != sizeof(DDBLTFX)))
        return DDERR_INVALIDPARAMS;
    if (fill ? (source || !effects || keyed) : !source) return DDERR_INVALIDPARAMS;
    DdSurface* src = nullptr;
    if (source && (!(src = FindSurface(source)) || src->released_)) return DDERR_INVALIDOBJECT;
    if (lost_ || (src && src->lost_)) return DDERR_SURFACELOST;
    if (Busy() || (src && src->Busy())) return DDERR_SURFACEBUSY;
    if (keyed && !src->hasKey_) return DDERR_INVALIDPARAMS;
    if (src && src->layout_.BytesPerPixel() != layout_.BytesPerPixel())
        return DDERR_INVALIDPIXELFORMAT;

    const RECT bounds = {0, 0, width_, height_};
    const RECT dst = destRect ? FieldByField(*destRect) : bounds;
    if (EmptyRect(dst)) return DDERR_INVALIDRECT;
    if (clipper_ && !clipper_->HasClipList()) return DDERR_NOCLIPLIST;
    if (!clipper_ && !InsideSurface(dst, width_, height_)) return DDERR_INVALIDRECT;
    const RECT srcBox =
        src ? (sourceRect ? FieldByField(*sourceRect) : RECT{0, 0, src->width_, src->height_})
            : RECT{};
    if (src && (EmptyRect(srcBox) || !InsideSurface(srcBox, src->width_, src->height_)))
        return DDERR_INVALIDRECT;

    // Everything is checked: from here on the blit happens, one clip rectangle at a time.
    const int bytes = layout_.BytesPerPixel();
    const bool everyPixel = !clipper_ && !keyed && dst.left == 0 && dst.top == 0 &&
                            dst.right == width_ && dst.bottom == height_;
    uint8_t* pixels = nullptr;  // taken once the source is settled: it may be this surface
    auto corner = [&](const RECT& r) {
        return pixels + intptr_t(r.top) * Pitch() + intptr_t(r.left) * bytes;
    };
    auto forEachClip = [&](auto&& blit) {
        if (!clipper_) return blit(dst);
        clipper_->ForEachClipRect(bounds, [&](const RECT& clip) {
            if (RECT part = Intersection(clip, dst); !EmptyRect(part)) blit(part);
        });
    };
    if (fill && everyPixel) {
        FillWhole(effects->dwFillColor);
        return DD_OK;
    }
    fills_.Drew(Intersection(dst, bounds));
    if (fill) {
        pixels = PixelsToWrite(false);
        forEachClip([&](const RECT& clip) {
            FillPixels(corner(clip), Pitch(), clip.right - clip.left, clip.bottom - clip.top, bytes,
                       effects->dwFillColor);
        });
        return DD_OK;
    }

    const int64_t dstWidth = int64_t(dst.right) - dst.left;
    const int64_t dstHeight = int64_t(dst.bottom) - dst.top;
    const int32_t srcWidth = srcBox.right - srcBox.left;
    const int32_t srcHeight = srcBox.bottom - srcBox.top;
    const bool scaled = dstWidth != srcWidth || dstHeight != srcHeight;
    // Several clip rectangles are written one after another, so a later one could read
    // what an earlier one wrote: overlapping copies then read from a copy as well.
    const SourceBox from(*src, srcBox,
                         src == this && (keyed || scaled || clipper_) && Overlapping(srcBox, dst));
    const KeyRange key = keyed ? KeyOf(src->key_) : KeyRange{};
    pixels = PixelsToWrite(everyPixel);
    forEachClip([&](const RECT& clip) {
        const int64_t left = clip.left - int64_t(dst.left);
        const int64_t top = clip.top - int64_t(dst.top);
        const int32_t width = clip.right - clip.left;
        const int32_t height = clip.bottom - clip.top;
        if (scaled) {
            const StretchGeometry geometry = {dstWidth, dstHeight, srcWidth,     srcHeight,
                                              left,     top,       left + width, top + height};
            StretchPixels(corner(clip), Pitch(), from.At(0, 0, bytes), from.Pitch(), geometry,
                          bytes, keyed ? &key : nullptr);
        } else if (keyed) {
            CopyKeyedPixels(corner(clip), Pitch(), from.At(int32_t(left), int32_t(top), bytes),
                            from.Pitch(), width, height, bytes, key);
        } else {
            CopyPixels(corner(clip), Pitch(), from.At(int32_t(left), int32_t(top), bytes),
                       from.Pitch(), width, height, bytes);
        }
    });
    return DD_OK;
}

// A fill of the whole surface writes only what was drawn since the last fill of the same
// value (fill_tracker.h).
void DdSurface::FillWhole(DWORD colour) {
    const int bytes = layout_.BytesPerPixel();
    const uint32_t pixel = bytes < 4 ? colour & ((uint32_t(1) << (8 * bytes)) - 1) : colour;
    const RECT bounds = {0, 0, width_, height_};
    VANTOR_CHECK(fills_.Holds([this] { return Pixels(); }, Pitch(), bytes, bounds),
                 kEveryWriteMarked);
    const RECT area = fills_.AreaToFill(bounds, pixel);
    uint8_t* pixels = PixelsToWrite(true);
    if (!EmptyRect(area))
        FillPixels(pixels + intptr_t(area.top) * Pitch() + intptr_t(area.left) * bytes, Pitch(),
                   area.right - area.left, area.bottom - area.top, bytes, colour);
    fills_.Filled(pixel);
}

HRESULT DdSurface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                           DWORD transfer) {
    CallTicket call = BeginCall("BltFast", this, [&] {
        return Format("x=%d y=%d srcrect=%s flags=%#x", LONG(x), LONG(y),
                      FormatRect(sourceRect).c_str(), transfer);
    });
    return ShownIfDesktop(
        RunCall(call, released_, [&] { return DoBltFast(x, y, source, sourceRect, transfer); }));
}

HRESULT DdSurface::DoBltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE source, LPRECT sourceRect,
                             DWORD transfer) {
    if (!source || (transfer & ~kBltFastFlags)) return DDERR_INVALIDPARAMS;
    // Destination keys are not kept by this blitter.
    if (transfer & DDBLTFAST_DESTCOLORKEY) return DDERR_UNSUPPORTED;
    DdSurface* src = FindSurface(source);
    if (!src || src->released_) return DDERR_INVALIDOBJECT;
    if (clipper_) return DDERR_BLTFASTCANTCLIP;
    if (lost_ || src->lost_) return DDERR_SURFACELOST;
    if (Busy() || src->Busy()) return DDERR_SURFACEBUSY;
    const bool keyed = transfer & DDBLTFAST_SRCCOLORKEY;
    if (keyed && !src->hasKey_) return DDERR_INVALIDPARAMS;
    if (src->layout_.BytesPerPixel() != layout_.BytesPerPixel()) return DDERR_INVALIDPIXELFORMAT;

    const RECT srcBox =
        sourceRect ? FieldByField(*sourceRect) : RECT{0, 0, src->width_, src->height_};
    if (EmptyRect(srcBox) || !InsideSurface(srcBox, src->width_, src->height_))
        return DDERR_INVALIDRECT;
    // The position is a DWORD: a negative coordinate arrives as a huge one and is refused.
    const int32_t width = srcBox.right - srcBox.left;
    const int32_t height = srcBox.bottom - srcBox.top;
    if (uint64_t(x) + width > uint64_t(width_) || uint64_t(y) + height > uint64_t(height_))
        return DDERR_INVALIDRECT;
    const RECT dst = {LONG(x), LONG(y), LONG(x) + width, LONG(y) + height};

    const int bytes = layout_.BytesPerPixel();
    const SourceBox from(*src, srcBox, src == this && keyed && Overlapping(srcBox, dst));
    const bool everyPixel = !keyed && width == width_ && height == height_;
    fills_.Drew(dst);
    uint8_t* corner =
        PixelsToWrite(everyPixel) + intptr_t(dst.top) * Pitch() + intptr_t(dst.left) * bytes;
    if (keyed)
        CopyKeyedPixels(corner, Pitch(), from.At(0, 0, bytes), from.Pitch(), width, height, bytes,
                        KeyOf(src->key_));
    else
        CopyPixels(corner, Pitch(), from.At(0, 0, bytes), from.Pitch(), width, height, bytes);
    return DD_OK;
}

}  // namespace vantor::platform
