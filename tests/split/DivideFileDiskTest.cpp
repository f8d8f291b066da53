// The split on real small disks: tmpfs mounts that run full or are swapped like floppies.
// These need root; elsewhere they skip.
#include <gtest/gtest.h>

#include <filesystem>

#include "pieces/PieceHeader.h"
#include "split/DivideFile.h"
#include "tests/split/FakeSplitOperations.h"
#include "tests/support/Mount.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

constexpr const char* kWriteError = "書き込みエラーが発生しました。\nファイルの分割を中止します。";

class DiskTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::CanMount()) {
            GTEST_SKIP() << "needs root to mount a tmpfs as a small disk";
        }
        floppy = dir.file("floppy");
        fs::create_directory(floppy);
    }

    std::unique_ptr<test::TmpfsMount> mountDisk(long bytes) {
        auto disk = std::make_unique<test::TmpfsMount>(floppy, bytes);
        if (!disk->ok()) {
            return nullptr;
        }
        return disk;
    }

    std::string makeSource(std::size_t size) {
        source = test::PatternBytes(size, 7);
        test::WriteBytes(dir.file("REPORT.DOC"), source);
        return dir.file("REPORT.DOC");
    }

    test::TempDir dir;
    std::string floppy;
    Bytes source;
    test::FakeSplitOperations ops;
};

TEST_F(DiskTest, AFullDestinationEndsTheSplitWithAWriteError) {
    auto disk = mountDisk(64 * 1024);
    if (!disk) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    ops.choice = SizeChoice::Free;
    ops.freeSize = 200000;
    EXPECT_EQ(DivideFile(makeSource(300000), floppy + "/REPORT.DOC", ops), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{kWriteError});
    EXPECT_TRUE(fs::exists(floppy + "/REPORT.000")) << "what was written stays";
}

TEST_F(DiskTest, AFullDiskHoldingTheSourceToo) {
    auto disk = mountDisk(256 * 1024);
    if (!disk) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    // Source and pieces on one file system: the copy stays inside the kernel there.
    source = test::PatternBytes(150000, 7);
    test::WriteBytes(floppy + "/REPORT.DOC", source);
    fs::create_directory(floppy + "/out");
    EXPECT_EQ(DivideFile(floppy + "/REPORT.DOC", floppy + "/out/REPORT.DOC", ops), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{kWriteError});
}

TEST_F(DiskTest, AHeaderThatDoesNotFitIsNoSuccess) {
    auto disk = mountDisk(16 * 1024);
    if (!disk) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    test::WriteBytes(floppy + "/filler", test::PatternBytes(16 * 1024));
    EXPECT_EQ(DivideFile(makeSource(0), floppy + "/REPORT.DOC", ops), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{kWriteError});
}

TEST_F(DiskTest, AutomaticSplitAcrossSwappedDisks) {
    constexpr long kDiskBytes = 64 * 1024;
    auto disk = mountDisk(kDiskBytes);
    if (!disk) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    const std::string collected = dir.file("collected");
    fs::create_directory(collected);
    int swaps = 0;
    // At "insert the next disk": take the full disk out, and the first time leave the
    // drive empty for a moment, so that the split asks for a disk.
    ops.onMessage = [&](const test::ShownMessage& shown) {
        if (shown.text == "次のフロッピーディスクを入れてください。") {
            for (const auto& entry : fs::directory_iterator(floppy)) {
                fs::copy_file(entry.path(), collected + "/" + entry.path().filename().string());
            }
            disk->eject();
            if (++swaps != 1) {
                disk->insert();
            }
        } else if (shown.text == "フロッピーディスクを入れてください。") {
            disk->insert();
        }
    };
    ops.choice = SizeChoice::Automatic;
    ops.replies = std::deque<MessageReply>(20, MessageReply::Ok);

    const std::string sourcePath = makeSource(200000);
    ASSERT_EQ(DivideFile(sourcePath, floppy + "/REPORT.DOC", ops), 0);
    for (const auto& entry : fs::directory_iterator(floppy)) {
        fs::copy_file(entry.path(), collected + "/" + entry.path().filename().string());
    }

    const std::vector<std::string> texts = ops.texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "フロッピーディスクを入れてください。"), 1);
    Bytes joined;
    for (int number = 0;; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "REPORT.%03d", number);
        const std::string path = collected + "/" + name;
        if (!fs::exists(path)) {
            break;
        }
        const Bytes piece = test::ReadBytes(path);
        EXPECT_LE(piece.size(), static_cast<std::size_t>(kDiskBytes));
        const std::size_t header = number == 0 ? kFirstHeaderFixedBytes + sourcePath.size() + 1 : 4;
        joined.insert(joined.end(), piece.begin() + static_cast<long>(header), piece.end());
    }
    EXPECT_GE(swaps, 3);
    EXPECT_EQ(joined, source);
}

}  // namespace
}  // namespace zolvane
