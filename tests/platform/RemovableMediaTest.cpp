// What the drive code takes for granted about removable media on a desktop, proved with the
// test drive: one device for every disk, and each disk mounted where its label says.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <algorithm>

#include "platform/Drives.h"
#include "tests/support/DiskService.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFloppyDrive.h"

namespace zolvane::test {
namespace {

TEST(RemovableMedia, UDisksMountsEachSwappedDiskUnderItsOwnLabel) {
    DiskService services;
    if (!services.problem().empty()) {
        GTEST_SKIP() << services.problem();
    }
    TestFloppyDrive drive;
    ASSERT_EQ(drive.problem(), "");
    const std::string media = std::string("/media/") + getpwuid(geteuid())->pw_name + "/";
    const std::string first = drive.makeDisk("DISK1");
    const std::string second = drive.makeDisk("DISK2", {{"PART.001", PatternBytes(3000)}});

    ASSERT_TRUE(drive.insert(first)) << drive.problem();
    EXPECT_EQ(drive.udisksProperty("HintSystem"), "false") << "UDisks2 would hide the drive";
    EXPECT_EQ(drive.mountWithUDisks(), media + "DISK1") << drive.problem();
    ASSERT_TRUE(drive.unmount()) << drive.problem();

    ASSERT_TRUE(drive.insert(second)) << drive.problem();
    EXPECT_EQ(drive.mountWithUDisks(), media + "DISK2") << drive.problem();
    EXPECT_EQ(ReadBytes(media + "DISK2/PART.001"), PatternBytes(3000));
}

// The program's view of the same: one drive, its device, whatever folder its disk is at.
TEST(RemovableMedia, TheDriveIsTheDeviceAndFollowsItsDisk) {
    DiskService services;
    if (!services.problem().empty()) {
        GTEST_SKIP() << services.problem();
    }
    TestFloppyDrive drive;
    ASSERT_TRUE(drive.insert(drive.makeDisk("ZVDRV1"))) << drive.problem();
    platform::DriveQueries& drives = platform::SystemDrives();
    const std::string name = drive.device();
    const auto listed = drives.listDrives();
    const auto at = std::find(listed.begin(), listed.end(), name);
    ASSERT_NE(at, listed.end());
    EXPECT_LT(at - listed.begin(), std::find(listed.begin(), listed.end(), "/") - listed.begin())
        << "removable drives come before the system disk";
    EXPECT_EQ(drives.describe(name), name) << "nothing mounted yet";

    const std::string first = std::string("/media/") + getpwuid(geteuid())->pw_name + "/ZVDRV1";
    EXPECT_EQ(drives.medium(name).root, first) << "the readiness test mounts the disk";
    EXPECT_EQ(drives.describe(name), first);
    const platform::DrivePlace place = drives.placeOf(first + "/sub/REPORT.000");
    EXPECT_EQ(place.drive, name);
    EXPECT_EQ(place.relative, "sub/REPORT.000");
    EXPECT_TRUE(place.removable);
    EXPECT_EQ(drives.placeOf(name + "/REPORT.DOC").relative, "REPORT.DOC");

    EXPECT_EQ(drives.release(name), "");
    EXPECT_EQ(drive.mountPoint(), "") << "let go before the next disk is asked for";
    ASSERT_TRUE(drive.insert(drive.makeDisk("ZVDRV2"))) << drive.problem();
    const auto second = drives.pathOn(place);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(*second, std::string("/media/") + getpwuid(geteuid())->pw_name + "/ZVDRV2/sub/REPORT.000");

    ASSERT_TRUE(drive.eject()) << drive.problem();
    EXPECT_FALSE(drives.isReady(name));
    EXPECT_FALSE(drives.freeBytes(name).has_value());
    EXPECT_NE(drives.medium(name).problem, "");
    const platform::DrivePlace gone = drives.placeOf(first + "/REPORT.000");
    EXPECT_TRUE(gone.removable) << "the folder a disk was mounted at is no drive of the system disk";
    EXPECT_FALSE(drives.pathOn(gone).has_value());
}

TEST(RemovableMedia, PlainMountWorksWithoutUDisks) {
    DiskService services(DiskService::Mode::WithoutUDisks);
    if (!services.problem().empty()) {
        GTEST_SKIP() << services.problem();
    }
    TempDir dir;
    TestFloppyDrive drive;
    ASSERT_TRUE(drive.insert(drive.makeDisk("DISK1"))) << drive.problem();
    ASSERT_TRUE(drive.mountAt(dir.path().string())) << drive.problem();
    EXPECT_EQ(drive.mountPoint(), dir.path().string());
    EXPECT_FALSE(UDisksOnBus());

    // Without the disk service the drive is still the device; the user mounts each disk.
    platform::DriveQueries& drives = platform::SystemDrives();
    const platform::DrivePlace place = drives.placeOf(dir.file("REPORT.000"));
    EXPECT_EQ(place.drive, drive.device());
    EXPECT_EQ(drives.release(place.drive), "") << "a mount made by hand is the user's to undo";
    ASSERT_TRUE(drive.insert(drive.makeDisk("DISK2"))) << drive.problem();
    EXPECT_NE(drives.medium(place.drive).problem.find("マウントしてください"), std::string::npos);
    TempDir other;
    ASSERT_TRUE(drive.mountAt(other.path().string())) << drive.problem();
    EXPECT_EQ(drives.pathOn(place), other.file("REPORT.000"));
}

}  // namespace
}  // namespace zolvane::test
