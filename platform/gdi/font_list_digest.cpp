#include "font_list_digest.h"

#include <cstring>
#include <filesystem>

#include "cache_bytes.h"
#include "face_facts_cache.h"
#include "replacing_write.h"

namespace vantor::platform {
namespace {

constexpr char kMagic[8] = {'V', 'N', 'T', 'F', 'L', 'I', 'S', 'T'};
// The format: changing it, or how the listing works out names and order, makes old files stale.
constexpr uint32_t kFormat = 1;
// Digests kept at once: one per font set a machine's programs see in turn.
constexpr size_t kMostKept = 4;
// Far above four lists of some 100,000 fonts each: a larger file is not read.
constexpr size_t kLongestFile = size_t(1) << 28;

void AppendText(std::string& out, std::string_view text) {
    Append(out, uint32_t(text.size()));
    out += text;
}

// Reads the file's fields in turn; once a field does not fit, it and every later one fail.
class Cursor {
public:
    explicit Cursor(std::string_view bytes) : rest_(bytes) {}

    template <typename Value>
    bool Get(Value* value) {
        if (!ok_ || rest_.size() < sizeof *value) return ok_ = false;
        std::memcpy(value, rest_.data(), sizeof *value);
        rest_.remove_prefix(sizeof *value);
        return true;
    }

    bool GetBytes(uint64_t length, std::string_view* bytes) {
        if (!ok_ || rest_.size() < length) return ok_ = false;
        *bytes = rest_.substr(0, size_t(length));
        rest_.remove_prefix(size_t(length));
        return true;
    }

    // A text: its length, then its bytes, none of them zero.
    bool GetText(std::string_view* text) {
        uint32_t length = 0;
        if (!Get(&length) || !GetBytes(length, text)) return false;
        return ok_ = text->find('\0') == std::string_view::npos;
    }

    // Whether count records of at least smallest bytes each can still be in the file: a
    // count that cannot reserves nothing.
    bool CanHold(uint32_t count, size_t smallest) const {
        return ok_ && rest_.size() / smallest >= count;
    }
    bool AtEnd() const { return ok_ && rest_.empty(); }

private:
    std::string_view rest_;
    bool ok_ = true;
};

std::string FilePath() {
    const std::string facts = FaceFactsCache::DefaultPath();
    if (facts.empty()) return "";
    return std::filesystem::path(facts).replace_filename("font-lists").string();
}

// The digests a file keeps, the latest first: each its length and its bytes. Nothing for a
// file whose magic is wrong; the digests before anything that does not fit.
std::vector<std::string_view> DigestsIn(std::string_view file) {
    std::vector<std::string_view> digests;
    if (!file.starts_with(std::string_view(kMagic, sizeof kMagic))) return digests;
    Cursor in(file.substr(sizeof kMagic));
    uint64_t length = 0;
    std::string_view digest;
    while (digests.size() < kMostKept && in.Get(&length) && in.GetBytes(length, &digest))
        digests.push_back(digest);
    return digests;
}

// The key a digest was made under; empty when its start is not sound.
std::string_view KeyOf(std::string_view digest) {
    Cursor in(digest);
    uint32_t format = 0;
    std::string_view key;
    if (!in.Get(&format) || format != kFormat || !in.GetText(&key)) return {};
    return key;
}

void AppendDigest(std::string& file, std::string_view digest) {
    Append(file, uint64_t(digest.size()));
    file += digest;
}

}  // namespace

std::shared_ptr<const FontListDigest> FontListDigest::FromBytes(std::string bytes,
                                                                std::string_view key,
                                                                const FontSetSizes& sizes) {
    std::shared_ptr<FontListDigest> digest(new FontListDigest);
    digest->owned_ = std::move(bytes);
    digest->bytes_ = digest->owned_;
    if (!digest->Read(key, sizes)) return nullptr;
    return digest;
}

std::shared_ptr<const FontListDigest> FontListDigest::Kept(std::string_view key,
                                                           const FontSetSizes& sizes) {
    const std::string path = FilePath();
    if (path.empty()) return nullptr;
    std::shared_ptr<FontListDigest> digest(new FontListDigest);
    digest->mapping_ = MappedFile(path, sizeof kMagic, kLongestFile, false);
    const std::string_view file(digest->mapping_.data(), digest->mapping_.size());
    for (std::string_view kept : DigestsIn(file)) {
        if (KeyOf(kept) != key) continue;
        digest->bytes_ = kept;
        return digest->Read(key, sizes) ? digest : nullptr;
    }
    return nullptr;
}

bool FontListDigest::Keep(std::string_view key, std::string_view bytes) {
    const std::string path = FilePath();
    if (path.empty()) return false;
    std::string file(kMagic, sizeof kMagic);
    AppendDigest(file, bytes);
    const MappedFile old(path, sizeof kMagic, kLongestFile, false);
    size_t count = 1;
    for (std::string_view kept : DigestsIn(std::string_view(old.data(), old.size()))) {
        if (count == kMostKept) break;
        const std::string_view keptKey = KeyOf(kept);
        if (keptKey.empty() || keptKey == key) continue;
        AppendDigest(file, kept);
        ++count;
    }
    return ReplaceCacheFile(path, file);
}

bool FontListDigest::Read(std::string_view key, const FontSetSizes& sizes) {
    if (bytes_.size() < sizeof(uint64_t)) return false;
    const std::string_view body = bytes_.substr(0, bytes_.size() - sizeof(uint64_t));
    uint64_t checksum = 0;
    std::memcpy(&checksum, bytes_.data() + body.size(), sizeof checksum);
    if (CacheChecksum(body.data(), body.size()) != checksum) return false;

    Cursor in(body);
    uint32_t format = 0;
    std::string_view keptKey;
    FontSetSizes keptSizes;
    uint32_t familyCount = 0, faceCount = 0, nameCount = 0;
    if (!in.Get(&format) || format != kFormat || !in.GetText(&keptKey) || keptKey != key ||
        !in.Get(&keptSizes.sizes) || !(keptSizes == sizes) || !in.Get(&familyCount) ||
        !in.Get(&faceCount) || !in.Get(&nameCount))
        return false;

    // Each record is at least its counts' and texts' lengths long.
    if (!in.CanHold(familyCount, 8)) return false;
    families_.resize(familyCount);
    uint32_t facesClaimed = 0;
    for (DigestFamily& family : families_) {
        if (!in.GetText(&family.name) || !in.Get(&family.faceCount) || family.faceCount == 0 ||
            family.faceCount > faceCount - facesClaimed)
            return false;
        family.firstFace = facesClaimed;
        facesClaimed += family.faceCount;
    }
    if (facesClaimed != faceCount || !in.CanHold(faceCount, 16)) return false;
    faces_.resize(faceCount);
    for (DigestFace& face : faces_) {
        if (!in.GetText(&face.path) || face.path.empty() || !in.Get(&face.index) ||
            face.index < 0 || !in.GetText(&face.style) || !in.GetText(&face.fullName))
            return false;
    }
    if (!in.CanHold(nameCount, 9)) return false;
    names_.resize(nameCount);
    for (DigestName& name : names_) {
        if (!in.Get(&name.set) || name.set > 1 || !in.Get(&name.position) ||
            name.position >= sizes.sizes[name.set] || !in.GetText(&name.name))
            return false;
    }
    return in.AtEnd();
}

FontListWriter::FontListWriter(std::string_view key, const FontSetSizes& sizes)
    : key_(key), sizes_(sizes) {}

void FontListWriter::EndFamily() {
    if (familyFaces_ == 0) return;
    AppendText(families_, familyName_);
    Append(families_, familyFaces_);
    ++familyCount_;
    familyFaces_ = 0;
}

void FontListWriter::AddFamily(std::string_view name) {
    EndFamily();
    familyName_.assign(name);
}

void FontListWriter::AddFace(std::string_view path, int32_t index, std::string_view style,
                             std::string_view fullName) {
    AppendText(faces_, path);
    Append(faces_, index);
    AppendText(faces_, style);
    AppendText(faces_, fullName);
    ++faceCount_;
    ++familyFaces_;
}

void FontListWriter::AddName(std::string_view name, uint8_t set, uint32_t position) {
    Append(names_, set);
    Append(names_, position);
    AppendText(names_, name);
    ++nameCount_;
}

std::string FontListWriter::Finish() {
    EndFamily();
    std::string bytes;
    Append(bytes, kFormat);
    AppendText(bytes, key_);
    for (uint32_t size : sizes_.sizes) Append(bytes, size);
    Append(bytes, familyCount_);
    Append(bytes, faceCount_);
    Append(bytes, nameCount_);
    bytes += families_;
    bytes += faces_;
    bytes += names_;
    Append(bytes, CacheChecksum(bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace vantor::platform
