// The font list's digest (font_list_digest.h) as this start has it: the one kept for the list's
// key, else one made from fontconfig's patterns and kept for the next start.
#include "font_listing.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "font_config.h"
#include "rule_check.h"

namespace vantor::platform {
namespace {

// An outline face fontconfig knows, under its family's case-folded name, with how far it
// is from the family's regular style. Its file's name and its pattern stay fontconfig's,
// which keeps them while the digest is made.
struct Candidate {
    std::string familyKey;
    // The key's first eight bytes as a big-endian number, zeros past its end: two keys that
    // differ there are ordered by it alone, as most of a sort's comparisons are.
    uint64_t keyPrefix;
    std::string family;
    FcPattern* pattern;
    const char* path;
    int index;
    int distanceFromRegular;  // worked out only where a family has more than one face
};

int PatternInteger(FcPattern* pattern, const char* object, int fallback) {
    int value = fallback;
    FcPatternGetInteger(pattern, object, 0, &value);
    return value;
}

int DistanceFromRegular(FcPattern* pattern) {
    int weight =
        std::abs(PatternInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR) - FC_WEIGHT_REGULAR);
    int slant = PatternInteger(pattern, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN ? 1000 : 0;
    int width = std::abs(PatternInteger(pattern, FC_WIDTH, FC_WIDTH_NORMAL) - FC_WIDTH_NORMAL);
    return weight + slant + 2 * width;
}

// A family's faces nearest the regular style first, then by file, then as they came.
void SortFamily(std::vector<Candidate*>::iterator first, std::vector<Candidate*>::iterator end) {
    for (auto face = first; face != end; ++face)
        (*face)->distanceFromRegular = DistanceFromRegular((*face)->pattern);
    std::stable_sort(first, end, [](const Candidate* a, const Candidate* b) {
        if (a->distanceFromRegular != b->distanceFromRegular)
            return a->distanceFromRegular < b->distanceFromRegular;
        return std::strcmp(a->path, b->path) < 0;
    });
}

// Whether the pattern is an outline face in a file, and so a candidate for the catalog.
bool Listable(FcPattern* pattern, Candidate* candidate) {
    FcBool outline = FcTrue;
    FcChar8* path = nullptr;
    FcPatternGetBool(pattern, FC_OUTLINE, 0, &outline);
    if (!outline || FcPatternGetString(pattern, FC_FILE, 0, &path) != FcResultMatch || path[0] == 0)
        return false;
    candidate->family = GdiFamilyOf(pattern);
    if (candidate->family.empty()) return false;
    candidate->familyKey = FoldCase(candidate->family);
    candidate->keyPrefix = 0;
    for (size_t i = 0; i < sizeof candidate->keyPrefix; ++i)
        candidate->keyPrefix =
            candidate->keyPrefix << 8 |
            (i < candidate->familyKey.size() ? uint8_t(candidate->familyKey[i]) : 0);
    candidate->pattern = pattern;
    candidate->path = reinterpret_cast<const char*>(path);
    candidate->index = PatternInteger(pattern, FC_INDEX, 0);
    return candidate->index >= 0;
}

constexpr FcSetName kSets[] = {FcSetSystem, FcSetApplication};

// Every outline face fontconfig knows, in its order. The patterns are read where fontconfig
// keeps them: listing them (FcFontList) copied each one and its names first, a third of a
// start with thousands of fonts.
std::vector<Candidate> ListCandidates(const FontSetSizes& sizes) {
    // Reserved whole: grown by doubling, the vector would move every candidate it held,
    // each into memory touched for the first time.
    std::vector<Candidate> candidates;
    candidates.reserve(size_t(sizes.sizes[0]) + sizes.sizes[1]);
    for (FcSetName which : kSets) {
        FcFontSet* fonts = FcConfigGetFonts(nullptr, which);
        for (int i = 0; fonts && i < fonts->nfont; ++i) {
            Candidate candidate{};
            if (Listable(fonts->fonts[i], &candidate)) candidates.push_back(std::move(candidate));
        }
    }
    return candidates;
}

// Calls visit(first, end) for each run of candidates of one family in a sorted list.
template <typename Visit>
void ForEachFamily(std::vector<Candidate*>& listed, Visit visit) {
    for (auto first = listed.begin(); first != listed.end();) {
        const auto end = std::find_if(first, listed.end(), [&](const Candidate* candidate) {
            return candidate->familyKey != (*first)->familyKey;
        });
        visit(first, end);
        first = end;
    }
}

// The candidates in families in case-insensitive name order, each family's faces nearest
// the regular style first, then by file, then in fontconfig's order. Sorts of pointers: a
// tree of families took a node and a string per font; and a family of one face needs no
// distance, which takes three lookups in its pattern.
std::vector<Candidate*> ListedOrder(std::vector<Candidate>& candidates) {
    std::vector<Candidate*> listed;
    listed.reserve(candidates.size());
    for (Candidate& candidate : candidates) listed.push_back(&candidate);
    std::stable_sort(listed.begin(), listed.end(), [](const Candidate* a, const Candidate* b) {
        if (a->keyPrefix != b->keyPrefix) return a->keyPrefix < b->keyPrefix;
        return a->familyKey < b->familyKey;
    });
    ForEachFamily(listed, [](auto first, auto end) {
        if (end - first > 1) SortFamily(first, end);
    });
    return listed;
}

// Each family in the listed order, under the name of its first face in fontconfig's order
// (the order of the candidates in memory), with its faces in the listed order.
void AddFamilies(FontListWriter& writer, std::vector<Candidate*>& listed) {
    ForEachFamily(listed, [&](auto first, auto end) {
        writer.AddFamily((*std::min_element(first, end, std::less<>()))->family);
        for (auto face = first; face != end; ++face) {
            const Candidate& candidate = **face;
            writer.AddFace(candidate.path, candidate.index,
                           EnglishNameOf(candidate.pattern, FC_STYLE, FC_STYLELANG),
                           EnglishNameOf(candidate.pattern, FC_FULLNAME, FC_FULLNAMELANG));
        }
    });
}

// Every family name of every font, as the family index finds fonts by them.
void AddNames(FontListWriter& writer) {
    for (FcSetName which : kSets) {
        FcFontSet* fonts = FcConfigGetFonts(nullptr, which);
        for (int i = 0; fonts && i < fonts->nfont; ++i)
            ForEachFamilyName(fonts->fonts[i], [&](std::string_view name) {
                writer.AddName(name, uint8_t(which), uint32_t(i));
            });
    }
}

std::shared_ptr<const FontListDigest> MadeFontList(const std::string& key,
                                                   const FontSetSizes& sizes) {
    FontListWriter writer(key, sizes);
    std::vector<Candidate> candidates = ListCandidates(sizes);
    std::vector<Candidate*> listed = ListedOrder(candidates);
    AddFamilies(writer, listed);
    AddNames(writer);
    std::string bytes = writer.Finish();
    // A digest that cannot be kept costs the next start its speed, nothing else.
    FontListDigest::Keep(key, bytes);
    return FontListDigest::FromBytes(std::move(bytes), key, sizes);
}

FontSetSizes CurrentSizes() {
    FontSetSizes sizes;
    for (FcSetName which : kSets)
        if (const FcFontSet* fonts = FcConfigGetFonts(nullptr, which))
            sizes.sizes[which] = uint32_t(fonts->nfont);
    return sizes;
}

}  // namespace

std::shared_ptr<const FontListDigest> CurrentFontList() {
    static auto* current = new std::shared_ptr<const FontListDigest>;
    static int madeFor = -1;
    if (madeFor != FontconfigGeneration()) {
        const std::string key = FontListKey();
        const FontSetSizes sizes = CurrentSizes();
        std::shared_ptr<const FontListDigest> kept = FontListDigest::Kept(key, sizes);
        *current = kept ? kept : MadeFontList(key, sizes);
        VANTOR_CHECK(*current != nullptr, "a font list made here reads back whole");
        madeFor = FontconfigGeneration();
    }
    return *current;
}

}  // namespace vantor::platform
