#include "face_facts_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "replacing_write.h"

namespace vantor::platform {
namespace {

constexpr char kMagic[8] = {'V', 'N', 'T', 'F', 'A', 'C', 'E', 'S'};
// The format, and the size the catalog describes faces at: either changing makes old files stale.
constexpr uint32_t kFormat = 2;
constexpr uint32_t kSize = static_cast<uint32_t>(kEnumerationPixelsPerEm);
constexpr uint32_t kMostEntries = 1 << 20;
constexpr uint32_t kLongestPath = 4096;

uint64_t Checksum(const char* data, size_t size) {
    uint64_t hash = 0xCBF29CE484222325ull;  // FNV-1a
    for (size_t i = 0; i < size; ++i)
        hash = (hash ^ static_cast<uint8_t>(data[i])) * 0x100000001B3ull;
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

std::string Serialize(const std::map<std::string, FaceFactsCache::Entry>& entries) {
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

// The entries of a sound cache file; empty for anything else.
std::map<std::string, FaceFactsCache::Entry> Parse(const std::string& bytes) {
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
    std::map<std::string, FaceFactsCache::Entry> entries;
    for (uint32_t i = 0; i < count; ++i) {
        std::string key;
        FaceFactsCache::Entry entry;
        if (!in.GetText(&key) || !in.Get(&entry.stamp) || !GetFacts(in, &entry.facts)) return {};
        entries[key] = entry;
    }
    if (!in.AtEnd()) return {};
    return entries;
}

std::optional<FaceFactsCache::Stamp> StampOf(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
    auto nanoseconds = [](const timespec& time) {
        return int64_t(time.tv_sec) * 1000000000 + time.tv_nsec;
    };
    return FaceFactsCache::Stamp{uint64_t(status.st_size), nanoseconds(status.st_mtim),
                                 nanoseconds(status.st_ctim), uint64_t(status.st_ino)};
}

// Writes the bytes, readable by the user alone, in place of the file at path.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    return WriteReplacing(path, 0600, [&](std::FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}

// The faces the caches read in this process found usable, with their files' stamps.
std::map<std::string, FaceFactsCache::Stamp>& UsableBefore() {
    static auto* faces = new std::map<std::string, FaceFactsCache::Stamp>;
    return *faces;
}

std::string KeyOf(const std::string& fontPath, int index) {
    return fontPath + '#' + std::to_string(index);
}

}  // namespace

FaceFactsCache::FaceFactsCache(std::string path) : path_(std::move(path)) {
    if (path_.empty()) return;
    std::ifstream file(path_, std::ios::binary);
    if (!file) return;
    read_ =
        Parse(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

std::optional<FaceFacts> FaceFactsCache::FactsOf(const std::string& fontPath, int index) {
    const std::string key = KeyOf(fontPath, index);
    // Stamped before the face is read: a file changed meanwhile is read again next time.
    const std::optional<Stamp> stamp = StampOf(fontPath);
    if (!stamp) return std::nullopt;
    const auto known = read_.find(key);
    if (known != read_.end() && known->second.stamp == *stamp) {
        asked_[key] = known->second;
        UsableBefore()[key] = *stamp;
        return known->second.facts;
    }
    const std::shared_ptr<FontFace> face = OpenFontFace(fontPath, index);
    if (!face) return std::nullopt;
    changed_ = true;
    if (Sound(face->facts)) asked_[key] = {*stamp, face->facts};
    return face->facts;
}

bool FaceFactsCache::Save() const {
    if (path_.empty() || (!changed_ && asked_.size() == read_.size())) return true;
    return ReplaceFile(path_, Serialize(asked_));
}

std::string FaceFactsCache::DefaultPath() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && cache[0] == '/') return std::string(cache) + "/vantor/face-facts";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache/vantor/face-facts";
    return "";
}

bool FoundUsableBefore(const std::string& fontPath, int index) {
    const auto found = UsableBefore().find(KeyOf(fontPath, index));
    return found != UsableBefore().end() && StampOf(fontPath) == found->second;
}

}  // namespace vantor::platform
