// The file the face-facts cache (face_facts_cache.h) keeps between starts, made so that a
// start pays for the faces it asks for, not for the thousands the file may hold for other
// font sets: the file is mapped, not read, and a face is found through an index the file
// carries, checked when it is used.
//
// Layout, little-endian: a header (magic, format, the size faces are described at, the
// number of faces, of index slots, and the file's length); the index, open-addressed slots
// of (top half of the key's hash, face number + 1); each face's offset; then the faces in
// the order they were written, each its key's length and bytes, the stamp of its font file,
// its facts and a checksum of all of that. Every offset, length and value is checked when
// it is read, and anything unsound reads as a face the file does not hold. The file is only
// ever replaced whole, by a rename (replacing_write.h), never rewritten in place: a mapping
// of a file cut short under it would fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "font_faces.h"
#include "mapped_file.h"

namespace vantor::platform {

// What tells a font file from the one a face was read from.
struct FaceStamp {
    uint64_t size = 0;
    int64_t modified = 0;  // nanoseconds
    int64_t changed = 0;   // nanoseconds
    uint64_t inode = 0;
    bool operator==(const FaceStamp&) const = default;
};

struct FaceEntry {
    FaceStamp stamp;
    FaceFacts facts;
};

// Whether the facts are as the face reading makes them: every value within what a font can say.
bool SoundFacts(const FaceFacts& facts);

class FaceFactsFile {
public:
    // Maps the file at path; a file that is missing, unreadable or not sound holds no face.
    explicit FaceFactsFile(const std::string& path);
    FaceFactsFile() = default;
    FaceFactsFile(const FaceFactsFile&) = delete;
    FaceFactsFile& operator=(const FaceFactsFile&) = delete;

    // How many faces the file says it holds; some may read as unsound.
    uint32_t Count() const { return count_; }
    // The number and entry of the face with the key; nothing when the file holds none sound.
    // The face numbered guess is tried before the index: a start asks for its faces in the
    // order the file keeps them, and the one after the last found then costs no probe of
    // the index, whose slots lie anywhere in the file.
    std::optional<std::pair<uint32_t, FaceEntry>> Find(std::string_view key,
                                                       uint32_t guess = UINT32_MAX) const;
    // The face's key and entry; nothing when they are not sound.
    std::optional<std::pair<std::string_view, FaceEntry>> FaceAt(uint32_t number) const;

    // The bytes of a file holding the faces, in their order.
    static std::string Bytes(const std::vector<std::pair<std::string_view, FaceEntry>>& faces);

private:
    // Takes the counts from a header that is sound and whose tables lie in the file.
    bool ReadHeader();
    // The face's key, not yet checked against its checksum (FaceAt checks it); empty when
    // the face's offset or key does not lie in the file. The face's bytes start just before.
    std::string_view KeyAt(uint32_t number) const;

    MappedFile mapping_;
    uint32_t count_ = 0;
    uint32_t slots_ = 0;
};

}  // namespace vantor::platform
