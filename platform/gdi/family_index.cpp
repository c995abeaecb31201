#include "family_index.h"

#include <bit>

#include "font_config.h"

namespace vantor::platform {
namespace {

// FNV-1a over the case-folded bytes.
uint64_t FoldedHash(std::string_view name) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (char c : name) hash = (hash ^ uint8_t(FoldedChar(c))) * 0x100000001b3u;
    return hash;
}

bool SameFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldedChar(a[i]) != FoldedChar(b[i])) return false;
    return true;
}

}  // namespace

void FamilyIndex::Add(std::string_view name, FcPattern* font) {
    entries_.push_back({FoldedHash(name), name, font});
}

void FamilyIndex::Build(std::shared_ptr<const FontListDigest> list) {
    entries_.clear();
    list_ = std::move(list);
    FcFontSet* sets[] = {FcConfigGetFonts(nullptr, FcSetSystem),
                         FcConfigGetFonts(nullptr, FcSetApplication)};
    if (list_) {
        // The digest was kept for sets of these sizes: every place lies in its set.
        for (const DigestName& name : list_->names()) {
            FcFontSet* fonts = sets[name.set];
            if (fonts && name.position < uint32_t(fonts->nfont))
                Add(name.name, fonts->fonts[name.position]);
        }
    } else {
        for (FcFontSet* fonts : sets)
            for (int i = 0; fonts && i < fonts->nfont; ++i)
                ForEachFamilyName(fonts->fonts[i],
                                  [&](std::string_view name) { Add(name, fonts->fonts[i]); });
    }
    BuildSlots();
}

void FamilyIndex::BuildSlots() {
    slots_.assign(std::bit_ceil(2 * entries_.size() + 1), 0);
    const size_t mask = slots_.size() - 1;
    for (uint32_t number = 0; number < entries_.size(); ++number) {
        size_t slot = entries_[number].hash & mask;
        while (slots_[slot] != 0) slot = (slot + 1) & mask;
        slots_[slot] = number + 1;
    }
}

std::vector<FcPattern*> FamilyIndex::Lookup(std::string_view family) const {
    std::vector<FcPattern*> faces;
    if (slots_.empty()) return faces;
    const uint64_t hash = FoldedHash(family);
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask; slots_[slot] != 0; slot = (slot + 1) & mask) {
        const Entry& entry = entries_[slots_[slot] - 1];
        // A font with two names that fold alike is listed once.
        if (entry.hash == hash && SameFolded(entry.name, family) &&
            (faces.empty() || faces.back() != entry.font))
            faces.push_back(entry.font);
    }
    return faces;
}

std::vector<FcPattern*> FamilyIndex::FacesOf(std::string_view family) {
    std::vector<FcPattern*> faces = Lookup(family);
    if (!list_) return faces;
    for (FcPattern* face : faces) {
        bool named = false;
        ForEachFamilyName(
            face, [&](std::string_view name) { named = named || SameFolded(name, family); });
        if (!named) {
            Build(nullptr);
            return Lookup(family);
        }
    }
    return faces;
}

}  // namespace vantor::platform
