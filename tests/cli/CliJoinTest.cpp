#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "tests/support/PieceBuilder.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;

class CliJoinTest : public ::testing::Test {
protected:
    void SetUp() override {
        source = test::PatternBytes(3000000);
        test::WriteBytes(dir.file("REPORT.DOC"), source);
        fs::create_directory(dir.file("pieces"));
        ASSERT_EQ(cli({"split", "REPORT.DOC", "--dest", "pieces"}).exitCode, 0);
    }

    test::ProgramResult cli(const std::vector<std::string>& args) {
        return test::RunProgram(ZOLVANE_CLI, args, dir.path().string());
    }

    test::TempDir dir;
    test::Bytes source;
};

TEST_F(CliJoinTest, JoinsIntoThePiecesFolderByDefault) {
    const auto result = cli({"join", "pieces/REPORT.001"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("[メッセージ] 結合が終了しました。"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir.file("pieces/REPORT.DOC")), source);
}

TEST_F(CliJoinTest, DestinationAndOverwrite) {
    fs::create_directory(dir.file("out"));
    test::WriteBytes(dir.file("out/REPORT.DOC"), {1});
    const auto refused = cli({"join", "pieces/REPORT.000", "--dest", "out"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(fs::file_size(dir.file("out/REPORT.DOC")), 1u);
    // The question names the recorded name and the file at risk.
    EXPECT_NE(refused.err.find("\\REPORT.DOC\n"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("上書きされるファイル: " + dir.file("out/REPORT.DOC")),
              std::string::npos);

    EXPECT_EQ(cli({"join", "pieces/REPORT.000", "--dest", "out/", "--overwrite"}).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(dir.file("out/REPORT.DOC")), source);
}

TEST_F(CliJoinTest, AMissingPieceCannotBeWaitedForWithoutATerminal) {
    fs::remove(dir.file("pieces/REPORT.001"));
    fs::create_directory(dir.file("out"));
    const auto result = cli({"join", "pieces/REPORT.000", "--dest", "out"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("[警告] 次のディスクを入れてください。"), std::string::npos) << result.err;
    EXPECT_EQ(cli({"info", "pieces/REPORT.000"}).exitCode, 1);
}

TEST_F(CliJoinTest, InfoShowsTheNameTheJoinWillWrite) {
    test::FirstPiece piece;
    piece.name = "C:\\\x95\x5c.txt";  // 表.txt in code page 932
    piece.originalSize = 1;
    piece.data = {1};
    test::WriteBytes(dir.file("SJIS.000"), test::FirstPieceBytes(piece));
    const auto info = cli({"info", "SJIS.000"});
    EXPECT_EQ(info.exitCode, 0);
    EXPECT_NE(info.out.find("結合名:   表.txt"), std::string::npos) << info.out;

    piece.name = "C:\\x\\..";
    test::WriteBytes(dir.file("BAD.000"), test::FirstPieceBytes(piece));
    EXPECT_EQ(cli({"info", "BAD.000"}).exitCode, 1);
    EXPECT_EQ(cli({"join", "BAD.000"}).exitCode, 1);
}

class CliJoinSignalTest : public CliJoinTest {
protected:
    void SetUp() override {
        CliJoinTest::SetUp();
        test::WriteBytes(big, {});
        ASSERT_EQ(truncate(big.c_str(), 300000000LL), 0);
        ASSERT_EQ(cli({"split", "BIG.BIN", "--size", "1000000000", "--dest", "pieces"}).exitCode,
                  0);
        fs::remove(big);
    }

    // The output is written under a temporary name until it is complete.
    bool writing() const {
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path().filename().string().rfind(".zvjoin-", 0) == 0) {
                return true;
            }
        }
        return false;
    }

    std::set<std::string> names() const {
        std::set<std::string> all;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            all.insert(entry.path().filename().string());
        }
        return all;
    }

    // A join of BIG.BIN into the test folder, once it has started writing.
    test::RunningProgram startJoin() {
        auto running = test::StartProgram(ZOLVANE_CLI, {"join", "pieces/BIG.000", "--dest", "."},
                                          dir.path().string());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!writing() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return running;
    }

    const std::string big = dir.file("BIG.BIN");
};

TEST_F(CliJoinSignalTest, InterruptCancelsAndLeavesNothingBehind) {
    const std::set<std::string> before = names();
    for (const int stop : test::kStopSignals) {
        SCOPED_TRACE(strsignal(stop));
        auto running = startJoin();
        kill(running.pid, stop);
        const auto result = running.wait();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find("[メッセージ] 結合が中止されました。"), std::string::npos)
            << result.err;
        EXPECT_EQ(names(), before);
    }
}

// Two signals pending at once, of different kinds: the first cancels, the second ends the
// program there and then.
TEST_F(CliJoinSignalTest, ASecondSignalEndsTheProgram) {
    auto running = startJoin();
    kill(running.pid, SIGSTOP);
    int status = 0;
    EXPECT_EQ(waitpid(running.pid, &status, WUNTRACED), running.pid);
    EXPECT_TRUE(WIFSTOPPED(status));
    kill(running.pid, SIGTERM);
    kill(running.pid, SIGINT);
    kill(running.pid, SIGCONT);
    EXPECT_EQ(running.wait().exitCode, -1) << "killed, not exited";
}

}  // namespace
}  // namespace zolvane
