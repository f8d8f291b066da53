// The split on real small disks: tmpfs mounts and loop-mounted ext2 floppy images that run
// full or are swapped like floppies. These need root; elsewhere they skip.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "join/JoinFile.h"
#include "pieces/PieceHeader.h"
#include "split/DivideFile.h"
#include "tests/support/FakeJoinOperations.h"
#include "tests/support/FakeSplitOperations.h"
#include "tests/support/FakeDrives.h"
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

    // Splits a source of `size` bytes automatically onto the disk in the drive, taking
    // out each full disk when the split asks for the next one and putting in a fresh one;
    // every disk's pieces are gathered in `collected`, in the order they were written.
    int splitOntoSwappedDisks(std::size_t size, const std::function<void()>& eject,
                              const std::function<bool()>& insert,
                              platform::DriveQueries& drives = platform::SystemDrives()) {
        collected = dir.file("collected");
        fs::create_directories(collected);
        ops.onMessage = [&](const test::ShownMessage& shown) {
            if (shown.text == "次のフロッピーディスクを入れてください。") {
                gatherPieces();
                eject();
                insert();
            }
        };
        ops.choice = SizeChoice::Automatic;
        ops.replies = std::deque<MessageReply>(100, MessageReply::Ok);
        const int result = DivideFile(makeSource(size), floppy + "/REPORT.DOC", ops, drives);
        gatherPieces();
        return result;
    }

    void gatherPieces() {
        for (const auto& entry : fs::directory_iterator(floppy)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("REPORT.", 0) == 0) {
                fs::copy_file(entry.path(), collected + "/" + name,
                              fs::copy_options::overwrite_existing);
                pieceSizes.push_back(fs::file_size(entry.path()));
            }
        }
    }

    // Joins the gathered pieces with the real join engine.
    test::Bytes joinGathered() {
        const std::string out = dir.file("joined");
        fs::remove_all(out);
        fs::create_directories(out);
        test::FakeJoinOperations joinOps;
        test::FakeDrives anyDrive;
        if (JoinFile(collected + "/REPORT.000", out + "/", joinOps, anyDrive) != 0) {
            return {};
        }
        return test::ReadBytes(out + "/REPORT.DOC");
    }

    std::size_t nextDiskPrompts() const {
        const std::vector<std::string> texts = ops.texts();
        return static_cast<std::size_t>(
            std::count(texts.begin(), texts.end(), "次のフロッピーディスクを入れてください。"));
    }

    test::TempDir dir;
    std::string floppy;
    std::string collected;
    std::vector<std::uintmax_t> pieceSizes;
    Bytes source;
    test::FakeSplitOperations ops;
};

// A drive that claims more room than its disk has, as a file system with bookkeeping of its
// own could, or a disk that other writers fill at the same time.
class OverstatingDrives final : public platform::DriveQueries {
public:
    explicit OverstatingDrives(std::int32_t extra) : extra_(extra) {}
    std::vector<std::string> listDrives() override { return real().listDrives(); }
    std::string driveOf(const std::string& path) override { return real().driveOf(path); }
    bool isReady(const std::string& drive) override { return real().isReady(drive); }
    std::optional<std::int32_t> freeBytes(const std::string& drive) override {
        auto free = real().freeBytes(drive);
        if (free) {
            *free += extra_;
        }
        return free;
    }

private:
    static platform::DriveQueries& real() { return platform::SystemDrives(); }
    std::int32_t extra_;
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
    EXPECT_EQ(ops.messages[0].detail, floppy + "/REPORT.000: No space left on device");
    EXPECT_FALSE(fs::exists(floppy + "/REPORT.000")) << "a piece cut short must not pass for one";
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
    collected = dir.file("collected");
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

// Floppies as Linux users format them: ext2 needs blocks of its own for a large file, so the
// free space alone would not fit. Each disk takes one piece, as large as it can hold.
TEST_F(DiskTest, AutomaticSplitAcrossExt2Floppies) {
    for (const int reserved : {5, 0}) {
        SCOPED_TRACE(reserved);
        fs::remove_all(dir.file("collected"));
        pieceSizes.clear();
        ops = test::FakeSplitOperations{};
        fs::create_directories(dir.file("images"));
        test::Ext2Floppy disk(floppy, dir.file("images"), reserved);
        if (!disk.problem().empty()) {
            GTEST_SKIP() << disk.problem();
        }
        ASSERT_EQ(splitOntoSwappedDisks(
                      3000000, [&] { disk.eject(); }, [&] { return disk.insert(); }),
                  0);
        EXPECT_EQ(ops.texts().back(), "分割が終了しました。");
        ASSERT_EQ(pieceSizes.size(), 3u);
        EXPECT_EQ(nextDiskPrompts(), 2u);
        for (std::size_t i = 0; i + 1 < pieceSizes.size(); ++i) {
            EXPECT_GT(pieceSizes[i], 1300000u) << "piece " << i << " fills its disk";
        }
        EXPECT_EQ(joinGathered(), source);
    }
}

// When a piece still runs out of room, it ends at the last byte that reached the disk and
// the rest goes to the next disk; the set joins all the same.
TEST_F(DiskTest, APieceThatRunsOutOfRoomEndsWhereTheDiskDid) {
    OverstatingDrives overstating(40000);
    {
        SCOPED_TRACE("tmpfs");
        auto disk = mountDisk(256 * 1024);
        if (!disk) {
            GTEST_SKIP() << "mounting a tmpfs failed";
        }
        ASSERT_EQ(splitOntoSwappedDisks(
                      1000000, [&] { disk->eject(); }, [&] { return disk->insert(); }, overstating),
                  0);
        EXPECT_EQ(joinGathered(), source);
        EXPECT_GE(pieceSizes.size(), 4u);
        for (const auto size : pieceSizes) {
            EXPECT_LE(size, 256u * 1024);
        }
    }
    fs::remove_all(dir.file("collected"));
    fs::remove_all(dir.file("joined"));
    pieceSizes.clear();
    ops = test::FakeSplitOperations{};
    {
        SCOPED_TRACE("ext2");
        fs::create_directories(dir.file("images"));
        test::Ext2Floppy disk(floppy, dir.file("images"), 0);
        if (!disk.problem().empty()) {
            GTEST_SKIP() << disk.problem();
        }
        ASSERT_EQ(splitOntoSwappedDisks(
                      3000000, [&] { disk.eject(); }, [&] { return disk.insert(); }, overstating),
                  0);
        EXPECT_EQ(joinGathered(), source);
        EXPECT_EQ(pieceSizes.size(), 3u);
    }
}

// A disk that cannot even take the header leaves no fragment: the piece is written again,
// under the same number, on the next disk.
TEST_F(DiskTest, APieceWithoutRoomForItsHeaderMovesToTheNextDisk) {
    auto disk = mountDisk(16 * 1024);
    if (!disk) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    test::WriteBytes(floppy + "/filler", test::PatternBytes(16 * 1024));
    test::FakeDrives claimsRoom;
    claimsRoom.script = {50000};
    claimsRoom.otherwise = 12000;
    int ejected = 0;
    bool firstDiskHadAPiece = true;
    ASSERT_EQ(splitOntoSwappedDisks(
                  20000,
                  [&] {
                      if (++ejected == 1) {
                          firstDiskHadAPiece = fs::exists(floppy + "/REPORT.000");
                      }
                      disk->eject();
                  },
                  [&] { return disk->insert(); }, claimsRoom),
              0);
    EXPECT_FALSE(firstDiskHadAPiece);
    EXPECT_EQ(joinGathered(), source);
}

}  // namespace
}  // namespace zolvane
