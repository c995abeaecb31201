// Character sets as GDI names them: which code page turns a byte into a character, which
// OS/2 code-page bit announces a set, and the script name enumeration reports.
#pragma once

#include <cstdint>

#include "gdi.h"

namespace vantor::platform {

// The character a byte stands for in the code page of the character set (cp1252 for ANSI,
// DEFAULT and the multi-byte sets; symbol fonts get U+F000 + byte, see SymbolCharacter).
// Bytes the code page leaves unassigned stand for the control code of the same number.
char32_t CharacterOfByte(BYTE charset, uint8_t byte);

// Where a symbol font keeps byte b: its private-use character.
constexpr char32_t SymbolCharacter(uint8_t byte) { return 0xF000 + byte; }

// Control codes are drawn as the face's missing-character glyph, never looked up.
constexpr bool IsControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// The single-byte character sets a face announces through its OS/2 ulCodePageRange1 bits,
// in the order enumeration lists them; count is how many were written to sets.
struct CharsetList {
    BYTE sets[16];
    int count;
};
CharsetList CharsetsOfCodePages(uint32_t codePageRange1);

// "Western", "Cyrillic", ... as enumeration's elfScript carries them.
const char* ScriptName(BYTE charset);

// The code page of a character set a face can announce (OEM and DEFAULT are none).
bool CodePageOfCharset(BYTE charset, UINT* codePage);
// The character of a byte in one of the single-byte code pages above (42 is the symbol
// page); false for any other code page.
bool CharacterOfCodePageByte(UINT codePage, uint8_t byte, char32_t* character);

}  // namespace vantor::platform
