// Font enumeration: one entry per (family, character set) pair of the fonts fontconfig
// knows, read once and rebuilt only when fontconfig reports a change.
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
using Catalog = std::vector<CatalogEntry>;

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

// Every outline face fontconfig lists, grouped by family, keyed by the case-folded name
// so that families come in case-insensitive name order.
std::map<std::string, Family> ListFamilies() {
    std::map<std::string, Family> families;
    FcPattern* everything = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FAMILY, FC_FAMILYLANG, FC_STYLE,
                                            FC_STYLELANG, FC_FULLNAME, FC_FULLNAMELANG, FC_WEIGHT,
                                            FC_SLANT, FC_WIDTH, FC_OUTLINE, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, everything, objects);
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
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(everything);
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
    for (auto& [key, family] : ListFamilies()) {
        std::stable_sort(family.faces.begin(), family.faces.end(),
                         [](const Candidate& a, const Candidate& b) {
                             if (a.distanceFromRegular != b.distanceFromRegular)
                                 return a.distanceFromRegular < b.distanceFromRegular;
                             return a.path < b.path;
                         });
        for (const Candidate& candidate : family.faces) {
            std::optional<FaceFacts> facts = cache.FactsOf(candidate.path, candidate.index);
            if (!facts) continue;
            CharsetList sets = CharsetsOfCodePages(facts->codePages[0]);
            for (int i = 0; i < sets.count; ++i)
                catalog->push_back(MakeEntry(family.name, candidate, *facts, sets.sets[i]));
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

bool Wanted(const CatalogEntry& entry, const LOGFONTA& filter) {
    if (filter.lfCharSet != DEFAULT_CHARSET && entry.font.elfLogFont.lfCharSet != filter.lfCharSet)
        return false;
    if (filter.lfFaceName[0] == 0) return true;
    return strncasecmp(entry.font.elfLogFont.lfFaceName, filter.lfFaceName, LF_FACESIZE) == 0;
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
        for (const CatalogEntry& entry : catalog ? *catalog : kNone) {
            if (!Wanted(entry, filter)) continue;
            CatalogEntry copy = entry;  // the callback may write into what it is given
            result =
                proc(&copy.font.elfLogFont, reinterpret_cast<const TEXTMETRICA*>(&copy.metrics),
                     TRUETYPE_FONTTYPE, context);
            if (result == 0) break;
        }
        return result;
    });
}
