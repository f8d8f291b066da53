#include "platform/Drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/posix/ExtFileRoom.h"

#include "tests/support/Mount.h"
#include "tests/support/TempDir.h"

namespace zolvane::platform {
namespace {

namespace fs = std::filesystem;

TEST(Drives, EveryPathLiesOnSomeDrive) {
    DriveQueries& drives = SystemDrives();
    EXPECT_EQ(drives.driveOf("/"), "/");
    const std::string drive = drives.driveOf("relative/name.doc");
    EXPECT_EQ(drive.front(), '/');
    EXPECT_EQ(fs::current_path().string().rfind(drive == "/" ? "/" : drive + "/", 0), 0u)
        << "the drive of a bare name is the current folder's";
    EXPECT_TRUE(drives.isReady(drive));
    EXPECT_FALSE(drives.isReady("/no/such/mount/point"));
    EXPECT_FALSE(drives.freeBytes("/no/such/mount/point").has_value());
}

TEST(Drives, AMountedDiskIsADriveUntilEjected) {
    if (!test::CanMount()) {
        GTEST_SKIP() << "needs root to mount a tmpfs";
    }
    test::TempDir dir;
    const std::string point = dir.file("floppy");
    fs::create_directory(point);
    test::TmpfsMount disk(point, 1474560);
    if (!disk.ok()) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    DriveQueries& drives = SystemDrives();
    EXPECT_EQ(drives.driveOf(point + "/sub/../REPORT.000"), point);
    EXPECT_EQ(drives.driveOf(point), point);
    EXPECT_NE(drives.driveOf(point + "x/REPORT.000"), point) << "a prefix of a name is no folder";
    EXPECT_TRUE(drives.isReady(point));
    EXPECT_EQ(drives.freeBytes(point), 1474560);

    test::WriteBytes(point + "/used", test::PatternBytes(100000));
    EXPECT_EQ(drives.freeBytes(point), 1474560 - 25 * 4096);

    disk.eject();
    EXPECT_FALSE(drives.isReady(point));
    EXPECT_FALSE(drives.freeBytes(point).has_value());
}

TEST(Drives, FreeSpaceIsCappedAt2GiB) {
    if (!test::CanMount()) {
        GTEST_SKIP() << "needs root to mount a tmpfs";
    }
    test::TempDir dir;
    const std::string point = dir.file("big");
    fs::create_directory(point);
    test::TmpfsMount disk(point, 8L << 30);  // tmpfs takes memory only as it is used
    if (!disk.ok()) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    EXPECT_EQ(SystemDrives().freeBytes(point), 2147483647);
}

// The drive lists show the volumes that hold files: the root always, a mounted floppy image,
// never the kernel's own file systems; removable media come first.
TEST(Drives, TheListHoldsTheVolumesOfFiles) {
    const std::vector<std::string> drives = SystemDrives().listDrives();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "/"), drives.end());
    for (const char* system : {"/proc", "/sys", "/dev", "/dev/shm", "/run"}) {
        EXPECT_EQ(std::find(drives.begin(), drives.end(), system), drives.end()) << system;
    }

    test::TempDir dir;
    const std::string point = dir.file("floppy");
    fs::create_directory(point);
    test::Ext2Floppy disk(point, dir.path().string(), 0);
    if (!disk.problem().empty()) {
        GTEST_SKIP() << disk.problem();
    }
    const std::vector<std::string> withDisk = SystemDrives().listDrives();
    EXPECT_NE(std::find(withDisk.begin(), withDisk.end(), point), withDisk.end());
    disk.eject();
    const std::vector<std::string> without = SystemDrives().listDrives();
    EXPECT_EQ(std::find(without.begin(), without.end(), point), without.end());
}

// Boundaries of the block map: 12 direct blocks, then one indirect block for the next 256
// (1 KiB blocks), then the double indirect tree.
TEST(ExtFileRoom, TheBlockMapTakesItsShareOfTheFreeBlocks) {
    struct Case {
        std::uint64_t free;
        std::uint64_t data;
    };
    for (const Case& one : {Case{0, 0}, Case{12, 12}, Case{13, 12}, Case{14, 13}, Case{269, 268},
                            Case{270, 268}, Case{271, 268}, Case{272, 269}, Case{1372, 1365}}) {
        EXPECT_EQ(ExtLargestFileBlocks(one.free, 1024), one.data) << one.free;
    }
    EXPECT_EQ(ExtLargestFileBlocks(1000000, 4096), 999023u) << "4 KiB blocks: 1024 per block";
}

// The answer is a file that really fits: one block more does not (without blocks reserved
// for root, which root could use).
TEST(Drives, AnExt2FloppyTakesExactlyTheFileItReports) {
    test::TempDir dir;
    const std::string point = dir.file("floppy");
    fs::create_directory(point);
    test::Ext2Floppy disk(point, dir.path().string(), 0);
    if (!disk.problem().empty()) {
        GTEST_SKIP() << disk.problem();
    }
    const auto free = SystemDrives().freeBytes(point);
    ASSERT_TRUE(free.has_value());
    EXPECT_GT(*free, 1300000);
    const auto fill = [&](std::size_t bytes) {
        std::FILE* file = std::fopen((point + "/piece").c_str(), "wb");
        const test::Bytes data(bytes, 0x5a);
        const bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
        const bool closed = std::fclose(file) == 0;
        fs::remove(point + "/piece");
        return written && closed;
    };
    EXPECT_TRUE(fill(static_cast<std::size_t>(*free)));
    EXPECT_FALSE(fill(static_cast<std::size_t>(*free) + 1024));
}

}  // namespace
}  // namespace zolvane::platform
