// What the drive code takes for granted about removable media on a desktop, proved with the
// test drive: one device for every disk, and each disk mounted where its label says.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>


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
}

}  // namespace
}  // namespace zolvane::test
