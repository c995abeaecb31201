// A font collection made from one font file: many faces sharing every table of the
// font but its names, each under a family name of its own. Used where many fonts are needed
// (a long font list) without many font files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor::testing {

// A collection of `families.size()` faces sharing every table of `font` (the bytes of a
// TrueType file) but its names.
std::vector<uint8_t> FontCollection(const std::vector<uint8_t>& font,
                                    const std::vector<std::string>& families);

}  // namespace vantor::testing
