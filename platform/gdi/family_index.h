// Every font fontconfig knows, found by any of its family names in any case: what a family's
// faces are matched among.
#pragma once

#include <fontconfig/fontconfig.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantor::platform {

class FamilyIndex {
public:
    // Indexes the fonts of fontconfig's current configuration. The index keeps pointers
    // into its font sets: it is built again whenever fontconfig reloads them.
    void Build();
    // The fonts with the family name (ASCII case aside), each once, in fontconfig's order.
    std::vector<FcPattern*> FacesOf(std::string_view family) const;

private:
    struct Entry {
        uint64_t hash;  // of the name case-folded
        std::string_view name;
        FcPattern* font;
    };

    std::vector<Entry> entries_;  // in fontconfig's order
    // Open addressing, at most half full: entry number + 1, or 0 for a free slot. A name's
    // entries sit after its home slot in the order they were added, since nothing leaves.
    std::vector<uint32_t> slots_;
};

}  // namespace vantor::platform
