#include "platform/Drives.h"

#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace zolvane::platform
