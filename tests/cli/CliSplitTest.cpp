#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::RunProgram;

class CliSplitTest : public ::testing::Test {
protected:
    test::ProgramResult cli(const std::vector<std::string>& args) {
        return RunProgram(ZOLVANE_CLI, args, dir.path().string());
    }

    test::TempDir dir;
};

TEST_F(CliSplitTest, UsageMistakesExitWith2) {
    EXPECT_EQ(cli({}).exitCode, 2);
    EXPECT_EQ(cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(cli({"split"}).exitCode, 2);
    EXPECT_EQ(cli({"split", "a", "b"}).exitCode, 2);
    EXPECT_EQ(cli({"split", "a", "--size", "2.88MB"}).exitCode, 2);
    EXPECT_EQ(cli({"split", "a", "--size", "0"}).exitCode, 2);
    EXPECT_EQ(cli({"split", "a", "--size", "2147483648"}).exitCode, 2);
    EXPECT_EQ(cli({"split", "a", "--bogus"}).exitCode, 2);
    const auto help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("zolvane-cli split FILE"), std::string::npos);
}

TEST_F(CliSplitTest, EmptyArgumentsAreUsageMistakesNeverAFolder) {
    // None of the named files exists, so a run that got this wrong still writes nothing.
    const std::vector<std::vector<std::string>> lines = {{"split", ""},
                                                         {"split", "x", "--dest", ""},
                                                         {"join", "x.000", "--dest", ""},
                                                         {"pack", "", "a"},
                                                         {"pack", "a.lzh", ""},
                                                         {"info", ""},
                                                         {"split", "--pack", "", "a"}};
    for (const auto& line : lines) {
        EXPECT_EQ(cli(line).exitCode, 2) << line[0] << " with " << line.size() << " words";
    }
    EXPECT_TRUE(fs::is_empty(dir.path()));

    fs::create_directory(dir.file("gone"));
    const auto gone = RunProgram(
        "/bin/sh",
        {"-c", std::string("cd gone && rmdir ../gone && exec ") + ZOLVANE_CLI + " split x"},
        dir.path().string());
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_NE(gone.err.find("[エラー] 現在のフォルダが見つかりません。"), std::string::npos)
        << gone.err;
}

TEST_F(CliSplitTest, HelpPerCommandVersionAndSizesInAnyCase) {
    for (const std::string command : {"split", "join", "pack", "info"}) {
        const auto help = cli({command, "x", "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_NE(help.out.find("zolvane-cli " + command + " "), std::string::npos) << help.out;
        EXPECT_EQ(help.out.find(command == "info" ? "cli join" : "cli info"), std::string::npos);
    }
    const auto version = cli({"--version"});
    EXPECT_EQ(version.out, std::string("zolvane-cli ") + ZOLVANE_VERSION + "\n");

    test::WriteBytes(dir.file("data.bin"), test::PatternBytes(800000));
    EXPECT_EQ(cli({"split", "data.bin", "--size", "720kb"}).exitCode, 0);
    EXPECT_EQ(fs::file_size(dir.file("data.000")), 730112u);
    for (const char* size : {"1.44mb", "1.25Mb", "640KB", "AUTO"}) {
        EXPECT_EQ(cli({"split", "nothing.here", "--size", size}).exitCode, 1) << size;
    }
}

TEST_F(CliSplitTest, LeftoversOfALongerSetAreMentioned) {
    test::WriteBytes(dir.file("REPORT.DOC"), test::PatternBytes(5000));
    ASSERT_EQ(cli({"split", "REPORT.DOC", "--size", "1000"}).exitCode, 0);
    ASSERT_TRUE(fs::exists(dir.file("REPORT.005")));
    test::WriteBytes(dir.file("REPORT.DOC"), test::PatternBytes(2500));
    const auto result = cli({"split", "REPORT.DOC", "--size", "1000", "--overwrite"});
    EXPECT_NE(result.err.find("[警告] 以前の分割ファイルが 3 個残っています: REPORT.003"),
              std::string::npos)
        << result.err;
    fs::create_directory(dir.file("sub"));
    EXPECT_EQ(cli({"split", "REPORT.DOC", "--size", "1000", "--dest", "sub"}).err.find("[警告]"),
              std::string::npos);
}

TEST_F(CliSplitTest, SplitsIntoTheCurrentFolderByDefault) {
    test::WriteBytes(dir.file("REPORT.DOC"), test::PatternBytes(2000000));
    const auto result = cli({"split", "REPORT.DOC"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("[メッセージ] 分割が終了しました。"), std::string::npos);
    EXPECT_EQ(fs::file_size(dir.file("REPORT.000")), 1457664u);
    EXPECT_TRUE(fs::exists(dir.file("REPORT.001")));

    // The recorded name is the absolute path, with "\" between folders.
    const test::Bytes piece = test::ReadBytes(dir.file("REPORT.000"));
    std::string recorded = dir.file("REPORT.DOC");
    std::replace(recorded.begin(), recorded.end(), '/', '\\');
    EXPECT_EQ(std::string(piece.begin() + 6, piece.begin() + 6 + static_cast<long>(recorded.size())),
              recorded);
}

TEST_F(CliSplitTest, DestinationAndSizes) {
    test::WriteBytes(dir.file("data.tar.gz"), test::PatternBytes(800000));
    fs::create_directory(dir.file("out"));
    EXPECT_EQ(cli({"split", "data.tar.gz", "--dest", "out/", "--size", "720KB"}).exitCode, 0);
    EXPECT_EQ(fs::file_size(dir.file("out/data.000")), 730112u);

    EXPECT_EQ(cli({"split", "data.tar.gz", "--dest", dir.file("out2"), "--size", "500000"}).exitCode, 1)
        << "a missing folder: the Retry question answers Cancel without a terminal";
    fs::create_directory(dir.file("out2"));
    EXPECT_EQ(cli({"split", "data.tar.gz", "--dest", dir.file("out2"), "--size", "500000"}).exitCode, 0);
    EXPECT_EQ(fs::file_size(dir.file("out2/data.000")), 500000u);
}

TEST_F(CliSplitTest, ExistingPiecesNeedOverwrite) {
    test::WriteBytes(dir.file("REPORT.DOC"), test::PatternBytes(3000));
    test::WriteBytes(dir.file("REPORT.000"), {'o', 'l', 'd'});
    const auto refused = cli({"split", "REPORT.DOC"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("REPORT.000"), std::string::npos);
    EXPECT_EQ(fs::file_size(dir.file("REPORT.000")), 3u);

    EXPECT_EQ(cli({"split", "REPORT.DOC", "--overwrite"}).exitCode, 0);
    EXPECT_GT(fs::file_size(dir.file("REPORT.000")), 3000u);
}

TEST_F(CliSplitTest, RefusalsExitWith1) {
    const auto missing = cli({"split", "nothing.here"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("[エラー] ファイルが開けません。"), std::string::npos);
}

TEST_F(CliSplitTest, InterruptCancelsAndKeepsThePieces) {
    const std::string big = dir.file("BIG.BIN");
    test::WriteBytes(big, {});
    ASSERT_EQ(truncate(big.c_str(), 1500000000LL), 0);
    for (const int stop : test::kStopSignals) {
        SCOPED_TRACE(strsignal(stop));
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path() != big) {
                fs::remove(entry.path());
            }
        }
        auto running = test::StartProgram(ZOLVANE_CLI, {"split", "BIG.BIN", "--size", "100000000"},
                                          dir.path().string());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!fs::exists(dir.file("BIG.000")) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        kill(running.pid, stop);
        const auto result = running.wait();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find("[メッセージ] 分割が中止されました。"), std::string::npos)
            << result.err;
        // The pieces written so far stay, and nothing else is left.
        EXPECT_TRUE(fs::exists(dir.file("BIG.000")));
        EXPECT_FALSE(fs::exists(dir.file("BIG.014")));
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            EXPECT_EQ(entry.path().filename().string().rfind("BIG.", 0), 0u) << entry.path();
        }
    }
}

}  // namespace
}  // namespace zolvane
