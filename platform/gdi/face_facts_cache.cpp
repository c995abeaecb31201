#include "face_facts_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "replacing_write.h"

namespace vantor::platform {
namespace {

// The stamp of the file as stat found it, nothing when it found no regular file.
std::optional<FaceFactsCache::Stamp> StampFrom(int result, const struct stat& status) {
    if (result != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    auto nanoseconds = [](const timespec& time) {
        return int64_t(time.tv_sec) * 1000000000 + time.tv_nsec;
    };
    return FaceFactsCache::Stamp{uint64_t(status.st_size), nanoseconds(status.st_mtim),
                                 nanoseconds(status.st_ctim), uint64_t(status.st_ino)};
}

std::optional<FaceFactsCache::Stamp> StampOf(const std::string& path) {
    struct stat status {};
    return StampFrom(stat(path.c_str(), &status), status);
}

// A face's key in the file, "path#index", written into a buffer the caller keeps.
const std::string& SetFaceKey(std::string& key, const std::string& fontPath, int index) {
    key.assign(fontPath);
    key += '#';
    key += std::to_string(index);
    return key;
}

// The faces the last cache read in this process held, as it left them.
std::unique_ptr<FaceFactsCache::ReadFaces>& LastRead() {
    static auto* read = new std::unique_ptr<FaceFactsCache::ReadFaces>;
    return *read;
}

}  // namespace

FaceFactsCache::FaceFactsCache(std::string path, size_t mostKept)
    : path_(std::move(path)),
      mostKept_(std::min(mostKept, kMostKept)),
      read_(path_.empty() ? std::make_unique<ReadFaces>() : std::make_unique<ReadFaces>(path_)) {}

FaceFactsCache::~FaceFactsCache() {
    for (const auto& [folder, descriptor] : folders_)
        if (descriptor >= 0) close(descriptor);
    LastRead() = std::move(read_);
}

std::optional<FaceFactsCache::Stamp> FaceFactsCache::StampInFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return StampOf(path);
    folder_.assign(path, 0, slash);
    auto folder = folders_.find(folder_);
    if (folder == folders_.end()) {
        if (folders_.size() >= kMostFolders) return StampOf(path);
        folder = folders_.emplace(folder_, open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC))
                     .first;
    }
    if (folder->second < 0) return StampOf(path);
    struct stat status {};
    return StampFrom(fstatat(folder->second, path.c_str() + slash + 1, &status, 0), status);
}

std::optional<FaceFacts> FaceFactsCache::FactsOf(const std::string& fontPath, int index) {
    const std::string& key = SetFaceKey(key_, fontPath, index);
    // Stamped before the face is read: a file changed meanwhile is read again next time.
    const std::optional<Stamp> stamp = StampInFolder(fontPath);
    if (!stamp) return std::nullopt;
    const auto found = read_->file.Find(key, nextGuess_);
    if (found) nextGuess_ = found->first + 1;
    if (found && found->second.stamp == *stamp) {
        read_->vouched[found->first] = 1;
        return found->second.facts;
    }
    const std::shared_ptr<FontFace> face = OpenFontFace(fontPath, index);
    if (!face) return std::nullopt;
    changed_ = true;
    if (SoundFacts(face->facts)) {
        const Entry entry{*stamp, face->facts};
        const auto learnt = learntIndex_.find(key);
        if (learnt != learntIndex_.end()) {
            learnt_[learnt->second].entry = entry;
        } else {
            learnt_.push_back({key, entry});
            learntIndex_.emplace(learnt_.back().key, learnt_.size() - 1);
        }
    }
    return face->facts;
}

bool FaceFactsCache::Save() const {
    // Only what was learnt is worth a write: the order of the faces asked for is refreshed
    // with it, so a face is dropped only after many starts that learnt something new.
    if (path_.empty() || !changed_) return true;
    std::vector<std::pair<std::string_view, Entry>> kept;
    const FaceFactsFile& file = read_->file;
    kept.reserve(std::min(mostKept_, learnt_.size() + file.Count()));
    const auto keep = [&](std::string_view key, const Entry& entry) {
        if (kept.size() < mostKept_) kept.emplace_back(key, entry);
    };
    for (const Learnt& face : learnt_) keep(face.key, face.entry);
    // Then what the file held, the faces this start vouched for first; one that is not
    // sound (FaceAt refuses it) is not written again.
    for (const bool vouched : {true, false})
        for (uint32_t number = 0; number < file.Count(); ++number) {
            if ((read_->vouched[number] == 1) != vouched) continue;
            const auto face = file.FaceAt(number);
            if (face && !learntIndex_.contains(face->first)) keep(face->first, face->second);
        }
    return ReplaceCacheFile(path_, FaceFactsFile::Bytes(kept));
}

std::string FaceFactsCache::DefaultPath() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/vantor/face-facts";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache/vantor/face-facts";
    return "";
}

bool FoundUsableBefore(const std::string& fontPath, int index) {
    const std::unique_ptr<FaceFactsCache::ReadFaces>& read = LastRead();
    if (!read) return false;
    std::string key;
    const auto found = read->file.Find(SetFaceKey(key, fontPath, index));
    return found && read->vouched[found->first] == 1 && StampOf(fontPath) == found->second.stamp;
}

}  // namespace vantor::platform
