#include "default_face_cache.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

#include "face_facts_cache.h"
#include "replacing_write.h"

namespace vantor::platform {
namespace {

constexpr std::string_view kMagic = "VNTDFACE1\n";
constexpr size_t kMostKept = 8;
constexpr size_t kLongestField = 1 << 20;

struct Kept {
    std::string key;
    RememberedFace face;
};

std::string FilePath() {
    const std::string facts = FaceFactsCache::DefaultPath();
    if (facts.empty()) return "";
    return std::filesystem::path(facts).replace_filename("default-faces").string();
}

// Fields are written as their length, a colon and their bytes: paths may hold any byte.
void PutField(std::string& out, std::string_view field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

void PutEntry(std::string& out, std::string_view key, const RememberedFace& face) {
    PutField(out, key);
    PutField(out, face.path);
    PutField(out, std::to_string(face.index));
    PutField(out, face.family);
}

bool GetField(std::string_view& in, std::string* field) {
    size_t length = 0;
    const auto [end, error] = std::from_chars(in.data(), in.data() + in.size(), length);
    const size_t digits = size_t(end - in.data());
    if (error != std::errc() || digits == 0 || digits >= in.size() || in[digits] != ':' ||
        length > kLongestField || in.size() - digits - 1 < length)
        return false;
    field->assign(in.substr(digits + 1, length));
    in.remove_prefix(digits + 1 + length);
    return true;
}

bool GetIndex(std::string_view& in, int* index) {
    std::string text;
    if (!GetField(in, &text)) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *index);
    return error == std::errc() && end == text.data() + text.size() && *index >= 0;
}

// What the file keeps, the latest first; nothing for a file that is missing, unsound or
// larger than its bounds allow (it is read whole).
std::vector<Kept> ReadKept(const std::string& path) {
    std::error_code failed;
    const uintmax_t size = std::filesystem::file_size(path, failed);
    if (failed || size > kMostKept * 4 * (kLongestField + 16) + kMagic.size()) return {};
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::string_view in = bytes;
    if (!in.starts_with(kMagic)) return {};
    in.remove_prefix(kMagic.size());
    std::vector<Kept> kept;
    while (!in.empty() && kept.size() < kMostKept) {
        Kept entry;
        if (!GetField(in, &entry.key) || !GetField(in, &entry.face.path) ||
            !GetIndex(in, &entry.face.index) || !GetField(in, &entry.face.family) ||
            entry.face.path.empty())
            return {};
        kept.push_back(std::move(entry));
    }
    if (!in.empty()) return {};
    return kept;
}

}  // namespace

std::optional<RememberedFace> RememberedDefaultFace(const std::string& key) {
    const std::string path = FilePath();
    if (path.empty()) return std::nullopt;
    for (Kept& entry : ReadKept(path))
        if (entry.key == key) return std::move(entry.face);
    return std::nullopt;
}

void RememberDefaultFace(const std::string& key, const RememberedFace& face) {
    const std::string path = FilePath();
    if (path.empty()) return;
    std::string bytes(kMagic);
    PutEntry(bytes, key, face);
    size_t count = 1;
    for (const Kept& entry : ReadKept(path)) {
        if (entry.key == key || count == kMostKept) continue;
        PutEntry(bytes, entry.key, entry.face);
        ++count;
    }
    // A file that cannot be written costs the next start the match, nothing else.
    ReplaceCacheFile(path, bytes);
}

}  // namespace vantor::platform
