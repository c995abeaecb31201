#include "support/hostile_font.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vantor::testing {
namespace {

const std::string kFixtureFonts = std::string(VANTOR_BINARY_DIR) + "/fonts/files";
constexpr char kSourceFamily[] = "DejaVu Sans";

uint32_t ReadBig(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | bytes.at(at + i);
    return value;
}

void WriteBig16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes.at(at) = static_cast<uint8_t>(value >> 8);
    bytes.at(at + 1) = static_cast<uint8_t>(value);
}

size_t TableOffset(const std::vector<uint8_t>& font, const char* tag) {
    const uint32_t tables = ReadBig(font, 4, 2);
    for (size_t record = 12; record < 12 + 16 * tables; record += 16)
        if (std::memcmp(&font.at(record), tag, 4) == 0) return ReadBig(font, record + 8, 4);
    throw std::runtime_error(std::string("no table ") + tag);
}

// Every occurrence of `from` in the bytes, one byte or two (UTF-16BE) per character.
void ReplaceName(std::vector<uint8_t>& bytes, const std::string& from, const std::string& to,
                 int width) {
    std::vector<uint8_t> pattern, replacement;
    for (size_t i = 0; i < from.size(); ++i) {
        if (width == 2) pattern.push_back(0), replacement.push_back(0);
        pattern.push_back(static_cast<uint8_t>(from[i]));
        replacement.push_back(static_cast<uint8_t>(to[i]));
    }
    for (auto at = bytes.begin();
         (at = std::search(at, bytes.end(), pattern.begin(), pattern.end())) != bytes.end();)
        at = std::copy(replacement.begin(), replacement.end(), at);
}

}  // namespace

std::vector<uint8_t> HostileFont(int unitsPerEm, const std::string& family) {
    if (family.size() != std::strlen(kSourceFamily))
        throw std::invalid_argument("family name of the wrong length");
    std::ifstream in(kFixtureFonts + "/DejaVuSans.ttf", std::ios::binary);
    std::vector<uint8_t> font((std::istreambuf_iterator<char>(in)), {});
    const size_t head = TableOffset(font, "head"), os2 = TableOffset(font, "OS/2");
    WriteBig16(font, head + 18, static_cast<uint16_t>(unitsPerEm));
    WriteBig16(font, os2 + 2, 1);   // xAvgCharWidth
    WriteBig16(font, os2 + 74, 1);  // usWinAscent
    WriteBig16(font, os2 + 76, 0);  // usWinDescent
    const size_t name = TableOffset(font, "name");
    std::vector<uint8_t> names(font.begin() + static_cast<std::ptrdiff_t>(name), font.end());
    for (int width : {1, 2}) ReplaceName(names, kSourceFamily, family, width);
    std::copy(names.begin(), names.end(), font.begin() + static_cast<std::ptrdiff_t>(name));
    return font;
}

void WriteFontConfigWith(const std::string& path, const std::string& extraFolder,
                         const std::string& cacheFolder) {
    std::ofstream(path)
        << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << kFixtureFonts << "</dir>\n  <dir>"
        << extraFolder << "</dir>\n  <cachedir>" << cacheFolder << "</cachedir>\n"
        << "  <alias><family>sans</family><prefer><family>DejaVu Sans</family></prefer></alias>\n"
        << "</fontconfig>\n";
}

int64_t PeakChildMemory() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return int64_t(usage.ru_maxrss) * 1024;
}

}  // namespace vantor::testing
