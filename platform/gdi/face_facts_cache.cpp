#include "face_facts_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>
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
    void PutText(std::string_view text) {
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
    // A view of the text where it lies in the bytes read.
    bool GetText(std::string_view* text) {
        uint32_t length = 0;
        if (!Get(&length) || length == 0 || length > kLongestPath || size_t(end_ - at_) < length)
            return Fail();
        *text = std::string_view(at_, length);
        at_ += length;
        return true;
    }
    // Where the next size bytes lie, passed over; null when fewer are left.
    const char* Skip(size_t size) {
        if (size_t(end_ - at_) < size) {
            Fail();
            return nullptr;
        }
        const char* skipped = at_;
        at_ += size;
        return skipped;
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

// A face's facts as the file lays them: fixed widths and no padding, so that a record is
// read in one piece.
struct FactsRecord {
    int32_t values[7];  // units per em, ascent, descent, average and box width, leading, weight
    uint8_t flags[3];   // italic, fixed pitch, symbol
    uint8_t family;
    uint32_t ranges[6];  // Unicode ranges, then code pages
};
static_assert(sizeof(FactsRecord) == 56, "the file's layout of a face's facts");

FactsRecord RecordOf(const FaceFacts& f) {
    return {{f.unitsPerEm, f.winAscent, f.winDescent, f.averageWidth, f.boxWidth, f.externalLeading,
             f.weight},
            {f.italic, f.fixedPitch, f.symbol},
            f.family,
            {f.unicodeRanges[0], f.unicodeRanges[1], f.unicodeRanges[2], f.unicodeRanges[3],
             f.codePages[0], f.codePages[1]}};
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

// The size of a face's record after its key: its stamp and its facts.
constexpr size_t kRecordSize = sizeof(FaceFactsCache::Stamp) + sizeof(FactsRecord);

bool GetFacts(Reader& in, FaceFacts* facts) {
    FactsRecord r;
    if (!in.Get(&r) || r.flags[0] > 1 || r.flags[1] > 1 || r.flags[2] > 1) return false;
    const int32_t* v = r.values;
    *facts = {v[0],
              v[1],
              v[2],
              v[3],
              v[4],
              v[5],
              v[6],
              r.flags[0] == 1,
              r.flags[1] == 1,
              r.flags[2] == 1,
              r.family,
              {r.ranges[0], r.ranges[1], r.ranges[2], r.ranges[3]},
              {r.ranges[4], r.ranges[5]}};
    return Sound(*facts);
}

using Entries = std::vector<std::pair<std::string_view, FaceFactsCache::Entry>>;

std::string Serialize(const Entries& entries) {
    Writer payload;
    payload.Put(static_cast<uint32_t>(entries.size()));
    for (const auto& [key, entry] : entries) {
        payload.PutText(key);
        payload.Put(entry.stamp);
        payload.Put(RecordOf(entry.facts));
    }
    Writer file;
    for (char c : kMagic) file.Put(c);
    file.Put(kFormat);
    file.Put(kSize);
    file.Put(Checksum(payload.Bytes().data(), payload.Bytes().size()));
    return file.Bytes() + payload.Bytes();
}

// The faces of a sound cache file, in its order, their keys views of its bytes; none for
// anything else.
std::vector<FaceFactsCache::Known> Parse(const char* bytes, size_t length) {
    Reader in(bytes, length);
    char magic[sizeof kMagic];
    uint32_t format = 0, size = 0, count = 0;
    uint64_t checksum = 0;
    for (char& c : magic)
        if (!in.Get(&c)) return {};
    if (std::memcmp(magic, kMagic, sizeof kMagic) != 0 || !in.Get(&format) || format != kFormat ||
        !in.Get(&size) || size != kSize || !in.Get(&checksum))
        return {};
    const size_t header = sizeof kMagic + 2 * sizeof(uint32_t) + sizeof checksum;
    if (Checksum(bytes + header, length - header) != checksum) return {};
    if (!in.Get(&count) || count > kMostEntries) return {};
    std::vector<FaceFactsCache::Known> faces(count);
    for (FaceFactsCache::Known& face : faces)
        if (!in.GetText(&face.key) || !(face.record = in.Skip(kRecordSize))) return {};
    if (!in.AtEnd()) return {};
    return faces;
}

// A face's stamp and facts where the file holds them; nothing when they are not sound.
std::optional<FaceFactsCache::Entry> EntryOf(const FaceFactsCache::Known& face) {
    Reader in(face.record, kRecordSize);
    FaceFactsCache::Entry entry;
    if (!in.Get(&entry.stamp) || !GetFacts(in, &entry.facts)) return std::nullopt;
    return entry;
}

// The whole file in one read, into memory not cleared first (a cache of thousands of faces
// is read on every start); false when it cannot be read.
bool ReadWhole(const std::string& path, std::unique_ptr<char[]>* bytes, size_t* size) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return false;
    struct stat status {};
    size_t done = 0;
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0) {
        *size = size_t(status.st_size);
        *bytes = std::make_unique_for_overwrite<char[]>(*size);
        while (done < *size) {
            const ssize_t got = read(descriptor, bytes->get() + done, *size - done);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            done += size_t(got);
        }
    }
    close(descriptor);
    return done > 0 && done == *size;
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

// The faces the last cache read in this process held, as it left them.
FaceFactsCache::ReadFaces& LastRead() {
    static auto* read = new FaceFactsCache::ReadFaces;
    return *read;
}

}  // namespace

FaceFactsCache::FaceFactsCache(std::string path, size_t mostKept)
    : path_(std::move(path)), mostKept_(mostKept) {
    if (path_.empty()) return;
    size_t size = 0;
    if (!ReadWhole(path_, &read_.bytes, &size)) return;
    read_.faces = Parse(read_.bytes.get(), size);
    read_.index.Build(read_.faces.size(), [&](size_t i) { return read_.faces[i].key; });
}

FaceFactsCache::~FaceFactsCache() {
    for (const auto& [folder, descriptor] : folders_)
        if (descriptor >= 0) close(descriptor);
    LastRead() = std::move(read_);
}

const FaceFactsCache::Known* FaceFactsCache::ReadFaces::Find(std::string_view key) const {
    const std::optional<size_t> at = index.Find(key, [&](size_t i) { return faces[i].key; });
    return at ? &faces[*at] : nullptr;
}

FaceFactsCache::Known* FaceFactsCache::ReadFaces::Find(std::string_view key) {
    return const_cast<Known*>(std::as_const(*this).Find(key));
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
    if (Known* known = read_.Find(key)) {
        const std::optional<Entry> entry = EntryOf(*known);
        if (entry && entry->stamp == *stamp) {
            known->vouched = true;
            return entry->facts;
        }
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
    kept.reserve(std::min(mostKept_, learnt_.size() + read_.faces.size()));
    const auto keep = [&](std::string_view key, const std::optional<Entry>& entry) {
        if (entry && kept.size() < mostKept_) kept.emplace_back(key, *entry);
    };
    for (const Learnt& face : learnt_) keep(face.key, face.entry);
    for (const Known& face : read_.faces)
        if (face.vouched) keep(face.key, EntryOf(face));
    // An unsound face the file held (EntryOf refuses it) is not written again.
    for (const Known& face : read_.faces)
        if (!face.vouched && !learntIndex_.contains(face.key)) keep(face.key, EntryOf(face));
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
    const FaceFactsCache::Known* face = LastRead().Find(fontPath + '#' + std::to_string(index));
    if (!face || !face->vouched) return false;
    const std::optional<FaceFactsCache::Entry> entry = EntryOf(*face);
    return entry && StampOf(fontPath) == entry->stamp;
}

}  // namespace vantor::platform
