// A file that replaces another only once it has been written in full. It is created
// under a fresh name in the target's directory (so that the final rename stays on one
// file system) and either renamed over the target by Commit or removed.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

class ReplacingFile {
public:
    explicit ReplacingFile(const std::filesystem::path& target);
    ~ReplacingFile();  // removes the temporary file unless Commit succeeded
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False when no temporary file could be created beside the target, or the target
    // exists without write permission.
    bool IsOpen() const { return stream_ != nullptr; }
    // Writes size bytes; false once any write has failed.
    bool Write(const void* data, std::size_t size);
    // Closes the stream and renames the file over the target. False, with the target
    // untouched, when a write, the close or the rename failed.
    bool Commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::unique_ptr<char[]> buffer_;  // the stream's; it outlives the stream
    std::FILE* stream_ = nullptr;
    bool failed_ = false;
    bool committed_ = false;
};
