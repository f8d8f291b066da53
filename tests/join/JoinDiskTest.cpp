// The join onto a small disk that runs full: a tmpfs, which needs root.
#include <gtest/gtest.h>

#include <filesystem>

#include "join/JoinFile.h"
#include "tests/support/FakeJoinOperations.h"
#include "tests/support/Mount.h"
#include "tests/support/PieceBuilder.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;

TEST(JoinDiskTest, AFullDestinationIsAWriteFailure) {
    if (!test::CanMount()) {
        GTEST_SKIP() << "needs root to mount a tmpfs as a small disk";
    }
    test::TempDir dir;
    fs::create_directory(dir.file("disk"));
    test::TmpfsMount disk(dir.file("disk"), 64 * 1024);
    if (!disk.ok()) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    // Sizes that fit in one block and in a few: the failure may show at a write or only
    // when the last buffered bytes reach the disk.
    for (const std::int32_t size : {70000, 100000, 200000}) {
        test::FirstPiece piece;
        piece.originalSize = size;
        piece.data = test::PatternBytes(static_cast<std::size_t>(size));
        test::WriteBytes(dir.file("REPORT.000"), test::FirstPieceBytes(piece));
        test::FakeJoinOperations ops;
        ops.overwriteAnswers = {OverwriteAnswer::Overwrite};
        EXPECT_EQ(JoinFile(dir.file("REPORT.000"), dir.file("disk") + "/", ops), -1) << size;
        EXPECT_EQ(ops.texts(), std::vector<std::string>{"データの書き込みに失敗しました。\n結合を中止します。"})
            << size;
        EXPECT_EQ(ops.messages.at(0).detail, dir.file("disk/REPORT.DOC") + ": No space left on device");
        EXPECT_TRUE(fs::is_empty(dir.file("disk"))) << size << ": the unfinished output is gone";
    }
}

TEST(JoinDiskTest, AFullDiskHoldingThePiecesToo) {
    if (!test::CanMount()) {
        GTEST_SKIP() << "needs root to mount a tmpfs as a small disk";
    }
    test::TempDir dir;
    fs::create_directory(dir.file("disk"));
    test::TmpfsMount disk(dir.file("disk"), 256 * 1024);
    if (!disk.ok()) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    // Pieces and output on one file system: the copy stays inside the kernel there.
    test::FirstPiece piece;
    piece.originalSize = 150000;
    piece.data = test::PatternBytes(150000);
    test::WriteBytes(dir.file("disk/REPORT.000"), test::FirstPieceBytes(piece));
    fs::create_directory(dir.file("disk/out"));
    test::FakeJoinOperations ops;
    EXPECT_EQ(JoinFile(dir.file("disk/REPORT.000"), dir.file("disk/out") + "/", ops), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{"データの書き込みに失敗しました。\n結合を中止します。"});
}

}  // namespace
}  // namespace zolvane
