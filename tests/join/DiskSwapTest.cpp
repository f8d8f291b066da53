// Split across disks of one removable drive that the desktop mounts at a folder of each
// disk's own, and joined back the same way: the engines follow the drive, not the folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "join/JoinFile.h"
#include "pieces/PieceHeader.h"
#include "split/DivideFile.h"
#include "tests/support/FakeJoinOperations.h"
#include "tests/support/FakeSplitOperations.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDrive = "/dev/fakefd";

constexpr const char* kNextDisk = "次のフロッピーディスクを入れてください。";
constexpr const char* kPieceMissing =
    "次のディスクを入れてください。\n\nフロッピーディスクからでない場合、\n"
    "ファイルが指定のフォルダに見つかりませんでした。";

class DiskSwapTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"DISK1", "DISK2", "DISK3"}) {
            disks.push_back(media.file(name));
            fs::create_directory(disks.back());
        }
        sourcePath = home.file("REPORT.DOC");
        source = test::PatternBytes(250);
        test::WriteBytes(sourcePath, source);
        drive.devices[kDrive] = disks[0];
    }

    std::string& mountedAt() { return drive.devices[kDrive]; }

    // The next disk goes in at every prompt with this text.
    void swapAt(test::FakePrompts& prompts, const std::string& text) {
        prompts.replies = std::deque<MessageReply>(10, MessageReply::Ok);
        prompts.onMessage = [this, text](const test::ShownMessage& shown) {
            if (shown.text == text) {
                mountedAt() = disks.at(++inserted);
            }
        };
    }

    test::TempDir home;
    test::TempDir media;
    std::vector<std::string> disks;
    std::size_t inserted = 0;
    std::string sourcePath;
    test::Bytes source;
    test::FakeDrives drive;
};

TEST_F(DiskSwapTest, SplitAndJoinFollowTheDriveFromFolderToFolder) {
    test::FakeSplitOperations split;
    split.choice = SizeChoice::Automatic;
    const std::int32_t firstHeader = kFirstHeaderFixedBytes + static_cast<std::int32_t>(sourcePath.size()) + 1;
    drive.script = {firstHeader + 100, 0, 104, 0, 1000};
    swapAt(split, kNextDisk);
    ASSERT_EQ(DivideFile(sourcePath, std::string(kDrive) + "/REPORT.DOC", split, drive), 0);
    EXPECT_EQ(split.pieces, (std::vector<std::string>{disks[0] + "/REPORT.000", disks[1] + "/REPORT.001",
                                                      disks[2] + "/REPORT.002"}));
    EXPECT_EQ(drive.released, (std::vector<std::string>{disks[0], disks[1]}))
        << "each full disk is let go before the next is asked for";
    EXPECT_EQ(split.messages[0].detail, disks[0]) << "the prompt names the drive as its list shows it";

    // Joined from the first disk as the user found it, with the same swaps.
    test::TempDir out;
    test::FakeJoinOperations join;
    inserted = 0;
    mountedAt() = disks[0];
    drive.released.clear();
    drive.releaseProblem = "DISK: busy";
    swapAt(join, kPieceMissing);
    ASSERT_EQ(JoinFile(disks[0] + "/REPORT.000", out.path().string() + "/", join, drive), 0);
    EXPECT_EQ(test::ReadBytes(out.file("REPORT.DOC")), source);
    EXPECT_EQ(join.pieces, split.pieces);
    EXPECT_EQ(drive.released, (std::vector<std::string>{disks[0], disks[1]}));
    EXPECT_NE(join.messages[0].detail.find("DISK: busy"), std::string::npos)
        << "a disk that cannot be let go is said";
}

TEST_F(DiskSwapTest, ADiskGoneMidwayIsNeverReplacedByItsBareFolder) {
    test::FakeSplitOperations split;
    split.choice = SizeChoice::Free;
    split.freeSize = 200;
    split.replies = {MessageReply::Retry};
    split.onEvents = [&](int round) {
        if (round == 1) {
            mountedAt().clear();  // taken out; its folder stays behind, bare
        }
    };
    split.onMessage = [&](const test::ShownMessage&) { mountedAt() = disks[1]; };
    source = test::PatternBytes(600);
    test::WriteBytes(sourcePath, source);
    ASSERT_EQ(DivideFile(sourcePath, disks[0] + "/REPORT.DOC", split, drive), 0);
    ASSERT_FALSE(split.messages.empty());
    EXPECT_EQ(split.messages[0].text, "分割ファイルを作成できません。");
    EXPECT_EQ(split.messages[0].detail, std::string(kDrive) + ": no disk");
    EXPECT_FALSE(fs::exists(disks[0] + "/REPORT.001")) << "nothing lands where the disk was";
    EXPECT_TRUE(fs::exists(disks[1] + "/REPORT.001"));
}

TEST_F(DiskSwapTest, ADriveWithoutADiskIsNotReadyForEitherEngine) {
    mountedAt().clear();
    test::FakeSplitOperations split;
    split.choice = SizeChoice::Automatic;
    EXPECT_EQ(DivideFile(sourcePath, std::string(kDrive) + "/REPORT.DOC", split, drive), -1);
    ASSERT_EQ(split.messages.size(), 1u);
    EXPECT_EQ(split.messages[0].text, "フロッピーディスクを入れてください。");
    EXPECT_EQ(split.messages[0].detail, std::string(kDrive) + ": no disk");

    test::FakeJoinOperations join;
    EXPECT_EQ(JoinFile(std::string(kDrive) + "/REPORT.000", home.path().string() + "/", join, drive), -1);
    ASSERT_FALSE(join.messages.empty());
    EXPECT_EQ(join.messages[0].text, "フロッピーディスクを入れてください。");
    EXPECT_EQ(join.messages[0].detail, std::string(kDrive) + ": no disk");
}

}  // namespace
}  // namespace zolvane
