// Every font fontconfig knows, found by any of its family names in any case: what a family's
// faces are matched among.
#pragma once

#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "font_list_digest.h"

namespace vantor::platform {

class FamilyIndex {
public:
    // Indexes the fonts of fontconfig's current configuration by the names the font list's
    // digest keeps for them, reading no pattern; without a digest, by the patterns' own names.
    // The index keeps pointers into fontconfig's font sets: it is built again whenever
    // fontconfig reloads them.
    void Build(std::shared_ptr<const FontListDigest> list);
    // The fonts with the family name (ASCII case aside), each once, in fontconfig's order.
    // Fonts found through a digest are checked to carry the name; should one not, the
    // digest no longer describes the fonts, and the index is built from the patterns.
    std::vector<FcPattern*> FacesOf(std::string_view family);

private:
    struct Entry {
        uint64_t hash;  // of the name case-folded
        std::string_view name;
        FcPattern* font;
    };

    void Add(std::string_view name, FcPattern* font);
    void BuildSlots();
    std::vector<FcPattern*> Lookup(std::string_view family) const;

    std::shared_ptr<const FontListDigest> list_;  // what the names lie in, when it is used
    std::vector<Entry> entries_;                  // in fontconfig's order
    // Open addressing, at most half full: entry number + 1, or 0 for a free slot. A name's
    // entries sit after its home slot in the order they were added, since nothing leaves.
    std::vector<uint32_t> slots_;
};

}  // namespace vantor::platform
