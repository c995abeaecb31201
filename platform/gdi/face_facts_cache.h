// The facts of the faces the font catalog describes, kept on disk between runs, so that a
// start need not open every font file to work out its metrics (beside the other font
// caches: font_cache.h).
//
// Each face's facts are kept with the stamp of its file (size, modification and change
// times, inode): a file that was rewritten, touched or replaced under the same name no
// longer matches, and its face is opened again. Nothing in the file is trusted before it is
// checked (face_facts_file.h): a face that is not sound is read from the face itself and
// not written again, and a file that is not sound holds no face and is replaced. The file
// replaces the old one only once whole (replacing_write.h), so a reader sees the old file
// or the new one.
//
// The file is not one font set's: what a start learns is added to what the file held, the
// faces of the start first, so a machine whose programs see different font sets (two
// fontconfig files used in turn) finds every set warm. It holds a bounded number of faces;
// past the bound, those no start has asked for the longest are dropped.
#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "face_facts_file.h"
#include "font_metrics.h"

namespace vantor::platform {

class FaceFactsCache {
public:
    // Faces kept at most: a desktop's set, a set of thousands and more besides.
    static constexpr size_t kMostKept = 16384;

    // Reads the cache file at path ("" for none); anything unsound reads as an empty cache.
    // The file it saves keeps at most mostKept faces.
    explicit FaceFactsCache(std::string path, size_t mostKept = kMostKept);
    // Leaves the faces it vouched for to FoundUsableBefore.
    ~FaceFactsCache();
    FaceFactsCache(const FaceFactsCache&) = delete;
    FaceFactsCache& operator=(const FaceFactsCache&) = delete;

    // The face's facts: from the cache while its file is unchanged, else read from the face
    // itself. Nothing when the face cannot be used (its file is then tried on every start).
    std::optional<FaceFacts> FactsOf(const std::string& fontPath, int index);

    // When a face had to be read, writes the facts asked for since the cache was read, then
    // the rest of what the file held, in its order, up to the bound. False when the file
    // could not be written.
    bool Save() const;

    // Where the cache lives: under $XDG_CACHE_HOME, else ~/.cache; "" when neither is set.
    static std::string DefaultPath();

    using Stamp = FaceStamp;
    using Entry = FaceEntry;

    // The file as read, and which of its faces this start asked for and found unchanged.
    struct ReadFaces {
        ReadFaces() = default;
        explicit ReadFaces(const std::string& path) : file(path), vouched(file.Count(), 0) {}
        FaceFactsFile file;
        std::vector<uint8_t> vouched;  // by face number
    };

private:
    // The file's stamp, looked up in its folder, opened once: a start stamps every font
    // file, and so each stamp walks only the file's own name.
    std::optional<Stamp> StampInFolder(const std::string& path);
    static constexpr size_t kMostFolders = 256;

    std::string path_;
    size_t mostKept_;
    std::string key_;     // the key of the face asked for, in a buffer kept between calls
    std::string folder_;  // the folder's path, in a buffer kept between calls
    std::unordered_map<std::string, int> folders_;  // descriptors, -1 where none opened
    std::unique_ptr<ReadFaces> read_;
    uint32_t nextGuess_ = 0;  // the face after the last one found: the file keeps a set's
                              // faces in the order a start asks for them
    struct Learnt {
        std::string key;
        Entry entry;
    };
    std::deque<Learnt> learnt_;  // read from the faces themselves, in the order asked; a
                                 // deque, whose elements stay put as it grows
    std::unordered_map<std::string_view, size_t> learntIndex_;  // views of Learnt::key
    bool changed_ = false;
};

// Whether the face at path and index was found usable by an earlier start, as the cache
// read in this process says, and its file still has the stamp it had then: such a face
// need not be tried again (its glyphs loaded) before it is used.
bool FoundUsableBefore(const std::string& fontPath, int index);

}  // namespace vantor::platform
