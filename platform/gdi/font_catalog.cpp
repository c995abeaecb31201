// Font enumeration: one entry per (family, character set) pair of the fonts fontconfig
// knows, read once and rebuilt only when fontconfig reports a change. The catalog keeps one
// record per family and its character sets; a set's entry is the family's record with the
// set written in, made as it is handed out (the callback gets a copy anyway). A machine
// with thousands of families lists ten or so sets for each, and an entry is some 340 bytes.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "call_trace.h"
#include "code_pages.h"
#include "face_facts_cache.h"
#include "font_config.h"
#include "font_metrics.h"
#include "gdi_objects.h"

namespace vantor::platform {
namespace {

struct CatalogEntry {
    ENUMLOGFONTEXA font;
    NEWTEXTMETRICEXA metrics;
};

// A family's entry, made for its first character set, and every set it is listed under.
struct CatalogFamily {
    CatalogEntry entry;
    CharsetList sets;
};
using Catalog = std::vector<CatalogFamily>;

// An outline face fontconfig knows, under its family's case-folded name, with how far it
// is from the family's regular style. Its file's name and its pattern stay fontconfig's,
// which keeps them while the catalog is built.
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

constexpr DWORD NTM_ITALIC = 0x1;
constexpr DWORD NTM_BOLD = 0x20;
constexpr DWORD NTM_REGULAR = 0x40;

// Copies text into a fixed field, cut to fit with its terminating zero, never inside a
// UTF-8 character.
template <size_t N, typename Char>
void CopyName(Char (&field)[N], std::string_view text) {
    size_t length = FittingLength(text, N - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, N - length);
}

// The script field of every character set, made once: each record handed out carries one,
// and a machine with thousands of families hands out tens of thousands.
using ScriptField = decltype(ENUMLOGFONTEXA::elfScript);
const ScriptField* ScriptFields() {
    static const auto* fields = [] {
        auto* made = new ScriptField[256]{};
        for (int set = 0; set < 256; ++set) CopyName(made[set], ScriptName(static_cast<BYTE>(set)));
        return made;
    }();
    return fields;
}

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
    if (!outline || FcPatternGetString(pattern, FC_FILE, 0, &path) != FcResultMatch) return false;
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
    return true;
}

// Every outline face fontconfig knows, in its order. The patterns are read where fontconfig
// keeps them: listing them (FcFontList) copied each one and its names first, a third of a
// start with thousands of fonts.
std::vector<Candidate> ListCandidates() {
    constexpr FcSetName kSets[] = {FcSetSystem, FcSetApplication};
    // Reserved whole: grown by doubling, the vector would move every candidate it held,
    // each into memory touched for the first time.
    size_t fontCount = 0;
    for (FcSetName which : kSets)
        if (const FcFontSet* fonts = FcConfigGetFonts(nullptr, which))
            fontCount += size_t(fonts->nfont);
    std::vector<Candidate> candidates;
    candidates.reserve(fontCount);
    for (FcSetName which : kSets) {
        FcFontSet* fonts = FcConfigGetFonts(nullptr, which);
        for (int i = 0; fonts && i < fonts->nfont; ++i) {
            Candidate candidate{};
            if (Listable(fonts->fonts[i], &candidate)) candidates.push_back(std::move(candidate));
        }
    }
    return candidates;
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
    for (auto first = listed.begin(); first != listed.end();) {
        auto end = std::find_if(first, listed.end(), [&](const Candidate* candidate) {
            return candidate->familyKey != (*first)->familyKey;
        });
        if (end - first > 1) SortFamily(first, end);
        first = end;
    }
    return listed;
}

CatalogEntry MakeEntry(const std::string& family, const Candidate& face, const FaceFacts& facts,
                       BYTE charset) {
    const std::string style = EnglishNameOf(face.pattern, FC_STYLE, FC_STYLELANG);
    const std::string fullName = EnglishNameOf(face.pattern, FC_FULLNAME, FC_FULLNAMELANG);
    TEXTMETRICA tm = EnumeratedMetrics(facts, charset);
    CatalogEntry entry{};
    LOGFONTA& lf = entry.font.elfLogFont;
    lf.lfHeight = tm.tmHeight;  // positive: a cell height
    lf.lfWidth = tm.tmAveCharWidth;
    lf.lfWeight = tm.tmWeight;
    lf.lfItalic = tm.tmItalic;
    lf.lfCharSet = charset;
    lf.lfOutPrecision = OUT_STROKE_PRECIS;
    lf.lfClipPrecision = CLIP_STROKE_PRECIS;
    lf.lfQuality = DRAFT_QUALITY;
    lf.lfPitchAndFamily = (tm.tmPitchAndFamily & 0xF1) + 1;
    CopyName(lf.lfFaceName, family);
    CopyName(entry.font.elfFullName, fullName.empty() ? family : fullName);
    CopyName(entry.font.elfStyle, style);
    std::memcpy(entry.font.elfScript, ScriptFields()[charset], sizeof entry.font.elfScript);

    NEWTEXTMETRICA& ntm = entry.metrics.ntmTm;
    static_assert(offsetof(NEWTEXTMETRICA, ntmFlags) == sizeof(TEXTMETRICA));
    std::memcpy(&ntm, &tm, sizeof tm);
    ntm.ntmFlags = (facts.italic ? NTM_ITALIC : 0) | (facts.weight >= 600 ? NTM_BOLD : 0);
    if (ntm.ntmFlags == 0) ntm.ntmFlags = NTM_REGULAR;
    ntm.ntmSizeEM = facts.unitsPerEm;
    ntm.ntmCellHeight = facts.winAscent + facts.winDescent;
    ntm.ntmAvgWidth = facts.averageWidth;
    std::memcpy(entry.metrics.ntmFontSig.fsUsb, facts.unicodeRanges, sizeof facts.unicodeRanges);
    std::memcpy(entry.metrics.ntmFontSig.fsCsb, facts.codePages, sizeof facts.codePages);
    return entry;
}

// A family's faces in the listed order, and the face whose name it goes by: the first of
// them in fontconfig's order, which is the order of the candidates in memory.
struct FamilyOfFaces {
    Candidate* const* first;
    Candidate* const* end;
    const Candidate* named;
};

std::vector<FamilyOfFaces> Families(const std::vector<Candidate*>& listed) {
    std::vector<FamilyOfFaces> families;
    for (Candidate* const& candidate : listed) {
        if (families.empty() || (*families.back().first)->familyKey != candidate->familyKey)
            families.push_back({&candidate, &candidate, candidate});
        FamilyOfFaces& family = families.back();
        family.end = &candidate + 1;
        family.named = std::min<const Candidate*>(family.named, candidate, std::less<>());
    }
    return families;
}

// One face per family, the one nearest the regular style that can be opened; a family
// none of whose faces opens is left out. Faces' facts come from the cache of an earlier
// start while their files are unchanged.
std::shared_ptr<const Catalog> BuildCatalog() {
    auto catalog = std::make_shared<Catalog>();
    FaceFactsCache cache(FaceFactsCache::DefaultPath());
    std::vector<Candidate> candidates = ListCandidates();
    const std::vector<Candidate*> listed = ListedOrder(candidates);
    const std::vector<FamilyOfFaces> families = Families(listed);
    // Each record is some 360 bytes, and thousands of families are not rare: grown by
    // doubling, the vector would take and touch twice the memory it ends with.
    catalog->reserve(families.size());
    std::string path;
    for (const FamilyOfFaces& family : families) {
        for (Candidate* const* face = family.first; face != family.end; ++face) {
            const Candidate* candidate = *face;
            path.assign(candidate->path);
            std::optional<FaceFacts> facts = cache.FactsOf(path, candidate->index);
            if (!facts) continue;
            const CharsetList sets = CharsetsOfCodePages(facts->codePages[0]);
            catalog->push_back(
                {MakeEntry(family.named->family, *candidate, *facts, sets.sets[0]), sets});
            break;
        }
    }
    cache.Save();  // a cache that cannot be written costs the next start its speed, nothing else
    return catalog;
}

std::shared_ptr<const Catalog> CurrentCatalog() {
    static auto* catalog = new std::shared_ptr<const Catalog>;
    static int builtFor = -1;
    if (!FontconfigReady()) return std::make_shared<Catalog>();
    RefreshFontconfigIfChanged();
    if (!*catalog || builtFor != FontconfigGeneration()) {
        *catalog = BuildCatalog();
        builtFor = FontconfigGeneration();
    }
    return *catalog;
}

bool WantedFamily(const CatalogFamily& family, const LOGFONTA& filter) {
    if (filter.lfFaceName[0] == 0) return true;
    return strncasecmp(family.entry.font.elfLogFont.lfFaceName, filter.lfFaceName, LF_FACESIZE) ==
           0;
}

// The family's entry for one of its character sets: what MakeEntry makes for that set.
// Copied in its two parts, the logical font and the metrics: a copy of the whole entry, over
// 256 bytes, compiles to a string move, whose start-up costs several times the moves each
// part compiles to, and a machine with thousands of families hands out tens of thousands.
CatalogEntry EntryFor(const CatalogFamily& family, BYTE charset, const ScriptField* scripts) {
    CatalogEntry entry;
    entry.font = family.entry.font;
    entry.metrics = family.entry.metrics;
    entry.font.elfLogFont.lfCharSet = charset;
    entry.metrics.ntmTm.tmCharSet = charset;
    std::memcpy(entry.font.elfScript, scripts[charset], sizeof entry.font.elfScript);
    return entry;
}

}  // namespace
}  // namespace vantor::platform

using namespace vantor::platform;

int WINAPI EnumFontFamiliesExA(HDC dc, LPLOGFONTA font, FONTENUMPROCA proc, LPARAM context,
                               DWORD flags) {
    CallTicket ticket = BeginCall("EnumFontFamiliesExA", dc, [&] {
        if (!font) return Format("font=null flags=0x%X", flags);
        return Format("charset=%u face=\"%.*s\" pitch=%u flags=0x%X", font->lfCharSet, LF_FACESIZE,
                      font->lfFaceName, font->lfPitchAndFamily, flags);
    });
    return RunCall(ticket, 0, LastError::Untouched, [&]() -> Ending<int> {
        if (!FindDC(dc) || !proc) return Refused();
        LOGFONTA filter{};
        filter.lfCharSet = DEFAULT_CHARSET;
        if (font) filter = *font;
        // The catalog is held for the whole walk: a callback may enumerate again. Without the
        // memory to build it, no font is listed.
        std::shared_ptr<const Catalog> catalog =
            WithoutExceptions<std::shared_ptr<const Catalog>>(nullptr, CurrentCatalog);
        static const Catalog kNone;
        const ScriptField* scripts = ScriptFields();
        int result = 1;
        for (const CatalogFamily& family : catalog ? *catalog : kNone) {
            if (!WantedFamily(family, filter)) continue;
            for (int i = 0; i < family.sets.count; ++i) {
                const BYTE charset = family.sets.sets[i];
                if (filter.lfCharSet != DEFAULT_CHARSET && charset != filter.lfCharSet) continue;
                // A copy: the callback may write into what it is given.
                CatalogEntry entry = EntryFor(family, charset, scripts);
                result = proc(&entry.font.elfLogFont,
                              reinterpret_cast<const TEXTMETRICA*>(&entry.metrics),
                              TRUETYPE_FONTTYPE, context);
                if (result == 0) return result;
            }
        }
        return result;
    });
}
