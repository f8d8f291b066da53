// Our own -lh5- family decoder alone: it reads back what our packer writes, reads the
// shortest streams as other LZH readers do, and turns damage into a clean failure.
#include <gtest/gtest.h>

#include <string_view>

#include "tests/archiver/ArchiverTesting.h"

namespace zolvane::test {
namespace {

using archiver::DecodeOutcome;

TEST(Lh5Decoder, UnpacksWhatOurPackerWritesAcrossWindowAndBlockBoundaries) {
    const std::vector<std::pair<const char*, Bytes>> samples = {
        {"one byte", {0x42}},
        {"text just below the window", TextBytes(8191)},
        {"text filling the window", TextBytes(8192)},
        {"text just above the window", TextBytes(8193)},
        {"binary over two windows", BinaryLikeBytes(16385)},
        {"binary in many blocks", BinaryLikeBytes(400000)},
        {"long runs", RepetitiveBytes(1 << 20)},
        {"noise, literals only", PatternBytes(70001, 5)},
        {"text that moves the packer's buffer", TextBytes(1500000)},
    };
    for (const auto& [label, data] : samples) {
        Bytes out;
        EXPECT_EQ(DecodeBytes("-lh5-", PackLh5(data), data.size(), ReferenceCrc16(data), out),
                  DecodeOutcome::Done)
            << label;
        EXPECT_TRUE(out == data) << label;
    }
}

BitFields Block(unsigned codes, unsigned cSymbol, unsigned pSymbol = 0, unsigned bits = 4) {
    return OneSymbolFields(codes, cSymbol, pSymbol, bits);
}

BitFields Joined(std::initializer_list<BitFields> blocks) {
    BitFields fields;
    for (const auto& block : blocks) {
        fields.insert(fields.end(), block.begin(), block.end());
    }
    return fields;
}

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

TEST(Lh5Decoder, ReadsHandBuiltStreamsOfEveryMethod) {
    // 100 codes of 'a', every table one symbol: 52 bits in 7 bytes.
    EXPECT_EQ(OneSymbolBlock(100, 'a'), (Bytes{0x00, 0x64, 0x00, 0x00, 0x06, 0x10, 0x00}));
    struct Case {
        const char* method;
        Bytes packed;
        Bytes expected;
    };
    const std::vector<Case> cases = {
        {"-lh5-", OneSymbolBlock(100, 'a'), Bytes(100, 'a')},
        {"-lh6-", OneSymbolBlock(100, 'a', 5), Bytes(100, 'a')},
        {"-lh7-", OneSymbolBlock(1, 'x', 5), {'x'}},
        {"-lh5-", OneSymbolBlock(65535, 0xFF), Bytes(65535, 0xFF)},
        // One literal, then two matches of 256 at distance 1 in a second block.
        {"-lh5-", PackBits(Joined({Block(1, 'a'), Block(2, 509)})), Bytes(513, 'a')},
        // Position code 3 with its two extra bits 00: distance 5, from "aaaabbbb" gives "abb".
        {"-lh5-", PackBits(Joined({Block(4, 'a'), Block(4, 'b'), Block(1, 256, 3), {{0, 2}}})),
         Text("aaaabbbbabb")},
        {"-lh7-",
         PackBits(
             Joined({Block(4, 'a', 0, 5), Block(4, 'b', 0, 5), Block(1, 256, 3, 5), {{0, 2}}})),
         Text("aaaabbbbabb")},
    };
    for (const auto& c : cases) {
        Bytes out;
        EXPECT_EQ(
            DecodeBytes(c.method, c.packed, c.expected.size(), ReferenceCrc16(c.expected), out),
            DecodeOutcome::Done)
            << c.method << " " << c.expected.size();
        EXPECT_TRUE(out == c.expected) << c.method << " " << c.expected.size();
    }
}

TEST(Lh5Decoder, RefusesDamagedStreams) {
    const Bytes good = OneSymbolBlock(100, 'a');
    const std::uint16_t crc = ReferenceCrc16(Bytes(100, 'a'));
    struct Case {
        const char* label;
        Bytes packed;
        std::uint64_t size = 100;
        DecodeOutcome expected = DecodeOutcome::Damaged;
    };
    const std::vector<Case> cases = {
        {"cut short", Bytes(good.begin(), good.begin() + 5)},
        {"fewer codes than the size", good, 101},
        {"a size no stream could fill", good, 0xFFFFFFFF},
        {"wrong bytes", OneSymbolBlock(100, 'b'), 100, DecodeOutcome::BadCrc},
        {"a block of no codes", OneSymbolBlock(0, 'a')},
        {"T symbol out of range",
         PackBits({{100, 16}, {0, 5}, {19, 5}, {0, 9}, {'a', 9}, {0, 4}, {0, 4}})},
        {"C symbol out of range", OneSymbolBlock(100, 510)},
        {"P symbol out of range", PackBits(Block(100, 'a', 14))},
        {"P count above NP", PackBits({{100, 16}, {0, 5}, {0, 5}, {0, 9}, {'a', 9}, {15, 4}})},
        {"incomplete table", PackBits({{100, 16}, {3, 5}, {1, 3}, {0, 3}, {0, 3}, {0, 2}})},
        {"over-full table", PackBits({{100, 16}, {3, 5}, {1, 3}, {1, 3}, {1, 3}, {0, 2}})},
        {"length above 16", PackBits({{100, 16}, {1, 5}, {7, 3}, {0x3FF, 10}, {0, 1}})},
        {"zeros past the count", PackBits({{100, 16}, {4, 5}, {1, 3}, {1, 3}, {0, 3}, {3, 2}})},
        {"match before the start", PackBits(Block(1, 256)), 3},
        {"match past the size", PackBits(Joined({Block(1, 'a'), Block(2, 509)})), 100},
    };
    for (const auto& c : cases) {
        Bytes out;
        EXPECT_EQ(DecodeBytes("-lh5-", c.packed, c.size, crc, out), c.expected) << c.label;
        EXPECT_LE(out.size(), 100u) << c.label;
    }
}

TEST(Lh5Decoder, FlippedOrCutStreamsNeverPassForTheOriginal) {
    const Bytes data = BinaryLikeBytes(6000);
    const Bytes packed = PackLh5(data);
    const std::uint16_t crc = ReferenceCrc16(data);
    Bytes out;
    for (std::size_t at = 0; at < packed.size(); at += 4) {
        Bytes flipped = packed;
        flipped[at] ^= static_cast<std::uint8_t>(1u << (at % 8));
        const DecodeOutcome outcome = DecodeBytes("-lh5-", flipped, data.size(), crc, out);
        EXPECT_TRUE(outcome != DecodeOutcome::Done || out == data) << "flip at " << at;
    }
    for (std::size_t length = 0; length < packed.size(); length += 7) {
        const Bytes cut(packed.begin(), packed.begin() + static_cast<long>(length));
        EXPECT_EQ(DecodeBytes("-lh5-", cut, data.size(), crc, out), DecodeOutcome::Damaged)
            << "cut at " << length;
    }
}

}  // namespace
}  // namespace zolvane::test
