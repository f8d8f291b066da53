// A set whose archive flag is 1: the rebuilt archive is unpacked through the archiver and
// deleted. The archiver is faked here.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "join/JoinFile.h"
#include "tests/support/FakeJoinOperations.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/PieceBuilder.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

class JoinArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        fs::create_directory(dir.file("set"));
        fs::create_directory(dir.file("out dir"));
        test::FirstPiece first;
        first.name = "C:\\TEMP\\PACK.LZH";
        first.archiveFlag = 1;
        first.originalSize = 4;
        first.data = {'-', 'l', 'h', '-'};
        test::WriteBytes(dir.file("set/PACK.000"), test::FirstPieceBytes(first));
    }

    int join() { return JoinFile(dir.file("set/PACK.000"), destination(), ops, drives); }
    std::string destination() const { return dir.file("out dir") + "/"; }
    std::string archive() const { return dir.file("out dir/PACK.LZH"); }

    test::TempDir dir;
    test::FakeDrives drives;
    test::FakeJoinOperations ops;
};

TEST_F(JoinArchiveTest, SuccessUnpacksAndDeletesTheArchive) {
    std::string seen;
    ops.onArchiver = [&](const std::string&) { seen = fs::exists(archive()) ? "present" : "absent"; };
    ASSERT_EQ(join(), 0);
    EXPECT_EQ(ops.commands, std::vector<std::string>{"e -a1x1m0 \"" + archive() + "\" \"" + destination() +
                                                     "\"*.*"});
    EXPECT_EQ(seen, "present") << "the archive is complete when the archiver runs";
    EXPECT_FALSE(fs::exists(archive()));
    EXPECT_EQ(ops.texts(), std::vector<std::string>{"結合が終了しました。"});
}

TEST_F(JoinArchiveTest, FailureKeepsTheArchiveAndSaysWhere) {
    ops.archiverResult = 1;
    ops.archiverReport = "failed: 'a.txt': cannot create: Permission denied";
    EXPECT_EQ(join(), -1);
    EXPECT_EQ(test::ReadBytes(archive()), (Bytes{'-', 'l', 'h', '-'}));
    EXPECT_EQ(ops.texts(), std::vector<std::string>{
                               "結合に失敗しました。\n結合したLZHファイルは結合先に残してあります。"});
    EXPECT_EQ(ops.messages[0].caption, "メッセージ");
    EXPECT_EQ(ops.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(ops.messages[0].detail, archive() + ": " + ops.archiverReport);
}

TEST_F(JoinArchiveTest, DeclinedUnpackKeepsTheArchive) {
    ops.unpackAllowed = false;
    EXPECT_EQ(join(), -1);
    EXPECT_EQ(ops.unpackOffers, std::vector<std::string>{archive()});
    EXPECT_TRUE(ops.commands.empty());
    EXPECT_TRUE(fs::exists(archive()));
    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(ops.messages[0].detail, archive());
}

TEST_F(JoinArchiveTest, BusyLeavesTheArchive) {
    ops.busy = true;
    EXPECT_EQ(join(), -1);
    EXPECT_TRUE(ops.commands.empty());
    EXPECT_TRUE(fs::exists(archive()));
    EXPECT_EQ(ops.texts(), std::vector<std::string>{"UNLHA32.DLLが使用中です。\n結合を中止します。"});
    EXPECT_EQ(ops.messages[0].icon, MessageIcon::Error);
}

TEST_F(JoinArchiveTest, ADeleteFailureIsReported) {
    // Something the archiver left where the archive was cannot be removed as a file.
    ops.onArchiver = [&](const std::string&) {
        fs::remove(archive());
        fs::create_directories(archive() + "/inside");
    };
    EXPECT_EQ(join(), 0);
    const std::vector<std::string> expected = {"作成したLZHファイルの削除に失敗しました。", "結合が終了しました。"};
    EXPECT_EQ(ops.texts(), expected);
    EXPECT_EQ(ops.messages[0].caption, "失敗");

}

TEST_F(JoinArchiveTest, WithoutTheArchiverTheArchiveStaysWithItsTime) {
    ops.ready = false;
    EXPECT_EQ(join(), -1);
    EXPECT_TRUE(ops.commands.empty());
    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(ops.messages[0].caption, "エラー");
    EXPECT_NE(ops.messages[0].text.find("LZHファイルを展開できませんでした。"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(stat(archive().c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 992060720) << "2001-06-09 13:25:20 in Tokyo";
}

TEST_F(JoinArchiveTest, OtherFlagValuesMeanAPlainFile) {
    test::FirstPiece first;
    first.name = "PACK.LZH";
    first.archiveFlag = 2;
    first.originalSize = 1;
    first.data = {1};
    test::WriteBytes(dir.file("set/PACK.000"), test::FirstPieceBytes(first));
    ASSERT_EQ(join(), 0);
    EXPECT_TRUE(ops.commands.empty());
    EXPECT_TRUE(fs::exists(archive()));
}

TEST_F(JoinArchiveTest, ADestinationHoldingAQuoteIsRefusedBeforeAnythingIsWritten) {
    fs::create_directory(dir.file("a\"b"));
    EXPECT_EQ(JoinFile(dir.file("set/PACK.000"), dir.file("a\"b") + "/", ops, drives), -1);
    EXPECT_TRUE(fs::is_empty(dir.file("a\"b")));
    EXPECT_TRUE(ops.commands.empty());
    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(ops.messages[0].caption, "エラー");
}

}  // namespace
}  // namespace zolvane
