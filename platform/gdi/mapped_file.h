// A cache file mapped read-only, whole. Cache files are only ever replaced by a rename
// (replacing_write.h), never rewritten in place: a mapping of a file cut short under it
// would fault.
#pragma once

#include <cstddef>
#include <string>

namespace vantor::platform {

class MappedFile {
public:
    MappedFile() = default;
    // Maps the regular file at path when its size lies within [shortest, longest]; else the
    // mapping is empty. With populate, its pages are read at once.
    MappedFile(const std::string& path, size_t shortest, size_t longest, bool populate);
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const char* data() const { return bytes_; }
    size_t size() const { return length_; }

private:
    const char* bytes_ = nullptr;  // the mapping, or null
    size_t length_ = 0;
};

}  // namespace vantor::platform
