// Split then join: the file comes back byte for byte, with its time and read-only state.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <filesystem>
#include <functional>

#include "join/JoinFile.h"
#include "split/DivideFile.h"
#include "tests/support/FakeJoinOperations.h"
#include "tests/support/FakeSplitOperations.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

constexpr const char* kFinished = "結合が終了しました。";
constexpr std::time_t kSourceTime = 992060721;  // 2001-06-09 13:25:21 in Tokyo

class JoinRoundTripTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        fs::create_directory(src.file("in"));
        fs::create_directory(src.file("pieces"));
    }

    // Splits a pattern file of `size` bytes with the given choice into src/pieces.
    void splitSource(std::size_t size, SizeChoice choice = SizeChoice::Free, std::int32_t piece = 1000,
                     mode_t mode = 0644) {
        for (const auto& entry : fs::directory_iterator(src.file("pieces"))) {
            fs::remove(entry.path());
        }
        sourcePath = src.file("in/REPORT.DOC");
        source = test::PatternBytes(size, static_cast<std::uint32_t>(size));
        test::WriteBytes(sourcePath, source);
        chmod(sourcePath.c_str(), mode);
        const utimbuf times{kSourceTime, kSourceTime};
        utime(sourcePath.c_str(), &times);
        test::FakeSplitOperations splitOps;
        splitOps.choice = choice;
        splitOps.freeSize = piece;
        ASSERT_EQ(DivideFile(sourcePath, src.file("pieces/REPORT.DOC"), splitOps, drives), 0);
    }

    int join(const std::string& selected) {
        return JoinFile(selected, dest.path().string() + "/", ops, drives);
    }

    std::string output() const { return dest.file("REPORT.DOC"); }

    test::TempDir src;
    test::TempDir dest;
    std::string sourcePath;
    Bytes source;
    test::FakeDrives drives;
    test::FakeJoinOperations ops;
};

TEST_F(JoinRoundTripTest, SizesAroundBlockAndPieceEnds) {
    for (const std::int32_t piece : {500, 1000, 30004 + 42, 65536}) {
        for (const std::size_t size : {0u, 1u, 957u, 958u, 29999u, 30000u, 30001u, 60000u, 200000u}) {
            splitSource(size, SizeChoice::Free, piece);
            test::FakeJoinOperations local;
            ASSERT_EQ(JoinFile(src.file("pieces/REPORT.000"), dest.path().string() + "/", local, drives), 0)
                << piece << " " << size;
            EXPECT_EQ(test::ReadBytes(output()), source) << piece << " " << size;
            EXPECT_EQ(local.texts(), std::vector<std::string>{kFinished});
            EXPECT_EQ(local.progress.back(), 100);
            fs::remove(output());
        }
    }
}

TEST_F(JoinRoundTripTest, TimeAndReadOnlyComeBack) {
    splitSource(5000, SizeChoice::Free, 2000, 0444);
    ASSERT_EQ(join(src.file("pieces/REPORT.001")), 0);
    struct stat info {};
    ASSERT_EQ(stat(output().c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, kSourceTime - 1) << "DOS time keeps even seconds";
    EXPECT_EQ(info.st_mode & 0222, 0u) << "read-only";
    EXPECT_EQ(test::ReadBytes(output()), source);
}

TEST_F(JoinRoundTripTest, AnyMemberOrTheSourceNameLeadsToPiece000) {
    splitSource(3500);
    ASSERT_EQ(join(src.file("pieces/REPORT.002")), 0);
    EXPECT_EQ(ops.pieces, (std::vector<std::string>{src.file("pieces/REPORT.000"), src.file("pieces/REPORT.001"),
                                                    src.file("pieces/REPORT.002"), src.file("pieces/REPORT.003")}));
    EXPECT_EQ(ops.outputs, std::vector<std::string>{output()});

    test::FakeJoinOperations byName;
    byName.overwriteAnswers = {OverwriteAnswer::Overwrite};
    ASSERT_EQ(JoinFile(src.file("pieces/REPORT.DOC"), dest.path().string() + "/", byName, drives), 0);
    EXPECT_EQ(test::ReadBytes(output()), source);
}

TEST_F(JoinRoundTripTest, FloppySizedPieces) {
    splitSource(2 * 1457664 + 12345, SizeChoice::Floppy1440K);
    ASSERT_EQ(join(src.file("pieces/REPORT.000")), 0);
    EXPECT_EQ(test::ReadBytes(output()), source);
}

TEST_F(JoinRoundTripTest, ASetOnTwoDisks) {
    splitSource(5000);
    // Disk 1 holds 000 to 002; disk 2 holds the rest, under the same folder.
    const std::string second = src.file("second-disk");
    fs::create_directory(second);
    for (const char* name : {"REPORT.003", "REPORT.004", "REPORT.005"}) {
        fs::rename(src.file(std::string("pieces/") + name), second + "/" + name);
    }
    ops.replies = {MessageReply::Ok};
    ops.onMessage = [&](const test::ShownMessage& shown) {
        if (shown.caption == "警告") {
            for (const auto& entry : fs::directory_iterator(src.file("pieces"))) {
                fs::remove(entry.path());
            }
            for (const auto& entry : fs::directory_iterator(second)) {
                fs::rename(entry.path(), src.file("pieces/" + entry.path().filename().string()));
            }
        }
    };
    ASSERT_EQ(join(src.file("pieces/REPORT.000")), 0);
    ASSERT_EQ(ops.messages.size(), 2u);
    EXPECT_EQ(ops.messages[0].text,
              "次のディスクを入れてください。\n\nフロッピーディスクからでない場合、\n"
              "ファイルが指定のフォルダに見つかりませんでした。");
    EXPECT_EQ(ops.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(ops.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(test::ReadBytes(output()), source);
}

TEST_F(JoinRoundTripTest, AnEmptyDriveAsksForADisk) {
    splitSource(3000);
    drives.script = {std::nullopt, 1, std::nullopt};
    ops.replies = {MessageReply::Retry, MessageReply::Retry};
    ASSERT_EQ(join(src.file("pieces/REPORT.000")), 0);
    const std::vector<std::string> expected = {"フロッピーディスクを入れてください。",
                                               "次のフロッピーディスクを入れてください。", kFinished};
    EXPECT_EQ(ops.texts(), expected);
    EXPECT_EQ(ops.messages[0].caption, "エラー");
    EXPECT_EQ(ops.messages[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(drives.readyQueries, 4) << "once per piece; Retry goes straight to the open";

    test::FakeJoinOperations cancelled;
    drives.script = {std::nullopt};
    fs::remove(output());
    EXPECT_EQ(JoinFile(src.file("pieces/REPORT.000"), dest.path().string() + "/", cancelled, drives), -1);
    EXPECT_EQ(cancelled.messages.size(), 1u);
    EXPECT_FALSE(fs::exists(output()));
}

TEST_F(JoinRoundTripTest, ExistingOutputIsAskedAbout) {
    splitSource(3000);
    test::WriteBytes(output(), {'k', 'e', 'e', 'p'});
    EXPECT_EQ(join(src.file("pieces/REPORT.000")), -1);
    std::string recorded = sourcePath;
    std::replace(recorded.begin(), recorded.end(), '/', '\\');
    EXPECT_EQ(ops.overwriteQuestions, std::vector<std::string>{recorded});
    EXPECT_TRUE(ops.messages.empty());
    EXPECT_EQ(test::ReadBytes(output()), (Bytes{'k', 'e', 'e', 'p'}));

    for (const OverwriteAnswer answer : {OverwriteAnswer::Overwrite, OverwriteAnswer::OverwriteAll}) {
        test::FakeJoinOperations again;
        again.overwriteAnswers = {answer};
        EXPECT_EQ(JoinFile(src.file("pieces/REPORT.000"), dest.path().string() + "/", again, drives), 0);
        EXPECT_EQ(test::ReadBytes(output()), source);
    }
}

// However a join stops, the destination is as it was: no partial file, and a file it was
// about to replace is still whole. The pieces stay, so the join can be run again.
TEST_F(JoinRoundTripTest, AJoinThatStopsLeavesTheDestinationAsItWas) {
    struct Case {
        const char* what;
        std::function<void(test::FakeJoinOperations&)> arrange;
        const char* message;  // empty: none
    };
    const std::vector<Case> cases = {
        {"cancel", [](test::FakeJoinOperations& o) { o.cancelAtRound = 2; }, "結合が中止されました。"},
        {"missing piece",
         [&](test::FakeJoinOperations&) { fs::remove(src.file("pieces/REPORT.001")); },
         "次のディスクを入れてください。\n\nフロッピーディスクからでない場合、\n"
         "ファイルが指定のフォルダに見つかりませんでした。"},
        {"swapped piece",
         [&](test::FakeJoinOperations&) {
             fs::rename(src.file("pieces/REPORT.002"), src.file("pieces/REPORT.001"));
         },
         "ファイルの拡張子が変更されています。\n結合を中止します。"},
    };
    for (const Case& one : cases) {
        splitSource(250000, SizeChoice::Free, 100000);
        const Bytes pieces000 = test::ReadBytes(src.file("pieces/REPORT.000"));
        test::WriteBytes(output(), {'k', 'e', 'e', 'p'});
        test::FakeJoinOperations local;
        local.overwriteAnswers = {OverwriteAnswer::Overwrite};
        one.arrange(local);
        EXPECT_EQ(JoinFile(src.file("pieces/REPORT.000"), dest.path().string() + "/", local, drives), -1)
            << one.what;
        EXPECT_EQ(local.texts(), std::vector<std::string>{one.message}) << one.what;
        EXPECT_EQ(test::ReadBytes(output()), (Bytes{'k', 'e', 'e', 'p'})) << one.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dest.path()), fs::directory_iterator()), 1)
            << one.what << ": nothing else in the destination";
        EXPECT_EQ(test::ReadBytes(src.file("pieces/REPORT.000")), pieces000) << one.what;
    }

    fs::remove(output());
    splitSource(200000, SizeChoice::Free, 100000);
    ops.cancelAtRound = 2;
    EXPECT_EQ(join(src.file("pieces/REPORT.000")), -1);
    EXPECT_EQ(ops.messages.at(0).caption, "メッセージ");
    EXPECT_TRUE(fs::is_empty(dest.path()));
}

TEST_F(JoinRoundTripTest, AReadOnlyFileTheUserAgreedToReplaceIsReplaced) {
    splitSource(5000);
    test::WriteBytes(output(), {'o', 'l', 'd'});
    chmod(output().c_str(), 0444);
    ops.overwriteAnswers = {OverwriteAnswer::Overwrite};
    ASSERT_EQ(join(src.file("pieces/REPORT.000")), 0);
    EXPECT_EQ(test::ReadBytes(output()), source);
    EXPECT_EQ(ops.overwriteTargets, std::vector<std::string>{output()});
    struct stat info {};
    ASSERT_EQ(stat(output().c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IWUSR, 0u) << "the recorded attributes, not the old file's";
    EXPECT_EQ(info.st_mtime, kSourceTime - 1) << "DOS time keeps even seconds";
}

// Whatever holds the output's name is replaced only with the user's word: a link, or a
// file that cannot be read, as much as a plain file.
TEST_F(JoinRoundTripTest, AnythingUnderTheOutputNameIsAskedAbout) {
    splitSource(3000);
    fs::create_symlink(src.file("elsewhere"), output());
    EXPECT_EQ(join(src.file("pieces/REPORT.000")), -1);
    EXPECT_EQ(ops.overwriteQuestions.size(), 1u);
    EXPECT_TRUE(fs::is_symlink(output()));

    fs::remove(output());
    test::WriteBytes(output(), {1});
    chmod(output().c_str(), 0200);
    test::FakeJoinOperations unreadable;
    EXPECT_EQ(JoinFile(src.file("pieces/REPORT.000"), dest.path().string() + "/", unreadable, drives), -1);
    EXPECT_EQ(unreadable.overwriteQuestions.size(), 1u);
    EXPECT_EQ(fs::file_size(output()), 1u);
}

TEST_F(JoinRoundTripTest, ProgressIsTheTruncatedShareOfTheRecordedSize) {
    splitSource(60000, SizeChoice::Free, 100000);
    ASSERT_EQ(join(src.file("pieces/REPORT.000")), 0);
    EXPECT_EQ(ops.progress, (std::vector<int>{50, 100}));

    test::FakeJoinOperations thirds;
    splitSource(90001, SizeChoice::Free, 200000);
    fs::remove(output());
    ASSERT_EQ(JoinFile(src.file("pieces/REPORT.000"), dest.path().string() + "/", thirds, drives), 0);
    EXPECT_EQ(thirds.progress, (std::vector<int>{33, 66, 99, 100}));
}

// A join or an unpack killed before it could clean up leaves its temporary file; the next
// join into that folder removes it, and nothing of a run still going.
TEST_F(JoinRoundTripTest, TemporariesOfKilledRunsAreRemoved) {
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    const std::string dead = std::to_string(gone);
    const std::string alive = std::to_string(getpid());
    const std::vector<std::pair<std::string, bool>> names = {
        {".zvjoin-0.tmp", false},          {".zvjoin-" + dead + "-0.tmp", false},
        {".zvtmp-" + dead + "-4", false},  {".zvjoin-" + alive + "-7.tmp", true},
        {".zvtmp-" + alive + "-0", true},  {".zvjoin-notes.tmp", true},
        {"zvjoin-" + dead + "-0.tmp", true}};
    for (const auto& [name, kept] : names) {
        test::WriteBytes(dest.file(name), test::PatternBytes(3));
    }
    splitSource(5000);
    ASSERT_EQ(join(src.file("pieces/REPORT.000")), 0);
    for (const auto& [name, kept] : names) {
        EXPECT_EQ(fs::exists(dest.file(name)), kept) << name;
    }
}

}  // namespace
}  // namespace zolvane
