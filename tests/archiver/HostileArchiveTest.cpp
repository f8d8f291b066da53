// Archives made to hurt: damaged data, names that point out of the destination, links.
// Each must fail or stay confined, and nothing may appear outside the destination.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/archiver/ArchiverTesting.h"

namespace zolvane::test {
namespace {

namespace fs = std::filesystem;

class HostileArchive : public ::testing::Test {
protected:
    // dest sits two levels down so that "../x" and "a/../../x" land inside temp_.
    fs::path dest() const { return temp_.path() / "outer" / "dest"; }
    std::string archive() const { return temp_.file("hostile.lzh"); }

    RunResult unpack(const Bytes& bytes) {
        WriteBytes(archive(), bytes);
        return RunUnlha("e -a1x1m0 \"" + archive() + "\" \"" + dest().string() + "/\"*.*");
    }

    // Every file below temp_ that is not the archive and not inside dest.
    std::vector<std::string> strayFiles() const {
        std::vector<std::string> stray;
        for (const auto& entry : fs::recursive_directory_iterator(temp_.path())) {
            const std::string path = entry.path().string();
            if (!entry.is_directory() && path != archive() &&
                path.rfind(dest().string() + "/", 0) != 0) {
                stray.push_back(path);
            }
        }
        return stray;
    }

    Bytes packedArchive() {
        fs::create_directories(temp_.path() / "src");
        WriteTree(temp_.path() / "src", {{"good.txt", TextBytes(40000)}});
        CurrentFolder inside(temp_.path() / "src");
        EXPECT_EQ(RunUnlha("a -a1 \"" + archive() + "\" \"good.txt\"").code, 0);
        return ReadBytes(archive());
    }

    TempDir temp_;
};

TEST_F(HostileArchive, NamesLeadingOutOfTheDestinationAreRefused) {
    const std::string absolute = temp_.file("abs-target");
    for (const HandMember& member :
         {HandMember{"", "../x", {'1'}}, HandMember{"", absolute, {'2'}},
          HandMember{"a/../..", "x", {'3'}}, HandMember{"..", "y", {'4'}}}) {
        const RunResult result = unpack(BuildHandArchive({member}));
        EXPECT_NE(result.code, 0) << member.folder << " " << member.name << ": " << result.report;
        EXPECT_TRUE(strayFiles().empty()) << member.folder << member.name;
    }
    EXPECT_FALSE(fs::exists(absolute));
}

TEST_F(HostileArchive, RefusedMembersDoNotStopTheGoodOnes) {
    const RunResult result =
        unpack(BuildHandArchive({{"", "../evil", {'e'}}, {"ok", "fine.txt", {'o', 'k'}}}));
    EXPECT_NE(result.code, 0);
    EXPECT_EQ(ReadBytes((dest() / "ok" / "fine.txt").string()), (Bytes{'o', 'k'}));
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HostileArchive, LinkMembersAreRefusedAndNeverFollowed) {
    // An LZH symbolic link: "name|target" with the link file type.
    HandMember link{"", "escape|" + temp_.path().string(), {}, "-lhd-", 0120777};
    const RunResult result = unpack(BuildHandArchive({link, {"escape", "planted.txt", {'p'}}}));
    EXPECT_NE(result.code, 0) << result.report;
    EXPECT_FALSE(fs::is_symlink(dest() / "escape"));
    EXPECT_TRUE(strayFiles().empty());
}

TEST_F(HostileArchive, ALinkAlreadyInTheDestinationIsNotFollowed) {
    fs::create_directories(dest());
    fs::create_directories(temp_.path() / "elsewhere");
    fs::create_directory_symlink(temp_.path() / "elsewhere", dest() / "sub");
    const RunResult result = unpack(BuildHandArchive({{"sub", "through.txt", {'t'}}}));
    EXPECT_NE(result.code, 0) << result.report;
    EXPECT_TRUE(fs::is_empty(temp_.path() / "elsewhere"));
}

TEST_F(HostileArchive, ABadCrcFailsAndLeavesNoFile) {
    HandMember member{"", "bad.txt", TextBytes(1000)};
    member.badDataCrc = true;
    const RunResult result = unpack(BuildHandArchive({member}));
    EXPECT_NE(result.code, 0) << result.report;
    EXPECT_FALSE(fs::exists(dest() / "bad.txt"));
}

TEST_F(HostileArchive, DamagedPackedDataFails) {
    const Bytes good = packedArchive();
    for (std::size_t offset : {good.size() / 2, good.size() - 40, std::size_t{120}}) {
        Bytes flipped = good;
        flipped[offset] ^= 0x10;
        EXPECT_NE(unpack(flipped).code, 0) << "flip at " << offset;
        fs::remove_all(dest());
    }
}

TEST_F(HostileArchive, TruncatedArchivesFail) {
    const Bytes good = packedArchive();
    for (std::size_t length : {good.size() - 1 - 100, std::size_t{30}, std::size_t{10}}) {
        const RunResult result =
            unpack(Bytes(good.begin(), good.begin() + static_cast<long>(length)));
        EXPECT_NE(result.code, 0) << "cut at " << length;
        EXPECT_FALSE(fs::exists(dest() / "good.txt")) << "cut at " << length;
    }
}

TEST_F(HostileArchive, NotAnArchiveAtAllFails) {
    EXPECT_NE(unpack(TextBytes(5000)).code, 0);
    EXPECT_NE(
        RunUnlha("e -a1x1m0 \"" + temp_.file("none.lzh") + "\" \"" + dest().string() + "/\"*.*")
            .code,
        0);
}

// Short members go through our own decoder: a bad one fails alone, leaves no file and
// does not stop the members after it.
TEST_F(HostileArchive, ADamagedShortMemberFailsAloneAndLeavesNoFile) {
    const Bytes hundred(100, 'a');
    const Bytes good = OneSymbolBlock(100, 'a');
    HandMember badCrc{"", "bad.txt", good, "-lh5-", 0100644, true, hundred};
    HandMember cut{"",    "bad.txt", Bytes(good.begin(), good.begin() + 5), "-lh5-", 0100644,
                   false, hundred};
    HandMember beforeStart{"",      "bad.txt", OneSymbolBlock(1, 256), "-lh5-",
                           0100644, false,     {'a', 'a', 'a'}};
    for (const HandMember& bad : {badCrc, cut, beforeStart}) {
        fs::remove_all(dest());
        const RunResult result = unpack(BuildHandArchive({bad, {"", "after.txt", {'o', 'k'}}}));
        EXPECT_NE(result.code, 0) << result.report;
        EXPECT_NE(result.report.find("bad.txt"), std::string::npos) << result.report;
        EXPECT_FALSE(fs::exists(dest() / "bad.txt"));
        EXPECT_EQ(ReadBytes((dest() / "after.txt").string()), (Bytes{'o', 'k'}));
        EXPECT_EQ(ReadTree(dest()).size(), 1u);
    }
}

TEST_F(HostileArchive, ACheckListsNeitherRefusedNamesNorLinksAndCreatesNothing) {
    fs::create_directories(dest());
    fs::create_directories(temp_.path() / "elsewhere");
    WriteBytes(temp_.file("outer/x"), {'o'});  // where "../x" would land
    WriteBytes(temp_.file("elsewhere/through.txt"), {'t'});
    fs::create_directory_symlink(temp_.path() / "elsewhere", dest() / "sub");
    WriteTree(dest(), {{"escape", {'e'}}, {"fine.txt", {'f'}}});
    HandMember link{"", "escape|" + temp_.path().string(), {}, "-lhd-", 0120777};
    WriteBytes(
        archive(),
        BuildHandArchive(
            {{"", "../x", {'1'}}, link, {"sub", "through.txt", {'2'}}, {"", "fine.txt", {'3'}}}));
    const std::string command = "e -a1x1m0c1 \"" + archive() + "\" \"" + dest().string() + "/\"*.*";
    const RunResult result = RunUnlha(command, 65536);
    EXPECT_EQ(result.code, 0) << result.report;
    EXPECT_EQ(result.report, "would replace 1 file\nfine.txt");
    EXPECT_EQ(ReadBytes((dest() / "fine.txt").string()), (Bytes{'f'}));
    EXPECT_EQ(ReadBytes(temp_.file("outer/x")), (Bytes{'o'}));

    fs::remove_all(dest());
    WriteBytes(archive(), TextBytes(5000));
    EXPECT_NE(RunUnlha(command, 65536).code, 0);
    EXPECT_FALSE(fs::exists(dest()));
}

TEST_F(HostileArchive, ShiftJisNamesBecomeUtf8) {
    // "日本.txt" in code page 932, as old Japanese archives store it.
    const std::string sjis = "\x93\xfa\x96\x7b.txt";
    const RunResult result = unpack(BuildHandArchive({{"", sjis, {'j'}}}));
    EXPECT_EQ(result.code, 0) << result.report;
    EXPECT_EQ(ReadBytes((dest() / "日本.txt").string()), (Bytes{'j'}));
}

}  // namespace
}  // namespace zolvane::test
