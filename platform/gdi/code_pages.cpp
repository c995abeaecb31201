#include "code_pages.h"

#include <iconv.h>

#include <map>

namespace vantor::platform {
namespace {

struct CharsetFacts {
    BYTE charset;
    int codePageBit;       // bit in OS/2 ulCodePageRange1, -1 when none announces it
    const char* encoding;  // iconv's name of the code page, null for symbol fonts
    const char* script;
};

// Single-byte sets only: enumeration and text both work byte by byte. Listed in the order
// of their code-page bits, which is the order enumeration delivers them.
constexpr CharsetFacts kCharsets[] = {
    {ANSI_CHARSET, 0, "CP1252", "Western"},
    {EASTEUROPE_CHARSET, 1, "CP1250", "Central European"},
    {RUSSIAN_CHARSET, 2, "CP1251", "Cyrillic"},
    {GREEK_CHARSET, 3, "CP1253", "Greek"},
    {TURKISH_CHARSET, 4, "CP1254", "Turkish"},
    {HEBREW_CHARSET, 5, "CP1255", "Hebrew"},
    {ARABIC_CHARSET, 6, "CP1256", "Arabic"},
    {BALTIC_CHARSET, 7, "CP1257", "Baltic"},
    {VIETNAMESE_CHARSET, 8, "CP1258", "Vietnamese"},
    {THAI_CHARSET, 16, "CP874", "Thai"},
    {SYMBOL_CHARSET, 31, nullptr, "Symbol"},
    {OEM_CHARSET, -1, "CP437", "OEM/DOS"},
};

const CharsetFacts& FactsOf(BYTE charset) {
    for (const CharsetFacts& facts : kCharsets)
        if (facts.charset == charset) return facts;
    return kCharsets[0];  // DEFAULT and the multi-byte sets read bytes as the Western set
}

// One byte through iconv; the code page's own shift state is reset around it, so a
// byte that only starts a combination (cp1258's tone marks) still yields its character.
char32_t ConvertByte(iconv_t converter, uint8_t byte) {
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    char in[1] = {static_cast<char>(byte)};
    char32_t out[4] = {};
    char* inPointer = in;
    char* outPointer = reinterpret_cast<char*>(out);
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1))
        return byte;
    iconv(converter, nullptr, nullptr, &outPointer, &outLeft);
    return outLeft == sizeof out ? byte : out[0];
}

std::array<char32_t, 256> BuildTable(const CharsetFacts& facts) {
    std::array<char32_t, 256> table;
    for (int b = 0; b < 256; ++b) table[b] = facts.encoding ? b : SymbolCharacter(b);
    if (!facts.encoding) return table;
    iconv_t converter = iconv_open("UTF-32LE", facts.encoding);
    // Without the converter (a C library lacking the code page), bytes read as Latin-1.
    if (converter == reinterpret_cast<iconv_t>(-1)) return table;
    for (int b = 0; b < 256; ++b) table[b] = ConvertByte(converter, static_cast<uint8_t>(b));
    iconv_close(converter);
    return table;
}

}  // namespace

const std::array<char32_t, 256>& CharactersOfCharset(BYTE charset) {
    static auto* tables =
        new std::map<BYTE, std::array<char32_t, 256>>;  // text may still be drawn at exit
    const CharsetFacts& facts = FactsOf(charset);
    auto found = tables->find(facts.charset);
    if (found == tables->end()) found = tables->emplace(facts.charset, BuildTable(facts)).first;
    return found->second;
}

char32_t CharacterOfByte(BYTE charset, uint8_t byte) {
    if (!FactsOf(charset).encoding) return SymbolCharacter(byte);
    return byte < 0x80 ? byte : CharactersOfCharset(charset)[byte];
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

}  // namespace vantor::platform
