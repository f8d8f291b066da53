// Packing and unpacking from the terminal with the real archiver library beside the program.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

class CliPackTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.file("src/sub"));
        files = {{"a.txt", test::PatternBytes(50000, 1)},
                 {"b.doc", Bytes(200000, 'x')},
                 {"sub/c.txt", test::PatternBytes(3000, 3)}};
        for (const auto& [name, bytes] : files) {
            test::WriteBytes(dir.file("src/" + name), bytes);
        }
    }

    test::ProgramResult cli(const std::vector<std::string>& args,
                            const std::string& where = "src") {
        return test::RunProgram(ZOLVANE_CLI, args, dir.file(where));
    }

    test::TempDir dir;
    std::vector<std::pair<std::string, Bytes>> files;
};

TEST_F(CliPackTest, SplitPackedThenJoinUnpacks) {
    fs::create_directory(dir.file("pieces"));
    const auto split = cli({"split", "--pack", "../pieces/MAIL.LZH", "--recursive", "--size",
                            "100000", "--dest", "../pieces", "*.*"});
    ASSERT_EQ(split.exitCode, 0) << split.err;
    EXPECT_FALSE(fs::exists(dir.file("pieces/MAIL.LZH")))
        << "the archive is deleted after the split";
    EXPECT_TRUE(fs::exists(dir.file("pieces/MAIL.000")));

    const auto info = cli({"info", "../pieces/MAIL.000"});
    EXPECT_NE(info.out.find("LZH書庫:  はい"), std::string::npos) << info.out;

    fs::create_directory(dir.file("restored"));
    const auto join = cli({"join", "../pieces/MAIL.001", "--dest", "../restored"});
    ASSERT_EQ(join.exitCode, 0) << join.err;
    EXPECT_NE(join.err.find("結合が終了しました。"), std::string::npos);
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(test::ReadBytes(dir.file("restored/" + name)), bytes) << name;
    }
    EXPECT_FALSE(fs::exists(dir.file("restored/MAIL.LZH"))) << "the rebuilt archive is deleted";
}

TEST_F(CliPackTest, PackAddsNamesAndMasksAndStopsAtTheFirstFailure) {
    EXPECT_EQ(cli({"pack", "../one.lzh", "a.txt", "*.doc"}).exitCode, 0);
    const auto failed = cli({"pack", "../two.lzh", "a.txt", "missing.txt", "b.doc"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("missing.txt を圧縮できませんでした。"), std::string::npos)
        << failed.err;
    EXPECT_EQ(failed.err.find("Pack: b.doc"), std::string::npos) << "no command after a failure";

    fs::create_directory(dir.file("out"));
    // An archive alone unpacks through a one-piece set as well.
    ASSERT_EQ(cli({"split", "one.lzh", "--dest", "out", "--size", "10000000"}, ".").exitCode, 0);
    EXPECT_EQ(cli({"info", "out/one.000"}, ".").exitCode, 0);
}

TEST_F(CliPackTest, SplitPackedNeverTakesOverAnExistingFile) {
    test::WriteBytes(dir.file("mine.lzh"), {'m', 'i', 'n', 'e'});
    const auto refused = cli({"split", "--pack", "../mine.lzh", "*.*"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(test::ReadBytes(dir.file("mine.lzh")), (Bytes{'m', 'i', 'n', 'e'}));
}

TEST_F(CliPackTest, WithoutTheLibraryPackingSaysSo) {
    // A copy of the program in a folder of its own does not find the library.
    fs::create_directory(dir.file("alone"));
    const std::string alone = dir.file("alone/zolvane-cli");
    fs::copy_file(ZOLVANE_CLI, alone);
    fs::permissions(alone, fs::perms::owner_all);
    const auto result = test::RunProgram(alone, {"pack", "x.lzh", "a.txt"}, dir.file("src"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("libUnlha32.so"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace zolvane
