// The failing floppy does what the engine tests rely on: data that the disk refused is an
// error at fsync, and is not on the disk afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>

#include "tests/support/FlakyDisk.h"
#include "tests/support/TempDir.h"

namespace zolvane::test {
namespace {

class FlakyDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!disk_.problem().empty()) {
            GTEST_SKIP() << disk_.problem();
        }
    }

    std::string onDisk(const std::string& name) const { return disk_.mountPoint() + "/" + name; }

    // Writes `bytes` as a new file; returns fsync's errno, 0 when it succeeded.
    int writeAndSync(const std::string& name, const Bytes& bytes) {
        const int fd = open(onDisk(name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        const int error = fsync(fd) == 0 ? 0 : errno;
        close(fd);
        return error;
    }

    TempDir dir_;
    FlakyDisk disk_{dir_.path().string(), "FLAKY"};
};

TEST_F(FlakyDiskTest, FsyncFailsWhileTheDataSectorsFailAndWorksAfterHealing) {
    const Bytes data = PatternBytes(20000);
    ASSERT_GT(disk_.failFreeSpaceWrites(), 0);

    EXPECT_EQ(writeAndSync("lost.bin", data), EIO);
    EXPECT_GT(disk_.failedWrites(), 0);

    ASSERT_TRUE(disk_.heal());
    EXPECT_EQ(writeAndSync("kept.bin", data), 0);
}

TEST_F(FlakyDiskTest, ARemountShowsOnlyWhatReachedTheDisk) {
    const Bytes data = PatternBytes(20000);
    WriteBytes(onDisk("before.bin"), data);
    ASSERT_GT(disk_.failFreeSpaceWrites(), 0);
    WriteBytes(onDisk("lost.bin"), data);

    // Written back at unmount, while the sectors still fail.
    ASSERT_TRUE(disk_.unmount());
    ASSERT_TRUE(disk_.heal());
    ASSERT_TRUE(disk_.remount()) << disk_.problem();

    EXPECT_EQ(ReadBytes(onDisk("before.bin")), data);
    EXPECT_NE(ReadBytes(onDisk("lost.bin")), data);
}

}  // namespace
}  // namespace zolvane::test
