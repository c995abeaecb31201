#include "glyph_store.h"

#include FT_BITMAP_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <map>

#include "rule_check.h"
#include "text_paint.h"

namespace vantor::platform {
namespace {

// A kept glyph's share of a store beside its coverage: the record and its map node.
constexpr size_t kGlyphBytes = sizeof(Glyph) + 4 * sizeof(void*);
// Coverage kept per store, and per glyph: a 512-pixel em needs some 14 MB for a whole code
// page. A glyph past either bound (a face whose outlines dwarf its em) is rasterised at
// each draw, clipped to the surface, so that no store holds more than it can show.
constexpr size_t kMostCoverageBytesPerStore = size_t(16) << 20;
constexpr int64_t kLargestKeptGlyph = int64_t(1) << 20;

// The pixel box an outline covers: columns [left, right), rows from top down to bottom.
struct PixelBox {
    int64_t left, right, top, bottom;
    int64_t Width() const { return right - left; }
    int64_t Height() const { return top - bottom; }
};

PixelBox BoxOf(const FT_Outline& outline) {
    FT_BBox box;
    FT_Outline_Get_CBox(&outline, &box);
    auto floor = [](FT_Pos v) { return static_cast<int64_t>(v >> 6); };
    auto ceil = [](FT_Pos v) { return static_cast<int64_t>((v + 63) >> 6); };
    return {floor(box.xMin), ceil(box.xMax), ceil(box.yMax), floor(box.yMin)};
}

int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, INT_MIN / 2, INT_MAX / 2));
}

// Grey text is drawn in 17 levels of coverage, each lifted by the text gamma so that
// faint edges come out brighter: level 2 of 16 is 103 of 255, level 8 is 189, level 15
// is 248, as the real platform mixes them.
struct GrayLevels {
    uint8_t intensity[256];
    GrayLevels() {
        constexpr int kLevels = 16;
        for (int coverage = 0; coverage < 256; ++coverage) {
            const int level = (coverage * kLevels + 128) / 256;
            intensity[coverage] = static_cast<uint8_t>(
                std::lround(255.0 * std::pow(double(level) / kLevels, 1.0 / kTextGamma)));
        }
    }
};

const uint8_t* GrayLevelOfCoverage() {
    static const GrayLevels levels;
    return levels.intensity;
}

void CopyBitmap(const FT_Bitmap& bitmap, Glyph* glyph) {
    glyph->width = static_cast<int>(bitmap.width);
    glyph->height = static_cast<int>(bitmap.rows);
    glyph->coverage.assign(static_cast<size_t>(glyph->width) * glyph->height, 0);
    // FreeType may store rows bottom-up (negative pitch); walk from the first row shown.
    const unsigned char* row = bitmap.buffer;
    if (bitmap.pitch < 0) row -= static_cast<ptrdiff_t>(bitmap.pitch) * (glyph->height - 1);
    uint8_t* out = glyph->coverage.data();
    const uint8_t* grayLevelOf = GrayLevelOfCoverage();
    for (int y = 0; y < glyph->height; ++y, row += bitmap.pitch, out += glyph->width) {
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            for (int x = 0; x < glyph->width; ++x)
                out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1 ? 255 : 0;
        } else {
            for (int x = 0; x < glyph->width; ++x) out[x] = grayLevelOf[row[x]];
        }
    }
}

// A stretched advance falls between pixels; the platform rounds it up.
int WholeAdvance(FT_GlyphSlot slot) { return static_cast<int>((slot->advance.x + 63) >> 6); }

}  // namespace

namespace {

size_t& BytesHeld() {
    static size_t bytes = 0;
    return bytes;
}

constexpr char kFontBytesCounted[] =
    "font memory is counted as it is freed: a glyph store lets go of what it held";

}  // namespace

size_t FontBytesHeld() { return BytesHeld(); }

void HoldFontBytes(size_t bytes) { BytesHeld() += bytes; }

void LetGoFontBytes(size_t bytes) {
    VANTOR_CHECK(bytes <= BytesHeld(), kFontBytesCounted);
    BytesHeld() -= bytes;
}

GlyphStore::GlyphStore(std::shared_ptr<FontFace> face, const GlyphStyle& style)
    : face_(std::move(face)), style_(style) {
    Hold(sizeof(GlyphStore));
    if (FT_New_Size(face_->face, &size_)) {
        size_ = nullptr;
        return;
    }
    FT_Activate_Size(size_);
    if (FT_Set_Char_Size(face_->face, style.pixelsPerEm64, style.pixelsPerEm64, 72, 72)) {
        FT_Done_Size(size_);
        size_ = nullptr;
    }
}

GlyphStore::~GlyphStore() {
    VANTOR_CHECK(heldBytes_ == BytesToCount(), kFontBytesCounted);
    LetGoFontBytes(heldBytes_);
    if (size_) FT_Done_Size(size_);
}

void GlyphStore::Hold(size_t bytes) {
    heldBytes_ += bytes;
    HoldFontBytes(bytes);
}

size_t GlyphStore::BytesToCount() const {
    size_t bytes = sizeof(GlyphStore);
    for (const auto& [index, glyph] : glyphs_) bytes += kGlyphBytes + glyph.coverage.size();
    return bytes;
}

const Glyph& GlyphStore::GlyphAt(FT_UInt index) {
    auto found = glyphs_.find(index);
    if (found == glyphs_.end()) {
        found = glyphs_.emplace(index, Render(index)).first;
        Hold(kGlyphBytes + found->second.coverage.size());
    }
    return found->second;
}

int GlyphStore::AdvanceAt(FT_UInt index) {
    auto found = glyphs_.find(index);
    if (found != glyphs_.end()) return found->second.advance;
    FT_GlyphSlot slot = LoadOutline(index);
    return slot ? WholeAdvance(slot) : 0;
}

// The glyph's outline in the face's slot at this store's size, made bold, stretched and
// slanted as the style asks; null when it cannot be loaded.
FT_GlyphSlot GlyphStore::LoadOutline(FT_UInt index) {
    FT_Face face = face_->face;
    FT_Activate_Size(size_);
    FT_Int32 load =
        FT_LOAD_NO_BITMAP | (style_.monochrome ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
    if (FT_Load_Glyph(face, index, load)) return nullptr;
    FT_GlyphSlot slot = face->glyph;
    if (style_.emboldened) FT_GlyphSlot_Embolden(slot);
    if (style_.stretch != 0x10000) {
        const FT_Matrix stretch{style_.stretch, 0, 0, 0x10000};
        if (slot->format == FT_GLYPH_FORMAT_OUTLINE) FT_Outline_Transform(&slot->outline, &stretch);
        slot->advance.x = FT_MulFix(slot->advance.x, style_.stretch);
    }
    if (style_.slanted) FT_GlyphSlot_Oblique(slot);
    return slot;
}

Glyph GlyphStore::Render(FT_UInt index) {
    Glyph glyph;
    FT_GlyphSlot slot = LoadOutline(index);
    if (!slot) return glyph;
    glyph.advance = WholeAdvance(slot);
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        const PixelBox box = BoxOf(slot->outline);
        const int64_t area = box.Width() * box.Height();
        if (area > kLargestKeptGlyph || keptCoverageBytes_ + area > kMostCoverageBytesPerStore) {
            glyph.left = ClampToInt(box.left);
            glyph.top = ClampToInt(box.top);
            glyph.width = ClampToInt(box.Width());
            glyph.height = ClampToInt(box.Height());
            glyph.rasterisedInPlace = true;
            return glyph;
        }
    }
    if (FT_Render_Glyph(slot, style_.monochrome ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL))
        return glyph;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    CopyBitmap(slot->bitmap, &glyph);
    keptCoverageBytes_ += glyph.coverage.size();
    return glyph;
}

std::vector<uint8_t> GlyphStore::RasterisePart(FT_UInt index, int column0, int row0, int width,
                                               int height) {
    const Glyph& whole = GlyphAt(index);
    Glyph part;
    part.width = width;
    part.height = height;
    FT_GlyphSlot slot = LoadOutline(index);
    if (!slot || slot->format != FT_GLYPH_FORMAT_OUTLINE || width <= 0 || height <= 0) {
        part.coverage.assign(static_cast<size_t>(std::max(width, 0)) * std::max(height, 0), 0);
        return std::move(part.coverage);
    }
    // The part's bottom-left corner moved to the origin, where the bitmap's last row lies.
    FT_Outline_Translate(&slot->outline, -static_cast<FT_Pos>(int64_t(whole.left) + column0) * 64,
                         -static_cast<FT_Pos>(int64_t(whole.top) - row0 - height) * 64);
    FT_Bitmap bitmap;
    FT_Bitmap_Init(&bitmap);
    bitmap.width = static_cast<unsigned>(width);
    bitmap.rows = static_cast<unsigned>(height);
    bitmap.pitch = style_.monochrome ? (width + 7) / 8 : width;
    bitmap.pixel_mode = style_.monochrome ? FT_PIXEL_MODE_MONO : FT_PIXEL_MODE_GRAY;
    bitmap.num_grays = 256;
    std::vector<unsigned char> buffer(static_cast<size_t>(bitmap.pitch) * height, 0);
    bitmap.buffer = buffer.data();
    if (FT_Outline_Get_Bitmap(slot->library, &slot->outline, &bitmap) == 0)
        CopyBitmap(bitmap, &part);
    else
        part.coverage.assign(static_cast<size_t>(width) * height, 0);
    return std::move(part.coverage);
}

namespace {

struct StoreKey {
    const FontFace* face;
    GlyphStyle style;
};

struct ByFaceThenStyle {
    bool operator()(const StoreKey& a, const StoreKey& b) const {
        if (a.face != b.face) return std::less<const FontFace*>()(a.face, b.face);
        return a.style < b.style;
    }
};

// Stores by face and style while a font holds them. A face's address names it only while
// its store lives (the store keeps the face alive), so entries whose store has gone are
// stale: they are replaced when met and swept when the table has doubled since the last sweep.
struct SharedStores {
    std::map<StoreKey, std::weak_ptr<GlyphStore>, ByFaceThenStyle> byKey;
    size_t sweepAt = 64;

    void SweepIfGrown() {
        if (byKey.size() < sweepAt) return;
        for (auto entry = byKey.begin(); entry != byKey.end();)
            entry = entry->second.expired() ? byKey.erase(entry) : std::next(entry);
        sweepAt = std::max<size_t>(64, 2 * byKey.size());
    }
};

SharedStores& Shared() {
    static auto* stores = new SharedStores;  // text may still be drawn at exit
    return *stores;
}

}  // namespace

std::shared_ptr<GlyphStore> ShareGlyphStore(const std::shared_ptr<FontFace>& face,
                                            const GlyphStyle& style) {
    SharedStores& shared = Shared();
    const StoreKey key{face.get(), style};
    auto found = shared.byKey.find(key);
    if (found != shared.byKey.end())
        if (std::shared_ptr<GlyphStore> live = found->second.lock()) return live;
    auto made = std::make_shared<GlyphStore>(face, style);
    if (!made->Usable()) return nullptr;
    shared.SweepIfGrown();
    shared.byKey[key] = made;
    return made;
}

}  // namespace vantor::platform
