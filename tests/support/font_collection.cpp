#include "support/font_collection.h"

#include <algorithm>
#include <iterator>

namespace vantor::testing {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Be(const Bytes& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | bytes.at(at + i);
    return value;
}
void PutBe(Bytes& bytes, uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}
void PadToFour(Bytes& bytes) {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
}

// A naming table with the family, style, full and PostScript names, in UTF-16BE for the
// Windows platform in US English.
Bytes NamingTable(const std::string& family) {
    std::string postScript = family;
    postScript.erase(std::remove(postScript.begin(), postScript.end(), ' '), postScript.end());
    const std::pair<int, std::string> names[] = {
        {1, family}, {2, "Book"}, {4, family}, {6, postScript}};
    Bytes table, strings;
    PutBe(table, 0, 2);
    PutBe(table, std::size(names), 2);
    PutBe(table, 6 + 12 * std::size(names), 2);
    for (const auto& [id, text] : names) {
        PutBe(table, 3, 2);
        PutBe(table, 1, 2);
        PutBe(table, 0x409, 2);
        PutBe(table, id, 2);
        PutBe(table, 2 * text.size(), 2);
        PutBe(table, strings.size(), 2);
        for (char c : text) PutBe(strings, static_cast<uint8_t>(c), 2);
    }
    table.insert(table.end(), strings.begin(), strings.end());
    return table;
}

struct TableRecord {
    uint32_t tag, offset, length;
};

}  // namespace

Bytes FontCollection(const Bytes& font, const std::vector<std::string>& families) {
    const uint32_t version = Be(font, 0, 4);
    const int tableCount = static_cast<int>(Be(font, 4, 2));
    std::vector<TableRecord> tables;
    for (int i = 0; i < tableCount; ++i)
        tables.push_back({Be(font, 12 + 16 * i, 4), Be(font, 12 + 16 * i + 8, 4),
                          Be(font, 12 + 16 * i + 12, 4)});

    std::vector<Bytes> namings;
    for (const std::string& family : families) namings.push_back(NamingTable(family));
    const uint32_t directorySize = 12 + 16 * tableCount;
    uint32_t at = 12 + 4 * families.size();
    std::vector<uint32_t> faceOffsets;
    for (const Bytes& naming : namings) {
        faceOffsets.push_back(at);
        at += directorySize + (naming.size() + 3) / 4 * 4;
    }
    std::vector<uint32_t> sharedOffsets;
    for (const TableRecord& table : tables) {
        sharedOffsets.push_back(at);
        at += (table.length + 3) / 4 * 4;
    }

    Bytes out;
    PutBe(out, 0x74746366, 4);  // "ttcf"
    PutBe(out, 0x00010000, 4);
    PutBe(out, families.size(), 4);
    for (uint32_t offset : faceOffsets) PutBe(out, offset, 4);
    for (size_t face = 0; face < families.size(); ++face) {
        PutBe(out, version, 4);
        out.insert(out.end(), font.begin() + 4, font.begin() + 12);  // table count, search hints
        for (int i = 0; i < tableCount; ++i) {
            const bool naming = tables[i].tag == 0x6E616D65;  // "name"
            PutBe(out, tables[i].tag, 4);
            PutBe(out, 0, 4);
            PutBe(out, naming ? faceOffsets[face] + directorySize : sharedOffsets[i], 4);
            PutBe(out, naming ? namings[face].size() : tables[i].length, 4);
        }
        out.insert(out.end(), namings[face].begin(), namings[face].end());
        PadToFour(out);
    }
    for (const TableRecord& table : tables) {
        out.insert(out.end(), font.begin() + table.offset,
                   font.begin() + table.offset + table.length);
        PadToFour(out);
    }
    return out;
}

}  // namespace vantor::testing
