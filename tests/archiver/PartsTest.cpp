// The library's inner parts where a fault would hide behind a working round trip: code
// lengths that are valid but poor, header bytes, command and mask reading.
#include <gtest/gtest.h>

#include <cmath>

#include "archiver/Command.h"
#include "archiver/Crc16.h"
#include "archiver/FileSelection.h"
#include "archiver/Huffman.h"
#include "archiver/LzhHeader.h"
#include "tests/archiver/ArchiverTesting.h"

namespace zolvane::archiver {
namespace {

double KraftSum(const std::vector<std::uint8_t>& lengths) {
    double sum = 0;
    for (auto length : lengths) {
        sum += length != 0 ? std::ldexp(1.0, -length) : 0.0;
    }
    return sum;
}

TEST(ArchiverParts, Crc16MatchesTheCheckValueAndAnyChunking) {
    const std::string check = "123456789";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(check.data());
    EXPECT_EQ(Crc16(bytes, check.size()), 0xBB3D);
    const test::Bytes data = test::PatternBytes(1001, 4);
    std::uint16_t pieces = UpdateCrc16(0, data.data(), 3);
    pieces = UpdateCrc16(pieces, data.data() + 3, 998);
    EXPECT_EQ(pieces, test::ReferenceCrc16(data));
}

TEST(ArchiverParts, CodeLengthsAreOptimalWhenNoLimitBites) {
    const std::uint32_t frequencies[] = {5, 9, 12, 13, 16, 45, 1, 1, 0};
    std::vector<std::uint8_t> lengths(9);
    BuildCodeLengths(frequencies, 9, 16, lengths.data());
    EXPECT_EQ(lengths, (std::vector<std::uint8_t>{5, 4, 3, 3, 3, 1, 6, 6, 0}));
    EXPECT_DOUBLE_EQ(KraftSum(lengths), 1.0);
}

TEST(ArchiverParts, CodeLengthsStayWithinSixteenAndFillTheCodeSpace) {
    // Fibonacci frequencies make the deepest possible tree: 40 symbols would need 39 bits.
    std::vector<std::uint32_t> frequencies(40);
    frequencies[0] = frequencies[1] = 1;
    for (std::size_t i = 2; i < frequencies.size(); ++i) {
        frequencies[i] = frequencies[i - 1] + frequencies[i - 2];
    }
    std::vector<std::uint8_t> lengths(frequencies.size());
    BuildCodeLengths(frequencies.data(), frequencies.size(), 16, lengths.data());
    for (std::size_t i = 0; i < lengths.size(); ++i) {
        EXPECT_GE(lengths[i], 1) << i;
        EXPECT_LE(lengths[i], 16) << i;
    }
    EXPECT_DOUBLE_EQ(KraftSum(lengths), 1.0);
    EXPECT_LE(lengths.back(), lengths.front());
}

TEST(ArchiverParts, CanonicalCodesGoShortestFirstThenBySymbol) {
    const std::uint8_t lengths[] = {3, 2, 0, 3, 2, 2};
    std::uint16_t codes[6] = {};
    BuildCanonicalCodes(lengths, 6, codes);
    EXPECT_EQ(codes[1], 0b00);
    EXPECT_EQ(codes[4], 0b01);
    EXPECT_EQ(codes[5], 0b10);
    EXPECT_EQ(codes[0], 0b110);
    EXPECT_EQ(codes[3], 0b111);
}

// A level-2 header written out by hand: sizes, time, CRC, OS 'U', then the extensions
// (header CRC, name, folder, DOS attribute, Unix mode) with their size words.
TEST(ArchiverParts, Level2HeaderMatchesHandWrittenBytes) {
    MemberHeader header;
    header.method = "-lh5-";
    header.packedSize = 0x1234;
    header.originalSize = 0x56789A;
    header.mtime = 0x3B9ACA00;
    header.crc = 0xBEEF;
    header.unixMode = 0100644;
    header.path = "dir/a.txt";
    // clang-format off
    std::vector<std::uint8_t> expected = {
        0x38, 0x00, '-', 'l', 'h', '5', '-', 0x34, 0x12, 0x00, 0x00, 0x9A, 0x78, 0x56, 0x00,
        0x00, 0xCA, 0x9A, 0x3B, 0x20, 0x02, 0xEF, 0xBE, 'U', 0x05, 0x00,
        0x00, 0x00, 0x00, 0x08, 0x00,                    // header CRC, filled in below
        0x01, 'a', '.', 't', 'x', 't', 0x07, 0x00,       // name
        0x02, 'd', 'i', 'r', 0xFF, 0x05, 0x00,           // folder
        0x40, 0x20, 0x00, 0x05, 0x00,                    // DOS attribute: archive
        0x50, 0xA4, 0x81, 0x00, 0x00};                   // Unix mode 0100644
    // clang-format on
    ASSERT_EQ(expected.size(), 0x38u);
    const std::uint16_t crc = test::ReferenceCrc16(expected);
    expected[27] = static_cast<std::uint8_t>(crc);
    expected[28] = static_cast<std::uint8_t>(crc >> 8);
    EXPECT_EQ(BuildLevel2Header(header), expected);
}

TEST(ArchiverParts, HeaderSizeWithZeroLowByteGetsAPadByte) {
    MemberHeader header;
    header.method = "-lh0-";
    header.unixMode = 0100644;
    // 26 base + 5 CRC + 5 attribute + 5 mode = 41; a name of 212 bytes makes 256.
    header.path = std::string(212, 'n');
    const std::vector<std::uint8_t> bytes = BuildLevel2Header(header);
    EXPECT_EQ(bytes.size(), 257u);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0x01);
    EXPECT_EQ(bytes.back(), 0x00);
}

TEST(ArchiverParts, CommandsAreReadAsTheProgramWritesThem) {
    Command command;
    ASSERT_EQ(ParseCommand("a -x1r1a1 \"/tmp/my dir/out.lzh\" \"*.txt;*.doc\"", command), "");
    EXPECT_EQ(command.kind, Command::Kind::Add);
    EXPECT_TRUE(command.recursive);
    EXPECT_TRUE(command.keepFolders);
    EXPECT_EQ(command.archive, "/tmp/my dir/out.lzh");
    EXPECT_EQ(command.name, "*.txt;*.doc");

    ASSERT_EQ(ParseCommand("a -a1 \"x.lzh\" \"a b.txt\"", command), "");
    EXPECT_FALSE(command.recursive);
    EXPECT_FALSE(command.keepFolders);
    EXPECT_EQ(command.name, "a b.txt");

    ASSERT_EQ(ParseCommand("e -a1x1m0 \"/j/x.lzh\" \"/dest dir/\"*.*", command), "");
    EXPECT_EQ(command.kind, Command::Kind::Extract);
    EXPECT_TRUE(command.keepFolders);
    EXPECT_FALSE(command.check);
    EXPECT_EQ(command.destination, "/dest dir/");
    EXPECT_EQ(command.mask, "*.*");

    ASSERT_EQ(ParseCommand("e -a1x1m0 -c1 -c0 \"x.lzh\" \"d/\"*.*", command), "");
    EXPECT_FALSE(command.check);
    EXPECT_NE(ParseCommand("a -a1c1 \"x.lzh\" \"a.txt\"", command), "");
}

TEST(ArchiverParts, MasksMatchLikeTheirDosOriginals) {
    EXPECT_TRUE(MatchesMask("README", "*.*"));
    EXPECT_TRUE(MatchesMask("a.b.c", "*.*"));
    EXPECT_TRUE(MatchesMask("Notes.TXT", "*.txt"));
    EXPECT_FALSE(MatchesMask("notes.txt.bak", "*.txt"));
    EXPECT_TRUE(MatchesMask("abc", "a?c"));
    EXPECT_FALSE(MatchesMask("abbc", "a?c"));
    EXPECT_TRUE(MatchesMask("report", "report.*"));
    EXPECT_FALSE(MatchesMask("report", "*.txt"));
}

}  // namespace
}  // namespace zolvane::archiver
