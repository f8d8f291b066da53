// zolvane-cli at a terminal with a USB floppy drive whose every disk the desktop mounts at a
// folder of its own: a 3 MB file split across three disks and joined back from them, the
// disks swapped at the prompts as a person swaps them. With UDisks2 the program lets each
// disk go before it asks for the next; without it the person unmounts and mounts by hand.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

#include "tests/cli/PtyProgram.h"
#include "tests/support/DiskService.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestFloppyDrive.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::DiskService;

constexpr std::time_t kSourceTime = 992060720;  // DOS times count in two seconds

class CliDiskSwapTest : public ::testing::TestWithParam<DiskService::Mode> {
protected:
    void SetUp() override {
        if (!services.problem().empty()) {
            GTEST_SKIP() << services.problem();
        }
        ASSERT_EQ(drive.problem(), "");
        withUDisks = GetParam() == DiskService::Mode::WithUDisks;
        for (int disk = 1; disk <= 3; ++disk) {
            images.push_back(drive.makeDisk((withUDisks ? "ZVCLIU" : "ZVCLIP") + std::to_string(disk)));
        }
    }

    // Puts disk `index` in; mounted where its label says (UDisks2) or at a folder of its own.
    std::string putIn(std::size_t index, bool mount) {
        EXPECT_TRUE(drive.insert(images.at(index))) << drive.problem();
        if (!mount) {
            return {};
        }
        if (withUDisks) {
            return drive.mountWithUDisks();
        }
        const std::string folder = home.file("mnt" + std::to_string(index));
        fs::create_directories(folder);
        EXPECT_TRUE(drive.mountAt(folder)) << drive.problem();
        return folder;
    }

    // At each prompt with `text`: the disk must be free to come out; the next goes in.
    std::function<std::string(const std::string&)> swapAt(const std::string& text) {
        return [this, text](const std::string& screen) -> std::string {
            if (screen.find(text) == std::string::npos ||
                screen.find("キャンセル: ") == std::string::npos) {
                return {};
            }
            if (withUDisks) {
                EXPECT_EQ(drive.mountPoint(), "") << "the disk is still mounted at the prompt";
            } else {
                EXPECT_TRUE(drive.unmount()) << drive.problem();
            }
            ++swaps;
            // UDisks2 is left to mount the next disk when the program asks for it.
            putIn(swaps, !withUDisks);
            return "o\n";
        };
    }

    DiskService services{GetParam()};
    test::TestFloppyDrive drive;
    test::TempDir home;
    std::vector<std::string> images;
    std::size_t swaps = 0;
    bool withUDisks = false;
};

TEST_P(CliDiskSwapTest, ThreeDisksAtFoldersOfTheirOwn) {
    const std::string source = home.file("BIG.BIN");
    const test::Bytes bytes = test::PatternBytes(3000000, 11);
    test::WriteBytes(source, bytes);
    const utimbuf times{kSourceTime, kSourceTime};
    utime(source.c_str(), &times);
    chmod(source.c_str(), 0444);

    const std::string first = putIn(0, true);
    const auto split = test::Converse(ZOLVANE_CLI, {"split", source, "--dest", first, "--size", "auto"},
                                      home.path().string(),
                                      swapAt("次のフロッピーディスクを入れてください。"));
    ASSERT_EQ(split.exitCode, 0) << split.err;
    EXPECT_EQ(swaps, 2u);

    // The disks as they came out, the first one first again.
    swaps = 0;
    drive.eject();
    const std::string again = putIn(0, true);
    const std::string out = home.file("out");
    fs::create_directory(out);
    const auto join = test::Converse(ZOLVANE_CLI, {"join", again + "/BIG.000", "--dest", out},
                                     home.path().string(), swapAt("次のディスクを入れてください。"));
    ASSERT_EQ(join.exitCode, 0) << join.err;
    EXPECT_EQ(swaps, 2u);
    EXPECT_EQ(test::ReadBytes(out + "/BIG.BIN"), bytes);
    struct stat info {};
    ASSERT_EQ(stat((out + "/BIG.BIN").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, kSourceTime);
    EXPECT_EQ(info.st_mode & 0222, 0u) << "read-only is kept";
}

INSTANTIATE_TEST_SUITE_P(Mounts, CliDiskSwapTest,
                         ::testing::Values(DiskService::Mode::WithUDisks,
                                           DiskService::Mode::WithoutUDisks),
                         [](const ::testing::TestParamInfo<DiskService::Mode>& mode) {
                             return mode.param == DiskService::Mode::WithUDisks ? "UDisks2"
                                                                                : "ByHand";
                         });

}  // namespace
}  // namespace zolvane
