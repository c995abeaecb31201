#include "surfaces/replacing_file.h"

#include <memory>
#include <random>
#include <string>
#include <system_error>

namespace {

constexpr int kNameAttempts = 16;
// A sheet is some 240 KB written row by row: with the stream's default buffer each row was
// two system calls.
constexpr size_t kStreamBuffer = size_t{1} << 16;

// "<name>.<random hex>.tmp" beside the target.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, uint32_t salt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(salt));
    std::filesystem::path name = target;
    name += suffix;
    return name;
}

// A target someone made read-only is theirs to keep: a plain overwrite would fail on it,
// while a rename over it would not.
bool MayReplace(const std::filesystem::path& target) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::symlink_status(target, error);
    if (error || status.type() == fs::file_type::not_found) return true;
    const fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & anyWrite) != fs::perms::none;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::filesystem::path& target) : target_(target) {
    if (!MayReplace(target_)) return;
    // Seeded once: opening the entropy source costs more than the names need.
    static std::minstd_rand names(std::random_device{}());
    for (int attempt = 0; attempt < kNameAttempts && stream_ == nullptr; ++attempt) {
        std::filesystem::path candidate = TemporaryNameFor(target_, static_cast<uint32_t>(names()));
        // "x": never open a file that already exists, be it ours or anyone else's.
        stream_ = std::fopen(candidate.string().c_str(), "wbx");
        if (stream_) temporary_ = candidate;
    }
    if (stream_) {
        buffer_ = std::make_unique<char[]>(kStreamBuffer);
        std::setvbuf(stream_, buffer_.get(), _IOFBF, kStreamBuffer);
    }
}

ReplacingFile::~ReplacingFile() {
    if (stream_) std::fclose(stream_);
    if (!committed_ && !temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
    }
}

bool ReplacingFile::Write(const void* data, std::size_t size) {
    if (stream_ == nullptr || failed_) return false;
    if (std::fwrite(data, 1, size, stream_) != size) failed_ = true;
    return !failed_;
}

bool ReplacingFile::Commit() {
    if (stream_ == nullptr) return false;
    // The close flushes what is buffered, so its failure is a failed write too.
    bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (failed_ || !closed) return false;
    std::error_code error;
    std::filesystem::rename(temporary_, target_, error);
    committed_ = !error;
    return committed_;
}
