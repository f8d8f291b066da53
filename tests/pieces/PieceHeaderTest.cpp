#include "pieces/PieceHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

using test::Bytes;

// The first header of a 1.44MB split of C:\DATA\REPORT.DOC, written out by hand.
Bytes WorkedExampleHeader() {
    Bytes bytes = {'Z', 'V', 19, 0, 0, 0};
    const std::string name = "C:\\DATA\\REPORT.DOC";
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.push_back(0);
    const Bytes rest = {
        0x40, 0x42, 0x0f, 0x00,  // OriginalSize 1000000
        0x2a, 0x6b,              // time 13:25:20
        0xc9, 0x2a,              // date 2001-06-09
        0x21, 0x00, 0x00, 0x00,  // read-only | archive
        0x01,                    // archive flag
        0x00, 0x00, 0x00, 0x00,  // piece 0
    };
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

PieceHeader WorkedExample() {
    PieceHeader header;
    header.RecordedName = "C:\\DATA\\REPORT.DOC";
    header.NameLength = 19;
    header.OriginalSize = 1000000;
    header.Timestamp = {0x2a, 0x6b, 0xc9, 0x2a};
    header.Attributes = 0x21;
    header.ArchiveFlag = 1;
    return header;
}

std::FILE* OpenBytes(test::TempDir& dir, const Bytes& bytes) {
    const std::string path = dir.file("piece.000");
    test::WriteBytes(path, bytes);
    return std::fopen(path.c_str(), "rb");
}

// A stream over bytes whose read fails with `error` once `failAt` bytes are given, as a
// floppy with a bad sector does.
class FailingStream {
public:
    FailingStream(Bytes bytes, std::size_t failAt, int error)
        : bytes_(std::move(bytes)), failAt_(failAt), error_(error) {
        stream_ = fopencookie(this, "rb", {&FailingStream::read, nullptr, nullptr, nullptr});
    }
    ~FailingStream() { std::fclose(stream_); }
    FailingStream(const FailingStream&) = delete;
    FailingStream& operator=(const FailingStream&) = delete;

    std::FILE* get() const { return stream_; }

private:
    static ssize_t read(void* cookie, char* buffer, std::size_t size) {
        auto& self = *static_cast<FailingStream*>(cookie);
        if (self.at_ >= self.failAt_) {
            errno = self.error_;
            return -1;
        }
        const std::size_t count =
            std::min({size, self.failAt_ - self.at_, self.bytes_.size() - self.at_});
        std::memcpy(buffer, self.bytes_.data() + self.at_, count);
        self.at_ += count;
        return static_cast<ssize_t>(count);
    }

    Bytes bytes_;
    std::size_t failAt_;
    int error_;
    std::size_t at_ = 0;
    std::FILE* stream_;
};

TEST(PieceHeader, WriterMatchesHandBuiltBytes) {
    const Bytes expected = WorkedExampleHeader();
    ASSERT_EQ(expected.size(), 42u);
    EXPECT_EQ(EncodeFirstHeader(WorkedExample()), expected);
    EXPECT_EQ(WorkedExample().firstHeaderBytes(), 42);

    const auto number = EncodePieceNumber(0x01020304);
    EXPECT_EQ(Bytes(number.begin(), number.end()), (Bytes{4, 3, 2, 1}));
}

TEST(PieceHeader, ReaderTakesHandBuiltBytes) {
    test::TempDir dir;
    Bytes bytes = WorkedExampleHeader();
    bytes.push_back(0x99);  // first data byte stays unread
    std::FILE* file = OpenBytes(dir, bytes);
    PieceHeader header;
    ASSERT_EQ(ReadFirstHeader(file, header), HeaderStatus::Ok);
    EXPECT_EQ(header.NameLength, 19);
    EXPECT_EQ(header.RecordedName, "C:\\DATA\\REPORT.DOC");
    EXPECT_EQ(header.OriginalSize, 1000000);
    EXPECT_EQ(header.Timestamp, (TimestampBytes{0x2a, 0x6b, 0xc9, 0x2a}));
    EXPECT_EQ(header.Attributes, 0x21);
    EXPECT_EQ(header.ArchiveFlag, 1);
    EXPECT_EQ(header.PieceNumber, 0);
    EXPECT_EQ(std::fgetc(file), 0x99);
    std::fclose(file);
}

struct BadHeader {
    const char* what;
    Bytes bytes;
    HeaderStatus expected;
};

Bytes WithName(std::int32_t nameLength, const std::string& name, std::size_t tail = 17) {
    Bytes bytes = {'Z', 'V'};
    const auto length = EncodePieceNumber(nameLength);
    bytes.insert(bytes.end(), length.begin(), length.end());
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.insert(bytes.end(), tail, 0);
    return bytes;
}

TEST(PieceHeader, ReaderRefusesDamagedHeaders) {
    const std::string name255(254, 'n');
    const std::vector<BadHeader> cases = {
        {"empty file", {}, HeaderStatus::BadMagic},
        {"one byte", {'Z'}, HeaderStatus::BadMagic},
        {"wrong magic", {'Z', 'W', 1, 0, 0, 0, 0}, HeaderStatus::BadMagic},
        {"lower-case magic", {'z', 'v', 1, 0, 0, 0, 0}, HeaderStatus::BadMagic},
        {"no name length", {'Z', 'V', 1, 0}, HeaderStatus::Truncated},
        {"name length 256", WithName(256, std::string(255, 'n') + '\0'), HeaderStatus::NameTooLong},
        {"negative name length", WithName(-1, ""), HeaderStatus::BadName},
        {"zero name length", WithName(0, ""), HeaderStatus::BadName},
        {"name without zero byte", WithName(3, "abc"), HeaderStatus::BadName},
        {"zero byte inside the name", WithName(4, std::string("a\0b\0", 4)), HeaderStatus::BadName},
        {"name cut short", WithName(10, "abc", 0), HeaderStatus::Truncated},
        {"fields cut short", WithName(4, std::string("abc\0", 4), 16), HeaderStatus::Truncated},
    };
    for (const BadHeader& bad : cases) {
        test::TempDir dir;
        std::FILE* file = OpenBytes(dir, bad.bytes);
        PieceHeader header;
        EXPECT_EQ(ReadFirstHeader(file, header), bad.expected) << bad.what;
        std::fclose(file);
    }

    test::TempDir dir;
    std::FILE* file = OpenBytes(dir, WithName(255, name255 + '\0'));
    PieceHeader header;
    EXPECT_EQ(ReadFirstHeader(file, header), HeaderStatus::Ok) << "name length 255 is the limit";
    EXPECT_EQ(header.RecordedName, name255);
    std::fclose(file);
}

TEST(PieceHeader, LaterPieceNumberNeedsFourBytes) {
    test::TempDir dir;
    std::FILE* file = OpenBytes(dir, {7, 0, 0, 0, 1, 0});
    std::int32_t number = -5;
    EXPECT_TRUE(ReadPieceNumber(file, number));
    EXPECT_EQ(number, 7);
    const NumberRead shortRead = ReadPieceNumber(file, number);
    EXPECT_FALSE(shortRead) << "two bytes left";
    EXPECT_EQ(shortRead.status, NumberStatus::Truncated);
    std::fclose(file);
}

// A disk that fails is never taken for a damaged or foreign piece, wherever it fails.
TEST(PieceHeader, ReadErrorsAreToldFromFormatFaults) {
    const Bytes bytes = WorkedExampleHeader();
    for (std::size_t failAt = 0; failAt < bytes.size(); ++failAt) {
        FailingStream stream(bytes, failAt, EIO);
        PieceHeader header;
        errno = 0;
        EXPECT_EQ(ReadFirstHeader(stream.get(), header), HeaderStatus::ReadFailed) << failAt;
        EXPECT_EQ(errno, EIO) << failAt;
    }
    FailingStream afterHeader(bytes, bytes.size(), EIO);
    PieceHeader header;
    EXPECT_EQ(ReadFirstHeader(afterHeader.get(), header), HeaderStatus::Ok);

    for (std::size_t failAt = 0; failAt < 4; ++failAt) {
        FailingStream stream({7, 0, 0, 0}, failAt, ESTALE);
        std::int32_t number = -5;
        const NumberRead read = ReadPieceNumber(stream.get(), number);
        EXPECT_FALSE(read) << failAt;
        EXPECT_EQ(read.status, NumberStatus::ReadFailed) << failAt;
        EXPECT_EQ(read.error, ESTALE) << failAt;
        EXPECT_EQ(number, -5) << failAt;
    }
}

}  // namespace
}  // namespace zolvane
