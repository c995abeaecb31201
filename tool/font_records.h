// The font records the command line works on: the ones the interactive list shows, in its
// order and with its indexes, and the names they go by.
#pragma once

#include <string>
#include <vector>

#include "win32.h"

// Every record the platform enumerates for the render target's device context, as the
// interactive list's enumeration delivers them (index = position).
std::vector<LOGFONTA> EnumerateFontRecords();

// "ANSI", "RUSSIAN", ...: the character set's name without _CHARSET; "UNKNOWN" for a
// number without one.
std::string CharsetName(BYTE charset);
// A character set by its name (any case) or its number; false when it is neither.
bool ParseCharset(const std::string& text, BYTE* charset);

// The face name's bytes, up to its terminating zero or the end of the field.
std::string FaceNameOf(const LOGFONTA& record);
// The face name as --list prints it and --font matches it: the bytes of the record with
// control bytes and backslashes written as \xHH, so a line of the list stays one line.
std::string ListedFaceName(const LOGFONTA& record);

// The record --font names: an index, or a face name (any case) with an optional character
// set. On failure, error says why (naming up to three close faces) and false is returned.
bool FindRecord(const std::vector<LOGFONTA>& records, const std::string& font,
                const std::string& charset, size_t* index, std::string* error);
