#include "pieces/FileHelper.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <cstdlib>

#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

class FileHelperTest : public ::testing::Test {
protected:
    void SetUp() override { PinTimeZone("Asia/Tokyo"); }
    void TearDown() override { PinTimeZone("Asia/Tokyo"); }

    static void PinTimeZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

    std::string makeFile(std::time_t mtime, std::size_t bytes = 10) {
        const std::string path = dir.file("f.bin");
        test::WriteBytes(path, test::PatternBytes(bytes));
        const utimbuf times{mtime, mtime};
        utime(path.c_str(), &times);
        return path;
    }

    static TimestampBytes Stamp(std::uint16_t time, std::uint16_t date) {
        return {static_cast<std::uint8_t>(time), static_cast<std::uint8_t>(time >> 8),
                static_cast<std::uint8_t>(date), static_cast<std::uint8_t>(date >> 8)};
    }

    TimestampBytes readStamp(const std::string& path) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        FileHelper helper;
        helper.AttachStream(file);
        TimestampBytes stamp{};
        EXPECT_EQ(helper.ReadTimestamp(stamp), 0);
        std::fclose(file);
        return stamp;
    }

    test::TempDir dir;
};

TEST_F(FileHelperTest, MeasureSizeKeepsThePosition) {
    const std::string path = makeFile(1000000000, 70000);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(std::fgetc(file), EOF);
    FileHelper helper;
    helper.AttachStream(file);
    EXPECT_EQ(helper.MeasureSize(), 70000);
    EXPECT_EQ(helper.size(), 70000);
    EXPECT_EQ(std::ftell(file), 1);
    std::fclose(file);
}

TEST_F(FileHelperTest, TimestampIsLocalDosTime) {
    // 2001-06-09 04:25:21 UTC is 13:25:21 in Tokyo; DOS keeps even seconds.
    const std::string path = makeFile(992060721);
    EXPECT_EQ(readStamp(path), Stamp(0x6b2a, 0x2ac9));
}

TEST_F(FileHelperTest, TimesOutsideTheDosRangeAreClamped) {
    EXPECT_EQ(readStamp(makeFile(0)), Stamp(0x0000, 0x0021)) << "1970 becomes 1980-01-01 00:00:00";
    EXPECT_EQ(readStamp(makeFile(-86400)), Stamp(0x0000, 0x0021));
    // 2200-01-01 is past 2107-12-31 23:59:58.
    EXPECT_EQ(readStamp(makeFile(7258118400)), Stamp(0xbf7d, 0xff9f));
}

TEST_F(FileHelperTest, WriteTimestampSetsExactlyTheRecordedTime) {
    for (const char* zone : {"Asia/Tokyo", "Europe/Berlin", "UTC"}) {
        PinTimeZone(zone);
        const std::string path = makeFile(1700000000);
        std::FILE* file = std::fopen(path.c_str(), "ab");
        // Unflushed data must not move the time again at close.
        std::fputs("more", file);
        FileHelper helper;
        helper.AttachStream(file);
        const TimestampBytes summer = Stamp(0x6b2a, 0x2ac9);  // 2001-06-09 13:25:20
        ASSERT_EQ(helper.WriteTimestamp(summer), 0) << zone;
        std::fclose(file);
        EXPECT_EQ(readStamp(path), summer) << zone;
        struct stat info {};
        stat(path.c_str(), &info);
        EXPECT_EQ(info.st_size, 14);
    }
}

TEST_F(FileHelperTest, WriteTimestampRefusesImpossibleDates) {
    const std::string path = makeFile(1700000000);
    std::FILE* file = std::fopen(path.c_str(), "rb+");
    FileHelper helper;
    helper.AttachStream(file);
    EXPECT_EQ(helper.WriteTimestamp(Stamp(0x0000, 0x0000)), -1) << "month 0";
    EXPECT_EQ(helper.WriteTimestamp(Stamp(0x0000, (21 << 9) | (2 << 5) | 30)), -1) << "Feb 30";
    EXPECT_EQ(helper.WriteTimestamp(Stamp(24 << 11, 0x2ac9)), -1) << "hour 24";
    EXPECT_EQ(helper.WriteTimestamp(Stamp(0x0000, (20 << 9) | (2 << 5) | 29)), 0) << "2000-02-29";
    std::fclose(file);
}

}  // namespace
}  // namespace zolvane
