// The single-byte code pages text reads, compiled in. Every one keeps ASCII below 0x80,
// so only the upper half of each is written down.
#pragma once

#include <array>
#include <cstdint>

namespace vantor::platform {

// The character of byte 0x80 + i at index i; all of them lie in the Basic Multilingual Plane.
using CodePageUpperHalf = std::array<uint16_t, 128>;

extern const CodePageUpperHalf kCodePage1252;
extern const CodePageUpperHalf kCodePage1250;
extern const CodePageUpperHalf kCodePage1251;
extern const CodePageUpperHalf kCodePage1253;
extern const CodePageUpperHalf kCodePage1254;
extern const CodePageUpperHalf kCodePage1255;
extern const CodePageUpperHalf kCodePage1256;
extern const CodePageUpperHalf kCodePage1257;
extern const CodePageUpperHalf kCodePage1258;
extern const CodePageUpperHalf kCodePage874;
extern const CodePageUpperHalf kCodePage437;

}  // namespace vantor::platform
