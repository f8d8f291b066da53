// Media that fail on write: the kernel takes the data and writes it back later, so only a
// sync can tell. A split onto such a disk and a join over a good copy on it must say so and
// leave nothing that passes for good.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "join/JoinFile.h"
#include "split/DivideFile.h"
#include "tests/support/FakeJoinOperations.h"
#include "tests/support/FakeSplitOperations.h"
#include "tests/support/FlakyDisk.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;

// A folder where desktops mount removable media, made for one test and removed after it.
struct MediaFolder {
    MediaFolder() { fs::create_directories(path, error); }
    ~MediaFolder() { fs::remove(path, error); }
    std::string path = "/media/zolvane-test-" + std::to_string(getpid());
    std::error_code error;
};

class FailingDiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!disk.problem().empty()) {
            GTEST_SKIP() << disk.problem();
        }
        sourcePath = home.file("REPORT.DOC");
        source = test::PatternBytes(100000, 5);
        test::WriteBytes(sourcePath, source);
    }

    std::string onDisk(const std::string& name) const { return disk.mountPoint() + "/" + name; }

    test::TempDir home;
    std::string sourcePath;
    test::Bytes source;
    MediaFolder media;
    test::FlakyDisk disk{media.path, "FLAKY"};
};

TEST_F(FailingDiskTest, ASplitWhoseDataNeverReachesTheDiskFails) {
    for (const SizeChoice choice : {SizeChoice::Automatic, SizeChoice::Floppy1440K}) {
        ASSERT_GT(disk.failFreeSpaceWrites(), 0);
        test::FakeSplitOperations ops;
        ops.choice = choice;
        EXPECT_EQ(DivideFile(sourcePath, onDisk("REPORT.DOC"), ops), -1);
        ASSERT_EQ(ops.texts(), std::vector<std::string>{
                                   "書き込みエラーが発生しました。\nファイルの分割を中止します。"});
        EXPECT_EQ(ops.messages[0].detail, onDisk("REPORT.000") + ": Input/output error");
        EXPECT_FALSE(fs::exists(onDisk("REPORT.000"))) << "no piece is left to pass for a good one";
        ASSERT_TRUE(disk.heal());
    }
}

TEST_F(FailingDiskTest, AJoinOverAGoodCopyKeepsItWhenTheDiskFails) {
    test::TempDir pieces;
    test::FakeSplitOperations split;
    split.choice = SizeChoice::Free;
    split.freeSize = 40000;
    ASSERT_EQ(DivideFile(sourcePath, pieces.file("REPORT.DOC"), split), 0);
    const test::Bytes good = test::PatternBytes(70000, 9);
    test::WriteBytes(onDisk("REPORT.DOC"), good);
    ASSERT_GT(disk.failFreeSpaceWrites(), 0);  // syncs the good copy first

    test::FakeJoinOperations ops;
    ops.overwriteAnswers = {OverwriteAnswer::Overwrite};
    EXPECT_EQ(JoinFile(pieces.file("REPORT.000"), disk.mountPoint() + "/", ops), -1);
    ASSERT_FALSE(ops.messages.empty());
    EXPECT_EQ(ops.messages.back().text, "データの書き込みに失敗しました。\n結合を中止します。");
    EXPECT_NE(ops.messages.back().detail.find("Input/output error"), std::string::npos);

    ASSERT_TRUE(disk.unmount());
    ASSERT_TRUE(disk.heal());
    ASSERT_TRUE(disk.remount()) << disk.problem();
    EXPECT_EQ(test::ReadBytes(onDisk("REPORT.DOC")), good);
    for (const auto& entry : fs::directory_iterator(disk.mountPoint())) {
        EXPECT_EQ(entry.path().filename().string().rfind(".zvjoin-", 0), std::string::npos)
            << "no temporary file stays behind";
    }
}

}  // namespace
}  // namespace zolvane
