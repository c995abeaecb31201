// Font enumeration: one entry per (family, character set) pair of the fonts fontconfig
// knows, read once and rebuilt only when fontconfig reports a change. The catalog keeps one
// record per family and its character sets; a set's entry is the family's record with the
// set written in, made as it is handed out (the callback gets a copy anyway). A machine
// with thousands of families lists ten or so sets for each, and an entry is some 340 bytes.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
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

// A face of a family, and how far it is from the family's regular style.
struct Candidate {
    std::string path;
    int index;
    int distanceFromRegular;
    std::string style;
    std::string fullName;
};

constexpr DWORD NTM_ITALIC = 0x1;
constexpr DWORD NTM_BOLD = 0x20;
constexpr DWORD NTM_REGULAR = 0x40;

// Copies text into a fixed field, cut to fit with its terminating zero, never inside a
// UTF-8 character.
template <size_t N, typename Char>
void CopyName(Char (&field)[N], const std::string& text) {
    size_t length = FittingLength(text, N - 1);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, 0, N - length);
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

struct Family {
    std::string name;
    std::vector<Candidate> faces;
};

// Every outline face fontconfig knows, grouped by family, keyed by the case-folded name
// so that families come in case-insensitive name order. The patterns are read where
// fontconfig keeps them: listing them (FcFontList) copied each one and its names first,
// a third of a start with thousands of fonts.
std::map<std::string, Family> ListFamilies() {
    std::map<std::string, Family> families;
    for (FcSetName which : {FcSetSystem, FcSetApplication}) {
        FcFontSet* fonts = FcConfigGetFonts(nullptr, which);
        for (int i = 0; fonts && i < fonts->nfont; ++i) {
            FcPattern* pattern = fonts->fonts[i];
            FcBool outline = FcTrue;
            FcPatternGetBool(pattern, FC_OUTLINE, 0, &outline);
            Candidate candidate{};
            std::string family = GdiFamilyOf(pattern);
            if (!outline || family.empty() || !FileOf(pattern, &candidate.path, &candidate.index))
                continue;
            candidate.distanceFromRegular = DistanceFromRegular(pattern);
            candidate.style = EnglishNameOf(pattern, FC_STYLE, FC_STYLELANG);
            candidate.fullName = EnglishNameOf(pattern, FC_FULLNAME, FC_FULLNAMELANG);
            Family& slot = families[FoldCase(family)];
            if (slot.name.empty()) slot.name = family;
            slot.faces.push_back(std::move(candidate));
        }
    }
    return families;
}

CatalogEntry MakeEntry(const std::string& family, const Candidate& face, const FaceFacts& facts,
                       BYTE charset) {
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
    CopyName(entry.font.elfFullName, face.fullName.empty() ? family : face.fullName);
    CopyName(entry.font.elfStyle, face.style);
    CopyName(entry.font.elfScript, ScriptName(charset));

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

// One face per family, the one nearest the regular style that can be opened; a family
// none of whose faces opens is left out. Faces' facts come from the cache of an earlier
// start while their files are unchanged.
std::shared_ptr<const Catalog> BuildCatalog() {
    auto catalog = std::make_shared<Catalog>();
    FaceFactsCache cache(FaceFactsCache::DefaultPath());
    std::map<std::string, Family> families = ListFamilies();
    // Each record is some 360 bytes, and thousands of families are not rare: grown by
    // doubling, the vector would take and touch twice the memory it ends with.
    catalog->reserve(families.size());
    for (auto& [key, family] : families) {
        std::stable_sort(family.faces.begin(), family.faces.end(),
                         [](const Candidate& a, const Candidate& b) {
                             if (a.distanceFromRegular != b.distanceFromRegular)
                                 return a.distanceFromRegular < b.distanceFromRegular;
                             return a.path < b.path;
                         });
        for (const Candidate& candidate : family.faces) {
            std::optional<FaceFacts> facts = cache.FactsOf(candidate.path, candidate.index);
            if (!facts) continue;
            const CharsetList sets = CharsetsOfCodePages(facts->codePages[0]);
            catalog->push_back({MakeEntry(family.name, candidate, *facts, sets.sets[0]), sets});
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
CatalogEntry EntryFor(const CatalogFamily& family, BYTE charset) {
    CatalogEntry entry = family.entry;
    entry.font.elfLogFont.lfCharSet = charset;
    entry.metrics.ntmTm.tmCharSet = charset;
    CopyName(entry.font.elfScript, ScriptName(charset));
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
        int result = 1;
        for (const CatalogFamily& family : catalog ? *catalog : kNone) {
            if (!WantedFamily(family, filter)) continue;
            for (int i = 0; i < family.sets.count; ++i) {
                const BYTE charset = family.sets.sets[i];
                if (filter.lfCharSet != DEFAULT_CHARSET && charset != filter.lfCharSet) continue;
                // A copy: the callback may write into what it is given.
                CatalogEntry entry = EntryFor(family, charset);
                result = proc(&entry.font.elfLogFont,
                              reinterpret_cast<const TEXTMETRICA*>(&entry.metrics),
                              TRUETYPE_FONTTYPE, context);
                if (result == 0) return result;
            }
        }
        return result;
    });
}
