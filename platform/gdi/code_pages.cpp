#include "code_pages.h"

#include "code_page_tables.h"

namespace vantor::platform {
namespace {

struct CharsetFacts {
    BYTE charset;
    UINT codePage;
    int codePageBit;                     // bit in OS/2 ulCodePageRange1, -1 when none announces it
    const CodePageUpperHalf* upperHalf;  // null for symbol fonts
    const char* script;
};

// Single-byte sets only: enumeration and text both work byte by byte. Listed in the order
// of their code-page bits, which is the order enumeration delivers them.
constexpr CharsetFacts kCharsets[] = {
    {ANSI_CHARSET, 1252, 0, &kCodePage1252, "Western"},
    {EASTEUROPE_CHARSET, 1250, 1, &kCodePage1250, "Central European"},
    {RUSSIAN_CHARSET, 1251, 2, &kCodePage1251, "Cyrillic"},
    {GREEK_CHARSET, 1253, 3, &kCodePage1253, "Greek"},
    {TURKISH_CHARSET, 1254, 4, &kCodePage1254, "Turkish"},
    {HEBREW_CHARSET, 1255, 5, &kCodePage1255, "Hebrew"},
    {ARABIC_CHARSET, 1256, 6, &kCodePage1256, "Arabic"},
    {BALTIC_CHARSET, 1257, 7, &kCodePage1257, "Baltic"},
    {VIETNAMESE_CHARSET, 1258, 8, &kCodePage1258, "Vietnamese"},
    {THAI_CHARSET, 874, 16, &kCodePage874, "Thai"},
    {SYMBOL_CHARSET, 42, 31, nullptr, "Symbol"},
    {OEM_CHARSET, 437, -1, &kCodePage437, "OEM/DOS"},
};

const CharsetFacts& FactsOf(BYTE charset) {
    for (const CharsetFacts& facts : kCharsets)
        if (facts.charset == charset) return facts;
    return kCharsets[0];  // DEFAULT and the multi-byte sets read bytes as the Western set
}

}  // namespace

char32_t CharacterOfByte(BYTE charset, uint8_t byte) {
    const CodePageUpperHalf* upperHalf = FactsOf(charset).upperHalf;
    if (!upperHalf) return SymbolCharacter(byte);
    return byte < 0x80 ? byte : (*upperHalf)[byte - 0x80];
}

CharsetList CharsetsOfCodePages(uint32_t codePageRange1) {
    CharsetList list{};
    for (const CharsetFacts& facts : kCharsets)
        if (facts.codePageBit >= 0 && (codePageRange1 >> facts.codePageBit) & 1)
            list.sets[list.count++] = facts.charset;
    if (list.count == 0) list.sets[list.count++] = OEM_CHARSET;  // a face announcing no code page
    return list;
}

const char* ScriptName(BYTE charset) { return FactsOf(charset).script; }

bool CodePageOfCharset(BYTE charset, UINT* codePage) {
    for (const CharsetFacts& facts : kCharsets)
        if (facts.charset == charset && facts.codePageBit >= 0) {
            *codePage = facts.codePage;
            return true;
        }
    return false;
}

bool CharacterOfCodePageByte(UINT codePage, uint8_t byte, char32_t* character) {
    for (const CharsetFacts& facts : kCharsets)
        if (facts.codePage == codePage) {
            *character = CharacterOfByte(facts.charset, byte);
            return true;
        }
    return false;
}

}  // namespace vantor::platform
