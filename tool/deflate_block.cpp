#include "tool/deflate_block.h"

#include <algorithm>
#include <bit>
#include <memory>

namespace {

constexpr size_t kLiteralSymbols = 286;
constexpr size_t kDistanceSymbols = 30;
constexpr uint32_t kEndOfBlock = 256;
constexpr uint32_t kMinCopy = DeflateBlock::kMinCopy;
constexpr uint32_t kMaxCopy = DeflateBlock::kMaxCopy;
constexpr int kMaxCodeBits = 15;
constexpr int kMaxLengthCodeBits = 7;
// Room enough for a block's header (14 bits, 19 lengths of 3 bits and a run of 7 bits of
// code and 7 extra for each of 316 code lengths: 562 bytes) with the last bits the writer
// holds back, and for one token (a code of 15 bits and 5 extra for its length, 15 and 13
// for its distance).
constexpr size_t kLargestHeaderBytes = 640;
constexpr size_t kLargestTokenBytes = 6;

// A symbol of one of the block's alphabets with the extra bits that follow it.
struct Symbol {
    uint32_t code;
    uint32_t extra;
    int extraBits;
};

// Copy lengths 3..258: symbols 257..284 cover them in groups of 1, 2, 4 ... 32 (four
// groups each), 285 stands for 258 alone.
constexpr Symbol LengthSymbol(uint32_t length) {
    const uint32_t value = length - kMinCopy;
    if (length == kMaxCopy) return {285, 0, 0};
    if (value < 8) return {257 + value, 0, 0};
    const int top = std::bit_width(value) - 1;  // 3..7
    const int extraBits = top - 2;
    return {257 + 4 * uint32_t(top - 1) + ((value >> extraBits) & 3),
            value & ((1u << extraBits) - 1), extraBits};
}

// Distances 1..32768: symbols 0..3 are 1..4, then two symbols to each power of two.
constexpr Symbol DistanceSymbol(uint32_t distance) {
    const uint32_t value = distance - 1;
    if (value < 4) return {value, 0, 0};
    const int top = std::bit_width(value) - 1;  // 2..14
    const int extraBits = top - 1;
    return {2 * uint32_t(top) + ((value >> extraBits) & 1), value & ((1u << extraBits) - 1),
            extraBits};
}

// A copy's symbols in its token, as the header says.
constexpr uint32_t kSymbolMask = 0x1FF;
constexpr int kLengthExtraShift = 9;
constexpr uint32_t kLengthExtraMask = 0x1F;
constexpr int kDistanceShift = 14;
constexpr uint32_t kDistanceMask = 0x1F;
constexpr int kDistanceExtraShift = 19;

constexpr uint32_t kFirstLengthSymbol = 257;

// The symbol of every copy length, looked up: a block has one for each copy. And the extra
// bits after each length symbol from 257 on and after each distance symbol, for a block's
// tokens, which keep the symbols alone.
struct SymbolTables {
    Symbol ofLength[kMaxCopy + 1]{};
    uint8_t extraBitsOfLengthSymbol[29]{};
    uint8_t extraBitsOfDistanceSymbol[30]{};
    constexpr SymbolTables() {
        for (uint32_t length = kMinCopy; length <= kMaxCopy; ++length) {
            ofLength[length] = LengthSymbol(length);
            extraBitsOfLengthSymbol[ofLength[length].code - kFirstLengthSymbol] =
                uint8_t(ofLength[length].extraBits);
        }
        // The first distance of each symbol: one step up to 5, then two symbols to each
        // power of two.
        for (uint32_t distance = 1; distance <= DeflateBlock::kWindow;
             distance += distance <= 4 ? 1 : 1u << (std::bit_width(distance - 1) - 2)) {
            const Symbol symbol = DistanceSymbol(distance);
            extraBitsOfDistanceSymbol[symbol.code] = uint8_t(symbol.extraBits);
        }
    }
};
constexpr SymbolTables kSymbols;

// Bits packed from the least significant end, as deflate reads them, into room the caller
// made for them.
class BitWriter {
public:
    explicit BitWriter(uint8_t* out) : out_(out) {}
    // count <= 32 bits of value, which has none above them.
    void Put(uint32_t value, int count) {
        bits_ |= uint64_t(value) << count_;
        count_ += count;
        if (count_ >= 32) {
            for (int i = 0; i < 4; ++i) *out_++ = uint8_t(bits_ >> (8 * i));
            bits_ >>= 32;
            count_ -= 32;
        }
    }
    // Pads the last byte with zeros; returns the end of what was written.
    uint8_t* FlushToByte() {
        for (; count_ > 0; count_ -= 8, bits_ >>= 8) *out_++ = uint8_t(bits_);
        count_ = 0;
        return out_;
    }

private:
    uint8_t* out_;
    uint64_t bits_ = 0;
    int count_ = 0;
};

// A canonical Huffman code, each symbol's code reversed for the reader's bit order.
struct HuffmanCode {
    std::vector<uint8_t> lengths;
    std::vector<uint16_t> codes;

    HuffmanCode(const uint32_t* counts, size_t symbols, int maxBits)
        : lengths(HuffmanCodeLengths(counts, symbols, maxBits)), codes(symbols) {
        uint32_t perLength[kMaxCodeBits + 1]{};
        for (uint8_t length : lengths) ++perLength[length];
        perLength[0] = 0;
        uint32_t next[kMaxCodeBits + 1]{};
        for (int bits = 1; bits <= kMaxCodeBits; ++bits)
            next[bits] = (next[bits - 1] + perLength[bits - 1]) << 1;
        for (size_t symbol = 0; symbol < symbols; ++symbol)
            if (const int bits = lengths[symbol]; bits != 0)
                codes[symbol] = Reversed(next[bits]++, bits);
    }
    void Put(BitWriter& writer, uint32_t symbol) const {
        writer.Put(codes[symbol], lengths[symbol]);
    }
    // The symbol's code and its extra bits in one go: at most 15 + 13 bits.
    void Put(BitWriter& writer, uint32_t symbol, uint32_t extra, int extraBits) const {
        writer.Put(codes[symbol] | extra << lengths[symbol], lengths[symbol] + extraBits);
    }
    void Put(BitWriter& writer, const Symbol& symbol) const {
        Put(writer, symbol.code, symbol.extra, symbol.extraBits);
    }
    // How many symbols from the first to the last with a code, at least `least`.
    size_t UsedSpan(size_t least) const {
        size_t span = lengths.size();
        while (span > least && lengths[span - 1] == 0) --span;
        return span;
    }

private:
    static uint16_t Reversed(uint32_t code, int bits) {
        uint32_t reversed = 0;
        for (int i = 0; i < bits; ++i, code >>= 1) reversed = (reversed << 1) | (code & 1);
        return uint16_t(reversed);
    }
};

// Moffat and Katajainen's in-place Huffman lengths: `weights`, ascending, become the code
// lengths of their symbols (descending). Needs two weights or more.
void MinimumRedundancyLengths(std::vector<uint32_t>& weights) {
    std::vector<uint32_t>& a = weights;
    const int n = int(a.size());
    // Left to right: the internal nodes' weights, each leaving its parent's index behind.
    a[0] += a[1];
    int root = 0, leaf = 2;
    for (int next = 1; next < n - 1; ++next) {
        if (leaf >= n || a[root] < a[leaf]) {
            a[next] = a[root];
            a[root++] = uint32_t(next);
        } else {
            a[next] = a[leaf++];
        }
        if (leaf >= n || (root < next && a[root] < a[leaf])) {
            a[next] += a[root];
            a[root++] = uint32_t(next);
        } else {
            a[next] += a[leaf++];
        }
    }
    // Right to left: each internal node's depth from its parent's.
    a[n - 2] = 0;
    for (int next = n - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
    // Right to left: the leaves' depths, as many at each depth as the nodes leave room for.
    int available = 1, used = 0, depth = 0, next = n - 1;
    root = n - 2;
    while (available > 0) {
        for (; root >= 0 && int(a[root]) == depth; --root) ++used;
        for (; available > used; --available) a[next--] = uint32_t(depth);
        available = 2 * used;
        ++depth;
        used = 0;
    }
}

// How many codes of each length, the deepest moved up to maxBits and room made for them by
// lengthening the shallowest codes that still fit.
std::vector<uint32_t> LimitedLengthCounts(const std::vector<uint32_t>& lengths, int maxBits) {
    std::vector<uint32_t> perLength(size_t(maxBits) + 1);
    for (uint32_t length : lengths) ++perLength[std::min<uint32_t>(length, uint32_t(maxBits))];
    uint64_t kraft = 0;  // in units of a maxBits-long code
    for (int bits = 1; bits <= maxBits; ++bits)
        kraft += uint64_t(perLength[bits]) << (maxBits - bits);
    for (; kraft > (uint64_t(1) << maxBits); --kraft) {
        --perLength[maxBits];
        for (int bits = maxBits - 1; bits > 0; --bits)
            if (perLength[bits] != 0) {
                --perLength[bits];
                perLength[bits + 1] += 2;
                break;
            }
    }
    return perLength;
}

// The lengths of a code's symbols in the run-length alphabet of a block's header: 16
// repeats the last length 3-6 times, 17 and 18 give 3-10 and 11-138 zeros.
std::vector<Symbol> LengthRuns(const std::vector<uint8_t>& lengths) {
    std::vector<Symbol> runs;
    for (size_t i = 0; i < lengths.size();) {
        const uint8_t length = lengths[i];
        uint32_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == length) ++run;
        i += run;
        if (length != 0) {
            runs.push_back({length, 0, 0});
            --run;
        }
        while (run >= 3) {
            const uint32_t piece = std::min(run, length == 0 ? 138u : 6u);
            if (length != 0)
                runs.push_back({16, piece - 3, 2});
            else if (piece >= 11)
                runs.push_back({18, piece - 11, 7});
            else
                runs.push_back({17, piece - 3, 3});
            run -= piece;
        }
        for (; run > 0; --run) runs.push_back({length, 0, 0});
    }
    return runs;
}

// The order in which a block's header gives the lengths of the run-length alphabet.
constexpr uint8_t kLengthCodeOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                          11, 4,  12, 3, 13, 2, 14, 1, 15};

}  // namespace

std::vector<uint8_t> HuffmanCodeLengths(const uint32_t* counts, size_t symbols, int maxBits) {
    std::vector<uint8_t> lengths(symbols);
    std::vector<uint32_t> used;  // symbols with a count, least used first
    for (uint32_t symbol = 0; symbol < symbols; ++symbol)
        if (counts[symbol] != 0) used.push_back(symbol);
    for (uint32_t symbol = 0; used.size() < 2 && symbol < symbols; ++symbol)
        if (counts[symbol] == 0) used.push_back(symbol);
    std::stable_sort(used.begin(), used.end(),
                     [&](uint32_t x, uint32_t y) { return counts[x] < counts[y]; });
    std::vector<uint32_t> depths(used.size());
    for (size_t i = 0; i < used.size(); ++i) depths[i] = std::max<uint32_t>(counts[used[i]], 1);
    MinimumRedundancyLengths(depths);
    const std::vector<uint32_t> perLength = LimitedLengthCounts(depths, maxBits);
    size_t next = 0;
    for (int bits = maxBits; bits > 0; --bits)
        for (uint32_t i = 0; i < perLength[bits]; ++i) lengths[used[next++]] = uint8_t(bits);
    return lengths;
}

void DeflateBlock::CopyInPieces(uint32_t length, uint32_t distance) {
    // Pieces of 258 but for the last two, which share what is left so that neither is
    // shorter than 3.
    while (length > kMaxCopy) {
        const uint32_t piece = length - kMaxCopy < kMinCopy ? length - kMinCopy : kMaxCopy;
        Copy(piece, distance);
        length -= piece;
    }
    Copy(length, distance);
}

void DeflateBlock::CountSymbols(uint32_t* literalCounts, uint32_t* distanceCounts) {
    for (uint32_t& token : tokens_) {
        if ((token & kCopyFlag) == 0) {
            ++literalCounts[token];
            continue;
        }
        const Symbol length = kSymbols.ofLength[token >> kLengthShift & kCopyLengthMask];
        const Symbol distance = DistanceSymbol(token & kCopyDistanceMask);
        token = length.code | length.extra << kLengthExtraShift | distance.code << kDistanceShift |
                distance.extra << kDistanceExtraShift;
        ++literalCounts[length.code];
        ++distanceCounts[distance.code];
    }
}

void DeflateBlock::Finish(std::vector<uint8_t>& out) {
    uint32_t literalCounts[kLiteralSymbols]{}, distanceCounts[kDistanceSymbols]{};
    CountSymbols(literalCounts, distanceCounts);
    literalCounts[kEndOfBlock] = 1;
    const HuffmanCode literals(literalCounts, kLiteralSymbols, kMaxCodeBits);
    const HuffmanCode distances(distanceCounts, kDistanceSymbols, kMaxCodeBits);

    const size_t literalSpan = literals.UsedSpan(257), distanceSpan = distances.UsedSpan(1);
    std::vector<uint8_t> allLengths(literals.lengths.begin(),
                                    literals.lengths.begin() + literalSpan);
    allLengths.insert(allLengths.end(), distances.lengths.begin(),
                      distances.lengths.begin() + distanceSpan);
    const std::vector<Symbol> runs = LengthRuns(allLengths);
    uint32_t runCounts[19]{};
    for (const Symbol& run : runs) ++runCounts[run.code];
    const HuffmanCode runCode(runCounts, 19, kMaxLengthCodeBits);
    size_t runSpan = 19;
    while (runSpan > 4 && runCode.lengths[kLengthCodeOrder[runSpan - 1]] == 0) --runSpan;

    // Room for the longest the block can be, left as it is: the block is a tenth of that.
    const auto room = std::make_unique_for_overwrite<uint8_t[]>(
        kLargestHeaderBytes + kLargestTokenBytes * (tokens_.size() + 1));
    BitWriter writer(room.get());
    writer.Put(1, 1);  // the final block
    writer.Put(2, 2);  // with codes of its own
    writer.Put(uint32_t(literalSpan - 257), 5);
    writer.Put(uint32_t(distanceSpan - 1), 5);
    writer.Put(uint32_t(runSpan - 4), 4);
    for (size_t i = 0; i < runSpan; ++i) writer.Put(runCode.lengths[kLengthCodeOrder[i]], 3);
    for (const Symbol& run : runs) runCode.Put(writer, run);
    for (const uint32_t token : tokens_) {
        const uint32_t symbol = token & kSymbolMask;
        if (symbol < kEndOfBlock) {
            literals.Put(writer, symbol);
            continue;
        }
        literals.Put(writer, symbol, token >> kLengthExtraShift & kLengthExtraMask,
                     kSymbols.extraBitsOfLengthSymbol[symbol - kFirstLengthSymbol]);
        const uint32_t distance = token >> kDistanceShift & kDistanceMask;
        distances.Put(writer, distance, token >> kDistanceExtraShift,
                      kSymbols.extraBitsOfDistanceSymbol[distance]);
    }
    tokens_.clear();
    literals.Put(writer, kEndOfBlock);
    out.insert(out.end(), room.get(), writer.FlushToByte());
}
