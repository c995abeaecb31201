#include "face_facts_file.h"

#include <cstring>

#include "cache_bytes.h"
#include "font_metrics.h"

namespace vantor::platform {
namespace {

constexpr char kMagic[8] = {'V', 'N', 'T', 'F', 'A', 'C', 'E', 'S'};
// The format, and the size the catalog describes faces at: either changing makes old files stale.
constexpr uint32_t kFormat = 4;
constexpr uint32_t kSize = static_cast<uint32_t>(kEnumerationPixelsPerEm);
constexpr uint32_t kMostFaces = 1 << 20;
constexpr uint32_t kLongestKey = 4096;
// Far above what a bounded cache writes (some 70 MB at most): a larger file is not mapped.
constexpr size_t kLongestFile = size_t(1) << 28;

struct Header {
    char magic[8];
    uint32_t format;
    uint32_t size;
    uint32_t count;
    uint32_t slots;
    uint64_t length;
};
static_assert(sizeof(Header) == 32, "the file's layout of its header");

struct Slot {
    uint32_t check;   // the top half of the key's hash
    uint32_t number;  // the face's number + 1; 0 for an empty slot
};

// A face's facts as the file lays them: fixed widths and no padding.
struct FactsRecord {
    int32_t values[7];  // units per em, ascent, descent, average and box width, leading, weight
    uint8_t flags[3];   // italic, fixed pitch, symbol
    uint8_t family;
    uint32_t ranges[6];  // Unicode ranges, then code pages
};
static_assert(sizeof(FactsRecord) == 56, "the file's layout of a face's facts");

// A face after its key: the stamp, the facts, and the checksum of the key's length, the key
// and these two.
constexpr size_t kFaceTail = sizeof(FaceStamp) + sizeof(FactsRecord) + sizeof(uint64_t);

// A key's hash: FNV mixes the low bits of eight-byte words poorly, and the index is taken
// from the low bits, so its result is stirred once more (the 64-bit finalizer of MurmurHash3).
uint64_t KeyHash(std::string_view key) {
    uint64_t hash = CacheChecksum(key.data(), key.size());
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 33;
    hash *= 0xC4CEB9FE1A85EC53ull;
    return hash ^ (hash >> 33);
}

uint32_t CheckOf(uint64_t hash) { return static_cast<uint32_t>(hash >> 32); }

FactsRecord RecordOf(const FaceFacts& f) {
    return {{f.unitsPerEm, f.winAscent, f.winDescent, f.averageWidth, f.boxWidth, f.externalLeading,
             f.weight},
            {f.italic, f.fixedPitch, f.symbol},
            f.family,
            {f.unicodeRanges[0], f.unicodeRanges[1], f.unicodeRanges[2], f.unicodeRanges[3],
             f.codePages[0], f.codePages[1]}};
}

std::optional<FaceFacts> FactsOf(const FactsRecord& r) {
    if (r.flags[0] > 1 || r.flags[1] > 1 || r.flags[2] > 1) return std::nullopt;
    const int32_t* v = r.values;
    const FaceFacts facts{v[0],
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
    if (!SoundFacts(facts)) return std::nullopt;
    return facts;
}

bool InRange(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// The number of index slots for a count of faces: a power of two, at least twice the count.
uint32_t SlotsFor(size_t count) {
    uint32_t slots = 16;
    while (slots < 2 * count) slots *= 2;
    return slots;
}

template <typename T>
T Read(const char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

bool SoundFacts(const FaceFacts& f) {
    return InRange(f.unitsPerEm, 1, 65535) && InRange(f.winAscent, 0, 65535) &&
           InRange(f.winDescent, 0, 65535) && f.winAscent + f.winDescent > 0 &&
           InRange(f.averageWidth, 1, 65535) && InRange(f.boxWidth, 0, 65535) &&
           InRange(f.externalLeading, 0, 2 * 65535) && InRange(f.weight, 1, 1000) &&
           f.family <= FF_DECORATIVE && (f.family & 0xF) == 0 && f.codePages[0] != 0;
}

FaceFactsFile::FaceFactsFile(const std::string& path)
    // Mapped with its pages at once: a start that asks for every face reads them all.
    : mapping_(path, sizeof(Header), kLongestFile, true) {
    if (mapping_.data() && !ReadHeader()) count_ = slots_ = 0;
}

bool FaceFactsFile::ReadHeader() {
    const Header header = Read<Header>(mapping_.data());
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.format != kFormat ||
        header.size != kSize || header.length != mapping_.size() || header.count > kMostFaces ||
        header.slots != SlotsFor(header.count))
        return false;
    const size_t tables = sizeof(Header) + size_t(header.slots) * sizeof(Slot) +
                          size_t(header.count) * sizeof(uint32_t);
    if (tables > mapping_.size()) return false;
    count_ = header.count;
    slots_ = header.slots;
    return true;
}

std::optional<std::pair<uint32_t, FaceEntry>> FaceFactsFile::Find(std::string_view key,
                                                                  uint32_t guess) const {
    if (KeyAt(guess) == key)
        if (const auto face = FaceAt(guess)) return std::pair{guess, face->second};
    if (count_ == 0) return std::nullopt;
    const uint64_t hash = KeyHash(key);
    const char* slots = mapping_.data() + sizeof(Header);
    // At most every slot once: a file whose index is full finds nothing, it does not loop.
    for (uint32_t probe = 0, at = uint32_t(hash) & (slots_ - 1); probe < slots_;
         ++probe, at = (at + 1) & (slots_ - 1)) {
        const Slot slot = Read<Slot>(slots + size_t(at) * sizeof(Slot));
        if (slot.number == 0) return std::nullopt;
        if (slot.check != CheckOf(hash) || slot.number > count_) continue;
        const auto face = FaceAt(slot.number - 1);
        if (face && face->first == key) return std::pair{slot.number - 1, face->second};
    }
    return std::nullopt;
}

std::string_view FaceFactsFile::KeyAt(uint32_t number) const {
    if (number >= count_) return {};
    const char* bytes = mapping_.data();
    const size_t length = mapping_.size();
    const char* offsets = bytes + sizeof(Header) + size_t(slots_) * sizeof(Slot);
    const size_t offset = Read<uint32_t>(offsets + size_t(number) * sizeof(uint32_t));
    if (offset > length || length - offset < sizeof(uint32_t) + kFaceTail) return {};
    const uint32_t keyLength = Read<uint32_t>(bytes + offset);
    if (keyLength == 0 || keyLength > kLongestKey ||
        length - offset - sizeof(uint32_t) - kFaceTail < keyLength)
        return {};
    return std::string_view(bytes + offset + sizeof(uint32_t), keyLength);
}

std::optional<std::pair<std::string_view, FaceEntry>> FaceFactsFile::FaceAt(uint32_t number) const {
    const std::string_view key = KeyAt(number);
    if (key.empty()) return std::nullopt;
    const char* face = key.data() - sizeof(uint32_t);
    const char* stamp = key.data() + key.size();
    const char* facts = stamp + sizeof(FaceStamp);
    const char* checksum = facts + sizeof(FactsRecord);
    if (CacheChecksum(face, size_t(checksum - face)) != Read<uint64_t>(checksum))
        return std::nullopt;
    const std::optional<FaceFacts> read = FactsOf(Read<FactsRecord>(facts));
    if (!read) return std::nullopt;
    return std::pair{key, FaceEntry{Read<FaceStamp>(stamp), *read}};
}

std::string FaceFactsFile::Bytes(const std::vector<std::pair<std::string_view, FaceEntry>>& faces) {
    const uint32_t count = static_cast<uint32_t>(faces.size());
    const uint32_t slots = SlotsFor(count);
    std::vector<Slot> index(slots, Slot{0, 0});
    std::vector<uint32_t> offsets;
    std::string body;
    size_t start = sizeof(Header) + size_t(slots) * sizeof(Slot) + size_t(count) * sizeof(uint32_t);
    for (uint32_t number = 0; number < count; ++number) {
        const auto& [key, entry] = faces[number];
        const size_t at = body.size();
        offsets.push_back(static_cast<uint32_t>(start + at));
        Append(body, static_cast<uint32_t>(key.size()));
        body += key;
        Append(body, entry.stamp);
        Append(body, RecordOf(entry.facts));
        Append(body, CacheChecksum(body.data() + at, body.size() - at));
        const uint64_t hash = KeyHash(key);
        uint32_t slot = uint32_t(hash) & (slots - 1);
        while (index[slot].number != 0) slot = (slot + 1) & (slots - 1);
        index[slot] = {CheckOf(hash), number + 1};
    }
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.format = kFormat;
    header.size = kSize;
    header.count = count;
    header.slots = slots;
    header.length = start + body.size();
    if (header.length > UINT32_MAX) return "";  // offsets are 32 bits; an empty file holds no face
    std::string bytes;
    bytes.reserve(header.length);
    Append(bytes, header);
    bytes.append(reinterpret_cast<const char*>(index.data()), index.size() * sizeof(Slot));
    bytes.append(reinterpret_cast<const char*>(offsets.data()), offsets.size() * sizeof(uint32_t));
    bytes += body;
    return bytes;
}

}  // namespace vantor::platform
