// The PNG sheets' own compressor, read back by zlib: its codes, a block of literals and
// copies, and whole files with their checksums.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

#include "support/test_seed.h"
#include "tool/coverage_png.h"
#include "tool/deflate_block.h"

namespace {

using vantor::testing::TestSeed;

std::string SeedNote(uint32_t seed) { return "VANTOR_TEST_SEED=" + std::to_string(seed); }

// The Kraft sum of a code in units of its longest possible code: 1 << maxBits when complete.
uint64_t KraftSum(const std::vector<uint8_t>& lengths, int maxBits) {
    uint64_t sum = 0;
    for (uint8_t length : lengths)
        if (length != 0) sum += uint64_t(1) << (maxBits - length);
    return sum;
}

TEST(HuffmanCodeLengthsTest, CodesTooDeepAreLimitedYetComplete) {
    // Fibonacci counts make a Huffman code as deep as it has symbols.
    uint32_t counts[30] = {1, 1};
    for (int i = 2; i < 30; ++i) counts[i] = counts[i - 1] + counts[i - 2];
    const std::vector<uint8_t> lengths = HuffmanCodeLengths(counts, 30, 15);
    EXPECT_EQ(KraftSum(lengths, 15), uint64_t(1) << 15);
    for (int i = 0; i < 30; ++i) {
        EXPECT_GE(lengths[i], 1) << i;
        EXPECT_LE(lengths[i], 15) << i;
        if (i > 0) {
            EXPECT_LE(lengths[i], lengths[i - 1]) << "used more, coded longer: " << i;
        }
    }
}

TEST(HuffmanCodeLengthsTest, OneSymbolOrNoneStillMakesACompleteCode) {
    for (const std::vector<uint32_t>& counts :
         {std::vector<uint32_t>{0, 0, 0, 9}, std::vector<uint32_t>{0, 0, 0, 0}}) {
        const std::vector<uint8_t> lengths = HuffmanCodeLengths(counts.data(), counts.size(), 7);
        EXPECT_EQ(KraftSum(lengths, 7), uint64_t(1) << 7);
        if (counts[3] != 0) {
            EXPECT_EQ(lengths[3], 1);
        }
    }
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& deflated, size_t expected) {
    std::vector<uint8_t> out(expected + 1);
    z_stream stream{};
    EXPECT_EQ(inflateInit2(&stream, -15), Z_OK);
    stream.next_in = const_cast<uint8_t*>(deflated.data());
    stream.avail_in = uInt(deflated.size());
    stream.next_out = out.data();
    stream.avail_out = uInt(out.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END) << (stream.msg ? stream.msg : "");
    EXPECT_EQ(stream.avail_in, 0u) << "bytes after the block";
    out.resize(stream.total_out);
    inflateEnd(&stream);
    return out;
}

// Literals and copies of every length class, long ones split at the awkward 259 and 260,
// and distances up to the whole window.
TEST(DeflateBlockTest, ZlibInflatesWhatTheBlockSays) {
    const uint32_t seed = TestSeed();
    std::mt19937 random(seed);
    for (int round = 0; round < 20; ++round) {
        DeflateBlock block;
        std::vector<uint8_t> expected;
        const bool literalsOnly = round == 0;
        while (expected.size() < 100000) {
            const uint32_t choice = random() % 8;
            if (literalsOnly || expected.size() < 8 || choice < 3) {
                // Few distinct bytes in some rounds, so that codes get short and long.
                const uint8_t byte = uint8_t(random() % (round % 2 ? 256 : 5));
                block.Literal(byte);
                expected.push_back(byte);
                continue;
            }
            const uint32_t lengths[] = {3, 258, 259, 260, 261, 516, 1000};
            const uint32_t length = choice == 3 ? lengths[random() % 7] : 3 + random() % 300;
            const uint32_t reach =
                uint32_t(std::min<size_t>(expected.size(), DeflateBlock::kWindow));
            const uint32_t distance = choice == 4 ? reach : 1 + random() % std::min(reach, 64u);
            block.Copy(length, distance);
            for (uint32_t i = 0; i < length; ++i)
                expected.push_back(expected[expected.size() - distance]);
        }
        std::vector<uint8_t> deflated;
        block.Finish(deflated);
        EXPECT_EQ(Inflate(deflated, expected.size()), expected)
            << "round " << round << ", " << SeedNote(seed);
    }
}

TEST(DeflateBlockTest, ACopyFromBeforeTheBlocksStartIsCaughtInDebugBuilds) {
    DeflateBlock block;
    block.Literal(7);
    EXPECT_DEBUG_DEATH(block.Copy(3, 2), "distance <= bytes_");
}

uint32_t BigEndian(const uint8_t* bytes) {
    return uint32_t(bytes[0]) << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3];
}

// The image data of a PNG whose chunks all check out, inflated with its Adler-32 checked;
// the width and height from its header.
std::vector<uint8_t> PngData(const std::vector<uint8_t>& png, uint32_t& width, uint32_t& height) {
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_TRUE(png.size() > 8 && std::equal(signature, signature + 8, png.begin()));
    std::vector<uint8_t> compressed;
    std::string types;
    for (size_t at = 8; at + 12 <= png.size();) {
        const uint32_t length = BigEndian(&png[at]);
        EXPECT_LE(at + 12 + length, png.size());
        if (at + 12 + length > png.size()) break;
        const std::string type(png.begin() + at + 4, png.begin() + at + 8);
        types += type + " ";
        EXPECT_EQ(crc32(0, &png[at + 4], length + 4), BigEndian(&png[at + 8 + length])) << type;
        const uint8_t* data = &png[at + 8];
        if (type == "IHDR") {
            width = BigEndian(data);
            height = BigEndian(data + 4);
            EXPECT_EQ(std::vector<uint8_t>(data + 8, data + 13),
                      (std::vector<uint8_t>{8, 6, 0, 0, 0}));
        }
        if (type == "IDAT") compressed.insert(compressed.end(), data, data + length);
        at += 12 + length;
    }
    EXPECT_EQ(types, "IHDR IDAT IEND ");
    std::vector<uint8_t> data(size_t(width * 4 + 1) * height + 1);
    uLongf size = uLongf(data.size());
    EXPECT_EQ(uncompress(data.data(), &size, compressed.data(), uLong(compressed.size())), Z_OK);
    data.resize(size);
    return data;
}

// Shapes from a lone pixel to a whole sheet, with runs as glyphs make them and noise.
TEST(WhiteCoveragePngTest, ZlibReadsBackEveryPixelWhite) {
    const uint32_t seed = TestSeed();
    std::mt19937 random(seed);
    const std::pair<int32_t, int32_t> shapes[] = {{1, 1},  {1, 9},     {9, 1},   {2, 2},
                                                  {37, 5}, {4096, 20}, {5000, 2}};
    for (const auto& [width, height] : shapes) {
        std::vector<uint8_t> alpha(size_t(width) * height);
        for (size_t i = 0; i < alpha.size(); ++i)
            alpha[i] = random() % 4 == 0 ? uint8_t(random()) : i > 0 ? alpha[i - 1] : 0;
        uint32_t readWidth = 0, readHeight = 0;
        const std::vector<uint8_t> data =
            PngData(WhiteCoveragePng(alpha.data(), width, height), readWidth, readHeight);
        EXPECT_EQ(readWidth, uint32_t(width));
        EXPECT_EQ(readHeight, uint32_t(height));
        std::vector<uint8_t> expected;
        for (int32_t y = 0; y < height; ++y) {
            expected.push_back(0);
            for (int32_t x = 0; x < width; ++x)
                expected.insert(expected.end(), {255, 255, 255, alpha[size_t(y) * width + x]});
        }
        EXPECT_EQ(data, expected) << width << " x " << height << ", " << SeedNote(seed);
    }
}

}  // namespace
