// The facts of the faces the font catalog describes, kept on disk between runs, so that a
// start need not open every font file to work out its metrics (beside the other font
// caches: font_cache.h).
//
// Each face's facts are kept with the stamp of its file (size, modification and change
// times, inode): a file that was rewritten, touched or replaced under the same name no
// longer matches, and its face is opened again. The cache file is checked before anything
// in it is used (magic, format, checksum, every length and every value in a sound range);
// a file that fails is ignored and replaced, never trusted. It replaces the old file only
// once whole (replacing_write.h), so a reader sees the old file or the new one.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "font_metrics.h"

namespace vantor::platform {

class FaceFactsCache {
public:
    // Reads the cache file at path ("" for none); anything unsound reads as an empty cache.
    explicit FaceFactsCache(std::string path);

    // The face's facts: from the cache while its file is unchanged, else read from the face
    // itself. Nothing when the face cannot be used (its file is then tried on every start).
    std::optional<FaceFacts> FactsOf(const std::string& fontPath, int index);

    // Writes the facts asked for since the cache was read, when they differ from what the
    // file held. False when the file could not be written.
    bool Save() const;

    // Where the cache lives: under $XDG_CACHE_HOME, else ~/.cache; "" when neither is set.
    static std::string DefaultPath();

    struct Stamp {
        uint64_t size = 0;
        int64_t modified = 0;  // nanoseconds
        int64_t changed = 0;   // nanoseconds
        uint64_t inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        Stamp stamp;
        FaceFacts facts;
    };

private:
    std::string path_;
    std::map<std::string, Entry> read_;  // what the file held, by font path and face index
    std::map<std::string, Entry> asked_;
    bool changed_ = false;
};

// Whether the face at path and index was found usable by an earlier start, as the cache
// read in this process says, and its file still has the stamp it had then: such a face
// need not be tried again (its glyphs loaded) before it is used.
bool FoundUsableBefore(const std::string& fontPath, int index);

}  // namespace vantor::platform
