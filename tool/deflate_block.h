// One final deflate block (RFC 1951) with Huffman codes made for its own symbols: the back
// end of the PNG sheets' compressor. The caller says which bytes are literals and which are
// copies of earlier ones; this class keeps them, then counts the symbols, builds the codes
// and packs the bits.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <vector>

class DeflateBlock {
public:
    // The longest copy back the format allows.
    static constexpr uint32_t kWindow = 32768;
    // The shortest copy, and the longest one symbol can say.
    static constexpr uint32_t kMinCopy = 3;
    static constexpr uint32_t kMaxCopy = 258;

    // A byte that goes out as itself.
    void Literal(uint8_t byte) {
        tokens_.push_back(byte);
        ++bytes_;
    }
    // `length` bytes that repeat those `distance` bytes back. The caller keeps 3 <= length
    // and 1 <= distance <= min(kWindow, bytes already in the block), as debug builds check;
    // a length above the format's 258 goes out as several copies.
    void Copy(uint32_t length, uint32_t distance) {
        assert(length >= kMinCopy && distance >= 1 && distance <= kWindow && distance <= bytes_);
        if (length > kMaxCopy) return CopyInPieces(length, distance);
        tokens_.push_back(kCopyFlag | length << kLengthShift | distance);
        bytes_ += length;
    }
    // Appends the block, its codes and the end-of-block symbol, padded to a whole byte. The
    // block is spent.
    void Finish(std::vector<uint8_t>& out);

private:
    // A literal is its byte; a copy has kCopyFlag, its length above kLengthShift and its
    // distance below. Finish turns a copy into its symbols, kept the same way: the length's
    // symbol (257 and up) in the low 9 bits, then the length's 5 extra bits, the distance's
    // symbol in 5 bits and its 13 extra bits.
    static constexpr uint32_t kCopyFlag = 0x80000000u;
    static constexpr int kLengthShift = 16;
    static constexpr uint32_t kCopyLengthMask = 0x1FF;  // up to kMaxCopy, above kLengthShift
    static constexpr uint32_t kCopyDistanceMask = (1u << kLengthShift) - 1;

    void CopyInPieces(uint32_t length, uint32_t distance);
    // Turns the copies into symbols, and counts the uses of each.
    void CountSymbols(uint32_t* literalCounts, uint32_t* distanceCounts);

    std::vector<uint32_t> tokens_;
    uint64_t bytes_ = 0;  // the bytes the block's symbols stand for, checked against by Copy
};

// Huffman code lengths for symbols used counts[i] times (0: never), none longer than
// maxBits, the most used shortest. At least two symbols get a code, so that every decoder
// takes the code as complete. Exposed for its tests.
std::vector<uint8_t> HuffmanCodeLengths(const uint32_t* counts, size_t symbols, int maxBits);
