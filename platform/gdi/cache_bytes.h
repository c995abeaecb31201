// The bytes of the platform's cache files: values appended as they lie in memory (every host
// of the platform is little-endian), and the checksum the files carry for what they hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace vantor::platform {

template <typename T>
void Append(std::string& out, const T& value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// FNV-1a over eight bytes at a time, then the rest byte by byte: the checksum of the cache
// files, the same on every build that reads them.
inline uint64_t CacheChecksum(const char* data, size_t size) {
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

}  // namespace vantor::platform
