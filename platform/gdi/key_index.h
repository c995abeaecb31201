// Where each of a fixed set of keys sits in a sequence its owner keeps, found by key with no
// allocation per key: the face-facts cache indexes thousands of faces on every start, and a
// map node each was most of reading it.
//
// Open addressing over at least twice as many slots as keys; each slot holds a position and
// the top bits of its key's hash, so a probe compares text only when those agree. The index
// holds no keys: Build and Find are given the owner's key of a position, and the keys must
// stay as they were between the two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "rule_check.h"

namespace vantor::platform {

class KeyIndex {
public:
    // Indexes positions 0..count-1, keyAt(i) being the key at i; a key met again keeps its
    // first position.
    template <typename KeyAt>
    void Build(size_t count, KeyAt keyAt) {
        VANTOR_CHECK(count < kEmpty, "an index of more keys than a slot can name");
        size_t slots = 16;
        while (slots < 2 * count) slots *= 2;
        slots_.assign(slots, Slot{});
        for (size_t i = 0; i < count; ++i) {
            const std::string_view key = keyAt(i);
            const uint64_t hash = std::hash<std::string_view>{}(key);
            size_t at = hash & (slots_.size() - 1);
            for (; slots_[at].position != kEmpty; at = (at + 1) & (slots_.size() - 1))
                if (slots_[at].check == Check(hash) && keyAt(slots_[at].position) == key) break;
            if (slots_[at].position == kEmpty) slots_[at] = {static_cast<uint32_t>(i), Check(hash)};
        }
    }

    template <typename KeyAt>
    std::optional<size_t> Find(std::string_view key, KeyAt keyAt) const {
        if (slots_.empty()) return std::nullopt;
        const uint64_t hash = std::hash<std::string_view>{}(key);
        for (size_t at = hash & (slots_.size() - 1); slots_[at].position != kEmpty;
             at = (at + 1) & (slots_.size() - 1))
            if (slots_[at].check == Check(hash) && keyAt(slots_[at].position) == key)
                return slots_[at].position;
        return std::nullopt;
    }

private:
    static constexpr uint32_t kEmpty = UINT32_MAX;
    struct Slot {
        uint32_t position = kEmpty;
        uint32_t check = 0;
    };
    static uint32_t Check(uint64_t hash) { return static_cast<uint32_t>(hash >> 32); }

    std::vector<Slot> slots_;
};

}  // namespace vantor::platform
