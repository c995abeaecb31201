// What a start works out from fontconfig's font list, kept between starts under the list's key
// (FontListKey, font_config.h): the catalog's families in the order they are listed, each
// with the faces tried for it in turn and their English names, and every family name of
// every font with the font's place in fontconfig's sets, from which the family index is
// made. A warm start then lists and indexes thousands of fonts without reading a pattern.
//
// The file beside the face-facts cache keeps the digests of the few font lists seen last,
// the latest first, so that programs that see different font sets in turn each find theirs.
// A digest is checked whole (its key, its checksum, every count, length and place) before
// anything in it is used, and the file is only ever replaced whole.
//
// Layout, little-endian: the file is a magic, then each digest's length and bytes. A digest
// is its format, the key, the sizes of fontconfig's two sets, the counts of families, faces
// and names, then the families (name, face count), the faces (path, index, style, full
// name), the names (set, place, name), and a checksum of all that. A text is its length and
// its bytes, and holds no zero byte.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mapped_file.h"

namespace vantor::platform {

struct DigestFamily {
    std::string_view name;  // as GDI lists it
    uint32_t firstFace;     // its faces in faces(), nearest the regular style first
    uint32_t faceCount;     // at least 1
};

struct DigestFace {
    std::string_view path;
    int32_t index;
    std::string_view style;  // the English names, empty where the face has none
    std::string_view fullName;
};

struct DigestName {
    std::string_view name;  // one of the font's family names, as fontconfig keeps it
    uint8_t set;            // FcSetSystem or FcSetApplication
    uint32_t position;      // the font's place in that set
};

// The sizes of fontconfig's sets (system, application) the digest was made from.
struct FontSetSizes {
    uint32_t sizes[2] = {};
    bool operator==(const FontSetSizes&) const = default;
};

class FontListDigest {
public:
    // The digest in the bytes, when they are sound and were made under the key from sets of
    // those sizes; else null.
    static std::shared_ptr<const FontListDigest> FromBytes(std::string bytes, std::string_view key,
                                                           const FontSetSizes& sizes);
    // The digest kept for the key, as FromBytes reads it; null when none is.
    static std::shared_ptr<const FontListDigest> Kept(std::string_view key,
                                                      const FontSetSizes& sizes);
    // Keeps the digest's bytes first, in place of what was kept for its key; past the bound
    // the oldest go. False when the file could not be written.
    static bool Keep(std::string_view key, std::string_view bytes);

    const std::vector<DigestFamily>& families() const { return families_; }
    const std::vector<DigestFace>& faces() const { return faces_; }
    const std::vector<DigestName>& names() const { return names_; }
    // The family's faces, in the order they are tried.
    std::span<const DigestFace> FacesOf(const DigestFamily& family) const {
        return std::span(faces_).subspan(family.firstFace, family.faceCount);
    }

private:
    FontListDigest() = default;
    bool Read(std::string_view key, const FontSetSizes& sizes);

    MappedFile mapping_;  // the bytes lie in the file mapped, or in owned_
    std::string owned_;
    std::string_view bytes_;
    std::vector<DigestFamily> families_;
    std::vector<DigestFace> faces_;
    std::vector<DigestName> names_;
};

// Writes a digest's bytes: the families with their faces, then the names, in their order.
class FontListWriter {
public:
    FontListWriter(std::string_view key, const FontSetSizes& sizes);
    // A family, then its faces: each face belongs to the family added last.
    void AddFamily(std::string_view name);
    void AddFace(std::string_view path, int32_t index, std::string_view style,
                 std::string_view fullName);
    void AddName(std::string_view name, uint8_t set, uint32_t position);
    // The file's bytes; families left without a face are dropped.
    std::string Finish();

private:
    std::string key_;
    FontSetSizes sizes_;
    std::string families_, faces_, names_;  // each section's records, written as they come
    uint32_t familyCount_ = 0, faceCount_ = 0, nameCount_ = 0;
    std::string familyName_;    // of the family whose faces are being added
    uint32_t familyFaces_ = 0;  // and how many it has so far
    void EndFamily();
};

}  // namespace vantor::platform
