#include "font_config.h"

#include <sys/stat.h>

#include <algorithm>
#include <vector>

#include "family_index.h"
#include "font_counters.h"
#include "font_listing.h"

namespace vantor::platform {
namespace {

int generation = 0;
bool ready = false;

// When a configuration file or font folder was last changed, to the nanosecond.
struct Stamp {
    std::string path;
    timespec changed;
};
std::vector<Stamp> stamps;
// The same of fontconfig's cache folders, for the key of the font list alone: a cache written
// again (fc-cache after a font file was replaced in place) changes the list but no folder of
// fonts, and fontconfig writes its caches as it loads, so they are no reason to reload.
std::vector<Stamp> cacheStamps;

timespec ChangedAt(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) return timespec{-1, 0};
    return status.st_mtim;
}

void AddStamps(std::vector<Stamp>& to, FcStrList* paths) {
    if (!paths) return;
    while (FcChar8* path = FcStrListNext(paths)) {
        std::string name = reinterpret_cast<const char*>(path);
        to.push_back(Stamp{name, ChangedAt(name)});
    }
    FcStrListDone(paths);
}

void AppendStamps(std::string& key, const std::vector<Stamp>& from) {
    for (const Stamp& stamp : from) {
        key += '\n';
        key += stamp.path;
        key += ' ' + std::to_string(stamp.changed.tv_sec) + '.' +
               std::to_string(stamp.changed.tv_nsec);
    }
}

// Fontconfig's own check (FcConfigUptoDate) sees changes to the whole second only, so a
// font added in the second of the last look would go unseen until the next change; the
// stamps are kept here with the file system's full precision instead.
void TakeStamps() {
    stamps.clear();
    AddStamps(stamps, FcConfigGetConfigFiles(nullptr));
    AddStamps(stamps, FcConfigGetFontDirs(nullptr));
    cacheStamps.clear();
    AddStamps(cacheStamps, FcConfigGetCacheDirs(nullptr));
}

bool StampsChanged() {
    for (const Stamp& stamp : stamps) {
        timespec now = ChangedAt(stamp.path);
        if (now.tv_sec != stamp.changed.tv_sec || now.tv_nsec != stamp.changed.tv_nsec) return true;
    }
    return false;
}

bool IsEnglish(const FcChar8* language) {
    return language && (language[0] == 'e' || language[0] == 'E') &&
           (language[1] == 'n' || language[1] == 'N') &&
           (language[2] == 0 || language[2] == '-' || language[2] == '_');
}

bool NamesCacheDirectory(FcConfig* config) {
    FcStrList* directories = FcConfigGetCacheDirs(config);
    if (!directories) return false;
    const bool named = FcStrListNext(directories) != nullptr;
    FcStrListDone(directories);
    return named;
}

// FcInit also parses every template in fontconfig's directory of optional configurations,
// only so that listing tools can describe them; the font list never depends on them, and
// that parse is a fifth of a short run. The configuration is loaded here without it; when
// anything is unusual (no configuration file, no cache directory named) FcInit and its
// fallbacks take over.
bool LoadConfiguration() {
    FcConfig* config = FcConfigCreate();
    if (!config) return false;
    const bool loaded = FcConfigParseAndLoad(config, nullptr, FcFalse) &&
                        NamesCacheDirectory(config) && FcConfigBuildFonts(config) &&
                        FcConfigSetCurrent(config);
    // Once current, fontconfig holds its own reference.
    FcConfigDestroy(config);
    return loaded;
}

}  // namespace

bool FontconfigReady() {
    if (ready) return true;
    CountFontDirectoryScan();
    ready = LoadConfiguration() || FcInit();
    if (ready) TakeStamps();
    ++generation;
    return ready;
}

void RefreshFontconfigIfChanged() {
    if (ready && StampsChanged()) ReloadFontconfig();
}

void ReloadFontconfig() {
    if (!ready) return;
    CountFontDirectoryScan();
    FcInitReinitialize();
    TakeStamps();
    ++generation;
}

int FontconfigGeneration() { return generation; }

std::string FontListKey() {
    std::string key = "fontconfig " + std::to_string(FcGetVersion());
    AppendStamps(key, stamps);
    AppendStamps(key, cacheStamps);
    return key;
}

std::string AnswerKey(FcPattern* pattern) {
    std::string key = FontListKey() + "\n";
    if (FcChar8* text = FcNameUnparse(pattern)) {
        key += reinterpret_cast<const char*>(text);
        FcStrFree(text);
    }
    return key;
}

const FcChar8* StringAt(FcPattern* pattern, FcPatternIter* element, int id) {
    FcValue value{};
    FcValueBinding binding{};
    if (FcPatternIterGetValue(pattern, element, id, &value, &binding) != FcResultMatch ||
        value.type != FcTypeString)
        return nullptr;
    return value.u.s;
}

// Each element is found once and its values read in turn: a lookup by the element's name for
// every name and every language was a tenth of a start with thousands of fonts.
std::string EnglishNameOf(FcPattern* pattern, const char* object, const char* languageObject) {
    FcPatternIter names{}, languages{};
    if (!FcPatternFindIter(pattern, &names, object)) return "";
    // A single name is the one chosen whatever its language: most faces have one.
    if (FcPatternIterValueCount(pattern, &names) == 1) {
        const FcChar8* only = StringAt(pattern, &names, 0);
        return only ? reinterpret_cast<const char*>(only) : "";
    }
    const bool languagesFound = FcPatternFindIter(pattern, &languages, languageObject);
    const FcChar8* first = nullptr;
    const FcChar8* english = nullptr;
    for (int i = 0;; ++i) {
        const FcChar8* name = StringAt(pattern, &names, i);
        if (!name) break;
        if (!first) first = name;
        const FcChar8* language = languagesFound ? StringAt(pattern, &languages, i) : nullptr;
        if (language && IsEnglish(language)) english = name;
    }
    const FcChar8* chosen = english ? english : first;
    return chosen ? reinterpret_cast<const char*>(chosen) : "";
}

std::string GdiFamilyOf(FcPattern* pattern) {
    return EnglishNameOf(pattern, FC_FAMILY, FC_FAMILYLANG);
}

FcPattern* RequestPattern(const std::string& name, int openTypeWeight, bool italic) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    FcPatternAddString(pattern, FC_FAMILY,
                       reinterpret_cast<const FcChar8*>(name.empty() ? "sans" : name.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(openTypeWeight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

namespace {

// The faces of the family among all the fonts fontconfig knows, in its own order. The index
// is made once per generation: with thousands of fonts installed, walking them all for each
// family a start matches was a fifth of it.
FcFontSet* FacesOfFamily(const std::string& family) {
    static auto* index = new FamilyIndex;
    static int builtFor = -1;
    if (builtFor != generation) {
        index->Build(CurrentFontList());
        builtFor = generation;
    }
    FcFontSet* faces = FcFontSetCreate();
    if (!faces) return faces;
    for (FcPattern* face : index->FacesOf(family)) {
        FcPatternReference(face);
        if (!FcFontSetAdd(faces, face)) FcPatternDestroy(face);
    }
    return faces;
}

}  // namespace

// Fontconfig scores every font against the pattern by itself and sorts stably, so the faces
// of one family sorted alone come in the order they have among all fonts sorted; with
// hundreds of fonts installed, sorting them all for every family was most of a start.
FcFontSet* SortedCandidates(FcPattern* pattern, const std::string& family) {
    FcResult result = FcResultNoMatch;
    if (family.empty()) return FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    FcFontSet* faces = FacesOfFamily(family);
    if (!faces) return nullptr;
    FcFontSet* sorted = faces->nfont > 0
                            ? FcFontSetSort(nullptr, &faces, 1, pattern, FcFalse, nullptr, &result)
                            : nullptr;
    FcFontSetDestroy(faces);
    return sorted;
}

FcFontSet* PreferredCandidate(FcPattern* pattern) {
    FcResult result = FcResultNoMatch;
    FcPattern* best = FcFontMatch(nullptr, pattern, &result);
    std::string path;
    int index = 0;
    FcFontSet* preferred = nullptr;
    // The match is a copy dressed for rendering; the font it was made from is the one
    // fontconfig lists, with its own names in their own order.
    if (best && FileOf(best, &path, &index)) {
        for (FcSetName which : {FcSetSystem, FcSetApplication}) {
            FcFontSet* fonts = preferred ? nullptr : FcConfigGetFonts(nullptr, which);
            for (int i = 0; fonts && i < fonts->nfont && !preferred; ++i) {
                std::string fontPath;
                int fontIndex = 0;
                if (!FileOf(fonts->fonts[i], &fontPath, &fontIndex) || fontIndex != index ||
                    fontPath != path)
                    continue;
                preferred = FcFontSetCreate();
                FcPatternReference(fonts->fonts[i]);
                if (preferred && !FcFontSetAdd(preferred, fonts->fonts[i]))
                    FcPatternDestroy(fonts->fonts[i]);
            }
        }
    }
    if (best) FcPatternDestroy(best);
    return preferred;
}

bool FileOf(FcPattern* pattern, std::string* path, int* index) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(pattern, FC_FILE, 0, &file) != FcResultMatch) return false;
    *path = reinterpret_cast<const char*>(file);
    if (FcPatternGetInteger(pattern, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
    return true;
}

std::string FoldCase(std::string text) {
    for (char& c : text) c = FoldedChar(c);
    return text;
}

size_t FittingLength(std::string_view text, size_t limit) {
    size_t length = std::min(text.size(), limit);
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

}  // namespace vantor::platform
