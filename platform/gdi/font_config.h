// The fontconfig side of fonts: made ready once, reloaded only when its configuration or
// font directories changed, and the names of its patterns.
#pragma once

#include <fontconfig/fontconfig.h>

#include <string>
#include <string_view>

namespace vantor::platform {

// Loads fontconfig's configuration and font list on first use; false when it cannot.
bool FontconfigReady();
// Reloads when a configuration file or font folder changed. Every reload starts a new generation,
// and whatever was derived from the old font list must be derived again.
void RefreshFontconfigIfChanged();
// Reloads whatever fontconfig reports: it sees changes only a second apart.
void ReloadFontconfig();
int FontconfigGeneration();
// What fontconfig's font list depends on, as text: its version and the stamps of its
// configuration files, its font folders (whose change is what makes fontconfig read a
// folder's fonts again) and its cache folders (written again when fc-cache reads a font
// replaced in place).
std::string FontListKey();
// What fontconfig's answer to the pattern depends on: the font list's key and the pattern
// (with the configuration's substitutions applied).
std::string AnswerKey(FcPattern* pattern);

// The id-th value of the pattern's element an iterator stands on, when it is a string:
// reading the values in turn finds the element once, not once per value.
const FcChar8* StringAt(FcPattern* pattern, FcPatternIter* element, int id);
// Calls visit with each family name of the font, as fontconfig keeps them.
template <typename Visit>
void ForEachFamilyName(FcPattern* font, Visit visit) {
    FcPatternIter names{};
    if (!FcPatternFindIter(font, &names, FC_FAMILY)) return;
    for (int id = 0; const FcChar8* name = StringAt(font, &names, id); ++id)
        visit(std::string_view(reinterpret_cast<const char*>(name)));
}
// The family name GDI knows a face by: the English one, and of those the last that
// fontconfig lists (its own family name rather than a typographic grouping).
std::string GdiFamilyOf(FcPattern* pattern);
// The English value of a naming property (FC_STYLE, FC_FULLNAME), else the first one.
std::string EnglishNameOf(FcPattern* pattern, const char* object, const char* languageObject);
bool FileOf(FcPattern* pattern, std::string* path, int* index);

// The pattern a font request is matched with: family (an empty name asks for the default
// sans face), weight, slant, outlines only, with the configuration's substitutions applied.
FcPattern* RequestPattern(const std::string& name, int openTypeWeight, bool italic);
// Fontconfig's fonts in its order of preference for the pattern; with a family name, only the
// faces of that family. Null when there are none. The caller destroys the set.
FcFontSet* SortedCandidates(FcPattern* pattern, const std::string& family);
// The first of all fonts in that order, alone: fontconfig's match, which scores every font
// as the sort does but sorts none. Null when there is none. The caller destroys the set.
FcFontSet* PreferredCandidate(FcPattern* pattern);

// ASCII case folding, as face names are compared and ordered.
inline char FoldedChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string FoldCase(std::string text);
// How many bytes of text fit in limit bytes without cutting a UTF-8 character in two.
size_t FittingLength(std::string_view text, size_t limit);

}  // namespace vantor::platform
