// Font files that are legal but hostile, made from a fixture font for the test that needs
// them and never shipped: header fields changed within the ranges the format allows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantor::testing {

// DejaVu Sans with its em shrunk to unitsPerEm design units (the outlines stay as drawn,
// so glyphs are 2048 / unitsPerEm ems tall), a Windows cell one unit high and an average
// width of one unit; its family renamed to `family`, which must be as long as
// "DejaVu Sans". The table checksums are left as they were: font loaders ignore them.
std::vector<uint8_t> HostileFont(int unitsPerEm, const std::string& family);

// Writes a fontconfig configuration naming the fixture fonts and `extraFolder` to `path`.
void WriteFontConfigWith(const std::string& path, const std::string& extraFolder,
                         const std::string& cacheFolder);

// The peak resident memory of the largest child this process has waited for, in bytes.
int64_t PeakChildMemory();

}  // namespace vantor::testing
