#include "face_facts_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "replacing_write.h"

namespace vantor::platform {
namespace {

constexpr char kMagic[8] = {'V', 'N', 'T', 'F', 'A', 'C', 'E', 'S'};
// The format, and the size the catalog describes faces at: either changing makes old files stale.
constexpr uint32_t kFormat = 3;
constexpr uint32_t kSize = static_cast<uint32_t>(kEnumerationPixelsPerEm);
constexpr uint32_t kMostEntries = 1 << 20;
constexpr uint32_t kLongestPath = 4096;

// FNV-1a over eight bytes at a time, then the rest byte by byte: a cache of thousands of
// faces is checked on every start, and one multiplication per byte was a millisecond.
uint64_t Checksum(const char* data, size_t size) {
    constexpr uint64_t kPrime = 0x100000001B3ull;
    uint64_t hash = 0xCBF29CE484222325ull;
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        hash = (hash ^ word) * kPrime;
    }
    for (; i < size; ++i) hash = (hash ^ static_cast<uint8_t>(data[i])) * kPrime;
    return hash;
}

class Writer {
public:
    template <typename T>
    void Put(T value) {
        bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void PutText(const std::string& text) {
        Put(static_cast<uint32_t>(text.size()));
        bytes_ += text;
    }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

// Reads values in turn; once a read would run past the end every later read fails too.
class Reader {
public:
    Reader(const char* data, size_t size) : at_(data), end_(data + size) {}
    template <typename T>
    bool Get(T* value) {
        if (size_t(end_ - at_) < sizeof *value) return Fail();
        std::memcpy(value, at_, sizeof *value);
        at_ += sizeof *value;
        return true;
    }
    bool GetText(std::string* text) {
        uint32_t length = 0;
        if (!Get(&length) || length == 0 || length > kLongestPath || size_t(end_ - at_) < length)
            return Fail();
        text->assign(at_, length);
        at_ += length;
        return true;
    }
    bool AtEnd() const { return at_ == end_; }

private:
    bool Fail() {
        at_ = end_;
        return false;
    }
    const char* at_;
    const char* end_;
};

void PutFacts(Writer& out, const FaceFacts& facts) {
    for (int value : {facts.unitsPerEm, facts.winAscent, facts.winDescent, facts.averageWidth,
                      facts.boxWidth, facts.externalLeading, facts.weight})
        out.Put(static_cast<int32_t>(value));
    for (bool flag : {facts.italic, facts.fixedPitch, facts.symbol})
        out.Put(static_cast<uint8_t>(flag));
    out.Put(facts.family);
    for (DWORD range : facts.unicodeRanges) out.Put(static_cast<uint32_t>(range));
    for (DWORD pages : facts.codePages) out.Put(static_cast<uint32_t>(pages));
}

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// The facts as the face reading makes them: every value within what a font can say.
bool Sound(const FaceFacts& f) {
    return InRange(f.unitsPerEm, 1, 65535) && InRange(f.winAscent, 0, 65535) &&
           InRange(f.winDescent, 0, 65535) && f.winAscent + f.winDescent > 0 &&
           InRange(f.averageWidth, 1, 65535) && InRange(f.boxWidth, 0, 65535) &&
           InRange(f.externalLeading, 0, 2 * 65535) && InRange(f.weight, 1, 1000) &&
           f.family <= FF_DECORATIVE && (f.family & 0xF) == 0 && f.codePages[0] != 0;
}

bool GetFacts(Reader& in, FaceFacts* facts) {
    int32_t values[7];
    uint8_t flags[3];
    uint32_t ranges[6];
    for (int32_t& value : values)
        if (!in.Get(&value)) return false;
    for (uint8_t& flag : flags)
        if (!in.Get(&flag) || flag > 1) return false;
    if (!in.Get(&facts->family)) return false;
    for (uint32_t& range : ranges)
        if (!in.Get(&range)) return false;
    *facts = {values[0],
              values[1],
              values[2],
              values[3],
              values[4],
              values[5],
              values[6],
              flags[0] == 1,
              flags[1] == 1,
              flags[2] == 1,
              facts->family,
              {ranges[0], ranges[1], ranges[2], ranges[3]},
              {ranges[4], ranges[5]}};
    return Sound(*facts);
}

using Entries = std::vector<std::pair<std::string, FaceFactsCache::Entry>>;

std::string Serialize(const Entries& entries) {
    Writer payload;
    payload.Put(static_cast<uint32_t>(entries.size()));
    for (const auto& [key, entry] : entries) {
        payload.PutText(key);
        payload.Put(entry.stamp);
        PutFacts(payload, entry.facts);
    }
    Writer file;
    for (char c : kMagic) file.Put(c);
    file.Put(kFormat);
    file.Put(kSize);
    file.Put(Checksum(payload.Bytes().data(), payload.Bytes().size()));
    return file.Bytes() + payload.Bytes();
}

// The entries of a sound cache file, in its order; empty for anything else.
Entries Parse(const std::string& bytes) {
    Reader in(bytes.data(), bytes.size());
    char magic[sizeof kMagic];
    uint32_t format = 0, size = 0, count = 0;
    uint64_t checksum = 0;
    for (char& c : magic)
        if (!in.Get(&c)) return {};
    if (std::memcmp(magic, kMagic, sizeof kMagic) != 0 || !in.Get(&format) || format != kFormat ||
        !in.Get(&size) || size != kSize || !in.Get(&checksum))
        return {};
    const size_t header = sizeof kMagic + 2 * sizeof(uint32_t) + sizeof checksum;
    if (Checksum(bytes.data() + header, bytes.size() - header) != checksum) return {};
    if (!in.Get(&count) || count > kMostEntries) return {};
    Entries entries(count);
    for (auto& [key, entry] : entries)
        if (!in.GetText(&key) || !in.Get(&entry.stamp) || !GetFacts(in, &entry.facts)) return {};
    if (!in.AtEnd()) return {};
    return entries;
}

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

// Writes the bytes, readable by the user alone, in place of the file at path.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteReplacing(path, 0600, [&](std::FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}

// The faces the last cache read in this process vouched for, as it left them.
struct Vouched {
    std::vector<FaceFactsCache::Known> faces;
    FaceFactsCache::Index index;
};
Vouched& LastVouched() {
    static auto* vouched = new Vouched;
    return *vouched;
}

}  // namespace

FaceFactsCache::FaceFactsCache(std::string path, size_t mostKept)
    : path_(std::move(path)), mostKept_(mostKept) {
    if (path_.empty()) return;
    std::ifstream file(path_, std::ios::binary | std::ios::ate);
    if (!file) return;
    // Read in one piece: a character at a time took as long as the rest of the reading.
    std::string bytes(size_t(std::max<std::streamoff>(file.tellg(), 0)), '\0');
    file.seekg(0);
    if (!file.read(bytes.data(), std::streamsize(bytes.size()))) return;
    Entries entries = Parse(bytes);
    read_.reserve(entries.size());
    readIndex_.reserve(entries.size());
    for (auto& [key, entry] : entries) read_.push_back({std::move(key), entry});
    // The views are taken once the vector is whole: its elements no longer move.
    for (size_t i = 0; i < read_.size(); ++i) readIndex_.emplace(read_[i].key, i);
}

FaceFactsCache::~FaceFactsCache() {
    for (const auto& [folder, descriptor] : folders_)
        if (descriptor >= 0) close(descriptor);
    // A vector's elements stay where they are when it is moved, so the index's views too.
    LastVouched() = {std::move(read_), std::move(readIndex_)};
}

std::optional<FaceFactsCache::Stamp> FaceFactsCache::StampInFolder(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return StampOf(path);
    folder_.assign(path, 0, slash);
    auto folder = folders_.find(folder_);
    if (folder == folders_.end()) {
        if (folders_.size() >= kMostFolders) return StampOf(path);
        folder = folders_.emplace(folder_, open(folder_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)).first;
    }
    if (folder->second < 0) return StampOf(path);
    struct stat status {};
    return StampFrom(fstatat(folder->second, path.c_str() + slash + 1, &status, 0), status);
}

const std::string& FaceFactsCache::KeyOf(const std::string& fontPath, int index) {
    key_.assign(fontPath);
    key_ += '#';
    key_ += std::to_string(index);
    return key_;
}

std::optional<FaceFacts> FaceFactsCache::FactsOf(const std::string& fontPath, int index) {
    const std::string& key = KeyOf(fontPath, index);
    // Stamped before the face is read: a file changed meanwhile is read again next time.
    const std::optional<Stamp> stamp = StampInFolder(fontPath);
    if (!stamp) return std::nullopt;
    const auto known = readIndex_.find(key);
    if (known != readIndex_.end() && read_[known->second].entry.stamp == *stamp) {
        read_[known->second].vouched = true;
        return read_[known->second].entry.facts;
    }
    const std::shared_ptr<FontFace> face = OpenFontFace(fontPath, index);
    if (!face) return std::nullopt;
    changed_ = true;
    if (Sound(face->facts)) {
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
    Entries kept;
    kept.reserve(std::min(mostKept_, learnt_.size() + read_.size()));
    const auto keep = [&](const Known& face) {
        if (kept.size() < mostKept_) kept.emplace_back(face.key, face.entry);
    };
    for (const Known& face : learnt_) keep(face);
    for (const Known& face : read_)
        if (face.vouched) keep(face);
    for (const Known& face : read_)
        if (!face.vouched && !learntIndex_.contains(face.key)) keep(face);
    return ReplaceFile(path_, Serialize(kept));
}

std::string FaceFactsCache::DefaultPath() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/vantor/face-facts";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache/vantor/face-facts";
    return "";
}

bool FoundUsableBefore(const std::string& fontPath, int index) {
    const Vouched& vouched = LastVouched();
    const auto found = vouched.index.find(fontPath + '#' + std::to_string(index));
    if (found == vouched.index.end()) return false;
    const FaceFactsCache::Known& face = vouched.faces[found->second];
    return face.vouched && StampOf(fontPath) == face.entry.stamp;
}

}  // namespace vantor::platform
