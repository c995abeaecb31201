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

// The family names of a font, as fontconfig keeps them.
template <typename Visit>
void ForEachFamilyName(FcPattern* font, Visit visit) {
    FcPatternIter names{};
    if (!FcPatternFindIter(font, &names, FC_FAMILY)) return;
    for (int id = 0; const FcChar8* name = StringAt(font, &names, id); ++id)
        visit(std::string_view(reinterpret_cast<const char*>(name)));
}

}  // namespace

void FamilyIndex::Build() {
    entries_.clear();
    for (FcSetName which : {FcSetSystem, FcSetApplication}) {
        FcFontSet* fonts = FcConfigGetFonts(nullptr, which);
        for (int i = 0; fonts && i < fonts->nfont; ++i)
            ForEachFamilyName(fonts->fonts[i], [&](std::string_view name) {
                entries_.push_back({FoldedHash(name), name, fonts->fonts[i]});
            });
    }
    slots_.assign(std::bit_ceil(2 * entries_.size() + 1), 0);
    const size_t mask = slots_.size() - 1;
    for (uint32_t number = 0; number < entries_.size(); ++number) {
        size_t slot = entries_[number].hash & mask;
        while (slots_[slot] != 0) slot = (slot + 1) & mask;
        slots_[slot] = number + 1;
    }
}

std::vector<FcPattern*> FamilyIndex::FacesOf(std::string_view family) const {
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

}  // namespace vantor::platform
