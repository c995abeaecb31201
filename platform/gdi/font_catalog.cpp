// Font enumeration: one entry per (family, character set) pair of the fonts fontconfig
// knows, built once from the font list's digest (font_listing.h) and the faces' facts, and
// rebuilt only when fontconfig reports a change. The catalog keeps one record per family and
// its character sets; a set's entry is the family's record with the set written in, made as
// it is handed out (the callback gets a copy anyway). A machine with thousands of families
// lists ten or so sets for each, and an entry is some 340 bytes.
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "call_trace.h"
#include "code_pages.h"
#include "face_facts_cache.h"
#include "font_config.h"
#include "font_listing.h"
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

CatalogEntry MakeEntry(std::string_view family, const DigestFace& face, const FaceFacts& facts,
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

// One face per family, the one nearest the regular style that can be opened; a family
// none of whose faces opens is left out. Faces' facts come from the cache of an earlier
// start while their files are unchanged.
std::shared_ptr<const Catalog> BuildCatalog() {
    auto catalog = std::make_shared<Catalog>();
    const std::shared_ptr<const FontListDigest> list = CurrentFontList();
    if (!list) return catalog;
    FaceFactsCache cache(FaceFactsCache::DefaultPath());
    // Each record is some 360 bytes, and thousands of families are not rare: grown by
    // doubling, the vector would take and touch twice the memory it ends with.
    catalog->reserve(list->families().size());
    std::string path;
    for (const DigestFamily& family : list->families()) {
        for (const DigestFace& face : list->FacesOf(family)) {
            path.assign(face.path);
            std::optional<FaceFacts> facts = cache.FactsOf(path, face.index);
            if (!facts) continue;
            const CharsetList sets = CharsetsOfCodePages(facts->codePages[0]);
            catalog->push_back({MakeEntry(family.name, face, *facts, sets.sets[0]), sets});
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
