// Packing and unpacking from the terminal with the real archiver library beside the program.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "tests/cli/PtyProgram.h"
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

    test::ProgramResult cli(const std::vector<std::string>& args, const std::string& where = "src") {
        return test::RunProgram(ZOLVANE_CLI, args, dir.file(where));
    }

    test::TempDir dir;
    std::vector<std::pair<std::string, Bytes>> files;
};

TEST_F(CliPackTest, SplitPackedThenJoinUnpacks) {
    fs::create_directory(dir.file("pieces"));
    const auto split = cli({"split", "--pack", "../pieces/MAIL.LZH", "--recursive", "--size", "100000",
                            "--dest", "../pieces", "*.*"});
    ASSERT_EQ(split.exitCode, 0) << split.err;
    EXPECT_FALSE(fs::exists(dir.file("pieces/MAIL.LZH"))) << "the archive is deleted after the split";
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
    // The library's report on the line after names what is at fault.
    const std::string failure = "missing.txt を圧縮できませんでした。\n    ";
    const auto at = failed.err.find(failure) + failure.size();
    ASSERT_GE(at, failure.size()) << failed.err;
    EXPECT_NE(failed.err.substr(at, failed.err.find('\n', at) - at).find("missing.txt"),
              std::string::npos)
        << failed.err;
    EXPECT_EQ(failed.err.find("Pack: b.doc"), std::string::npos) << "no command after a failure";
    EXPECT_EQ(cli({"split", "--pack", "../three.lzh", "a.txt", "missing.txt"}).exitCode, 1);
    EXPECT_FALSE(fs::exists(dir.file("three.lzh"))) << "split --pack removes its half-made archive";

    fs::create_directory(dir.file("out"));
    // An archive alone unpacks through a one-piece set as well.
    ASSERT_EQ(cli({"split", "one.lzh", "--dest", "out", "--size", "10000000"}, ".").exitCode, 0);
    EXPECT_EQ(cli({"info", "out/one.000"}, ".").exitCode, 0);
}

TEST_F(CliPackTest, MasksThatMatchNothingAreWarnedOf) {
    const auto result = cli({"pack", "../m.lzh", "*.txt ; *.xyz;*.doc", "--recursive"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("[警告] 一致するファイルがありません: *.xyz\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("*.txt\n"), std::string::npos) << result.err;
}

// Ctrl-C (or SIGTERM, SIGHUP) once the first archiver command is under way: the command
// finishes, nothing more is packed, and only an archive this run created is removed.
TEST_F(CliPackTest, InterruptStopsPackingAfterTheCommandInProgress) {
    test::WriteBytes(dir.file("src/big.bin"), test::PatternBytes(3000000, 7));
    const std::vector<std::string> many(40, "big.bin");
    ASSERT_EQ(cli({"pack", "../old.lzh", "a.txt"}).exitCode, 0);
    fs::create_directory(dir.file("pieces"));
    for (const int stop : test::kStopSignals) {
        SCOPED_TRACE(strsignal(stop));
        const auto interrupted = [&](std::vector<std::string> args) {
            args.insert(args.end(), many.begin(), many.end());
            auto running = test::StartProgram(ZOLVANE_CLI, args, dir.file("src"));
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (fs::file_size(running.errPath) == 0 &&
                   std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            kill(running.pid, stop);
            return running.wait();
        };

        auto result = interrupted({"pack", "../new.lzh"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find("[メッセージ] 圧縮が中止されました。"), std::string::npos)
            << result.err;
        EXPECT_EQ(result.err.find("Pack: big.bin\nPack: big.bin\nPack: big.bin\n"),
                  std::string::npos);
        EXPECT_FALSE(fs::exists(dir.file("new.lzh")));

        result = interrupted({"pack", "../old.lzh"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(fs::exists(dir.file("old.lzh"))) << "it was there before";

        result = interrupted({"split", "--pack", "../pieces/MAIL.LZH", "--dest", "../pieces"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find("[メッセージ] 分割が中止されました。"), std::string::npos)
            << result.err;
        EXPECT_TRUE(fs::is_empty(dir.file("pieces"))) << "no split and no archive";
    }
}

// The files an unpack would replace are put to the user as a plain join's output is.
TEST_F(CliPackTest, APackedJoinReplacesFilesOnlyAsAPlainJoinWould) {
    fs::create_directories(dir.file("src/many"));
    for (int i = 0; i < 25; ++i) {
        files.push_back({"many/" + std::to_string(i) + ".txt", test::PatternBytes(100, 10 + i)});
        test::WriteBytes(dir.file("src/" + files.back().first), files.back().second);
    }
    ASSERT_EQ(
        cli({"split", "--pack", "../MAIL.LZH", "--recursive", "--dest", "..", "*.*"}).exitCode, 0);
    // The destination holds other versions of every packed file.
    const auto fillDestination = [&] {
        for (const auto& [name, bytes] : files) {
            fs::create_directories(fs::path(dir.file("out/" + name)).parent_path());
            test::WriteBytes(dir.file("out/" + name), {'o', 'l', 'd'});
        }
        fs::remove(dir.file("out/MAIL.LZH"));
    };
    const std::vector<std::string> join = {"join", "../MAIL.000", "--dest", "../out"};

    fillDestination();
    auto result = cli(join);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(test::ReadBytes(dir.file("out/a.txt")), (Bytes{'o', 'l', 'd'}));
    EXPECT_TRUE(fs::exists(dir.file("out/MAIL.LZH"))) << "the rebuilt archive is kept";
    for (const char* shown : {"28 個のファイルが上書きされます", "\n    many/0.txt\n",
                              "\n    ... ほか 8 件\n", "--overwrite", "展開を中止しました。"}) {
        EXPECT_NE(result.err.find(shown), std::string::npos) << shown << "\n" << result.err;
    }

    fillDestination();
    result = test::RunOnTerminal(ZOLVANE_CLI, join, dir.file("src"), "a\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(test::ReadBytes(dir.file("out/" + name)), bytes) << name;
    }

    fillDestination();
    EXPECT_EQ(cli({"join", "../MAIL.000", "--dest", "../out", "--overwrite"}).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("out/a.txt")), files.front().second);
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
