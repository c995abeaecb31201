// Which realized font a LOGFONTA gets: its face matched through fontconfig among the faces
// of its family (an empty or unknown name gets the default sans face), and the realized
// fonts kept by record, the least recently used let go first.
#include <cstring>
#include <list>
#include <map>
#include <unordered_map>

#include "default_face_cache.h"
#include "font_cache.h"
#include "font_config.h"
#include "font_counters.h"

namespace vantor::platform {
namespace {

// The bounds of the matched names and the realized fonts (font_cache.h); a whole code page
// at 512 pixels per em is some 14 MB.
constexpr size_t kMostMatchedNames = 512;  // a bound, not a working set
constexpr size_t kMostRealizedFontBytes = size_t(64) << 20;

std::string RequestedFace(const LOGFONTA& request) {
    return std::string(request.lfFaceName, strnlen(request.lfFaceName, LF_FACESIZE));
}

// The first face in fontconfig's order of preference that opens.
std::shared_ptr<FontFace> FirstUsable(FcFontSet* sorted, std::string* family) {
    for (int i = 0; sorted && i < sorted->nfont; ++i) {
        FcPattern* pattern = sorted->fonts[i];
        std::string path;
        int index = 0;
        if (!FileOf(pattern, &path, &index)) continue;
        if (std::shared_ptr<FontFace> face = OpenFontFace(path, index)) {
            *family = GdiFamilyOf(pattern);
            return face;
        }
    }
    return nullptr;
}

// Fontconfig's favourite for the default request, as an earlier start found it while
// nothing it depends on changed, else as fontconfig matches it now; null when it does not open.
std::shared_ptr<FontFace> FavouriteDefault(FcPattern* pattern, std::string* family) {
    const std::string key = AnswerKey(pattern);
    if (const std::optional<RememberedFace> remembered = RememberedDefaultFace(key)) {
        if (std::shared_ptr<FontFace> face = OpenFontFace(remembered->path, remembered->index)) {
            *family = remembered->family;
            return face;
        }
    }
    CountDefaultFaceMatch();
    FcFontSet* preferred = PreferredCandidate(pattern);
    std::shared_ptr<FontFace> face = FirstUsable(preferred, family);
    RememberedFace found;
    if (face && FileOf(preferred->fonts[0], &found.path, &found.index)) {
        found.family = *family;
        RememberDefaultFace(key, found);
    }
    if (preferred) FcFontSetDestroy(preferred);
    return face;
}

std::shared_ptr<FontFace> MatchFace(const std::string& name, LONG weight, bool italic,
                                    std::string* family) {
    FcPattern* pattern = RequestPattern(name, weight, italic);
    std::shared_ptr<FontFace> face;
    // The default face is looked for among all fonts: fontconfig's favourite first, and
    // only when it does not open the whole order, whose sort grows with the fonts installed.
    if (pattern && name.empty()) face = FavouriteDefault(pattern, family);
    if (!face) {
        FcFontSet* sorted = pattern ? SortedCandidates(pattern, name) : nullptr;
        face = FirstUsable(sorted, family);
        if (sorted) FcFontSetDestroy(sorted);
    }
    if (pattern) FcPatternDestroy(pattern);
    if (!face && !name.empty())
        return MatchFace("", weight, italic, family);  // unknown face: the default
    return face;
}

struct Match {
    std::shared_ptr<FontFace> face;
    std::string family;
};

// Sized fonts by the whole record, the most recently used first, and the faces matched
// for a name, weight and slant, so that another size of a face already found asks
// fontconfig nothing.
using FontList = std::list<std::pair<std::string, std::unique_ptr<RealizedFont>>>;
struct Realized {
    FontList fonts;
    std::unordered_map<std::string, FontList::iterator> fontsByKey;
    std::map<std::string, Match> matches;
    int generation = -1;

    void ForgetFonts() {
        fontsByKey.clear();
        fonts.clear();
    }
};

Realized& Cache() {
    static auto* cache = new Realized;  // text may still be drawn at exit
    return *cache;
}

// The case-folded name, then the fields that tell sized fonts apart as raw bytes: the
// name holds no zero byte and the fields have a fixed length, so no two records collide.
// Asked for at every text call, hence built without formatting.
std::string KeyOf(const LOGFONTA& request) {
    const LONG fields[] = {request.lfHeight,  request.lfWidth,
                           request.lfWeight,  request.lfItalic != 0,
                           request.lfCharSet, request.lfQuality == NONANTIALIASED_QUALITY};
    std::string key = FoldCase(RequestedFace(request));
    key.append(reinterpret_cast<const char*>(fields), sizeof fields);
    return key;
}

// A new font for the record, its face matched through the cache of matches.
std::unique_ptr<RealizedFont> MakeFont(Realized& cache, const LOGFONTA& request) {
    const LONG weight = request.lfWeight > 0 ? std::min<LONG>(request.lfWeight, 1000) : FW_NORMAL;
    std::string matchKey = FoldCase(RequestedFace(request)) + '|' + std::to_string(weight) + '|' +
                           std::to_string(request.lfItalic != 0);
    auto matched = cache.matches.find(matchKey);
    if (matched == cache.matches.end()) {
        Match match;
        match.face =
            MatchFace(RequestedFace(request), weight, request.lfItalic != 0, &match.family);
        if (cache.matches.size() >= kMostMatchedNames) cache.matches.clear();
        matched = cache.matches.emplace(std::move(matchKey), std::move(match)).first;
    }
    if (!matched->second.face) return nullptr;
    auto made =
        std::make_unique<RealizedFont>(matched->second.face, request, matched->second.family);
    return made->Usable() ? std::move(made) : nullptr;
}

}  // namespace

RealizedFont* RealizeFont(const LOGFONTA& request) {
    Realized& cache = Cache();
    if (!FontconfigReady()) return nullptr;
    if (cache.generation != FontconfigGeneration()) {
        cache.ForgetFonts();
        cache.matches.clear();
        cache.generation = FontconfigGeneration();
    }
    std::string key = KeyOf(request);
    auto found = cache.fontsByKey.find(key);
    if (found != cache.fontsByKey.end()) {
        cache.fonts.splice(cache.fonts.begin(), cache.fonts, found->second);
    } else {
        std::unique_ptr<RealizedFont> made = MakeFont(cache, request);
        if (!made) return nullptr;
        cache.fonts.emplace_front(key, std::move(made));
        cache.fontsByKey.emplace(std::move(key), cache.fonts.begin());
    }
    // The fonts used longest ago go while the rest hold too much; the one asked for stays.
    while (RealizedFontBytes() > kMostRealizedFontBytes && cache.fonts.size() > 1) {
        cache.fontsByKey.erase(cache.fonts.back().first);
        cache.fonts.pop_back();
    }
    return cache.fonts.front().second.get();
}

void ForgetRealizedFonts() {
    Cache().ForgetFonts();
    ForgetFontFaces();
}

}  // namespace vantor::platform
