#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/support/PieceBuilder.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;

class CliInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::WriteBytes(dir.file("REPORT.DOC"), test::PatternBytes(3500));
        ASSERT_EQ(cli({"split", "REPORT.DOC", "--size", "1000"}).exitCode, 0);
    }

    test::ProgramResult cli(const std::vector<std::string>& args) {
        return test::RunProgram(ZOLVANE_CLI, args, dir.path().string());
    }

    test::TempDir dir;
};

TEST_F(CliInfoTest, ACompleteSetFromAnyMember) {
    const auto result = cli({"info", "REPORT.002"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("3500 バイト"), std::string::npos);
    EXPECT_NE(result.out.find("REPORT.003"), std::string::npos);
    EXPECT_NE(result.out.find("結合できます。"), std::string::npos);
}

TEST_F(CliInfoTest, AMissingPieceIsNamed) {
    fs::remove(dir.file("REPORT.001"));
    const auto result = cli({"info", "REPORT.000"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("001 がありません"), std::string::npos) << result.out;
}

TEST_F(CliInfoTest, APieceCutShortIsNamedRatherThanAPieceThatNeverExisted) {
    fs::resize_file(dir.file("REPORT.001"), 600);
    const auto result = cli({"info", "REPORT.000"});
    EXPECT_EQ(result.exitCode, 1);
    const auto cut = result.out.find("REPORT.001  600 バイト");
    ASSERT_NE(cut, std::string::npos) << result.out;
    const std::string line = result.out.substr(cut, result.out.find('\n', cut) - cut);
    EXPECT_NE(line.find("途中で切れている可能性があります"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("がありません"), std::string::npos) << result.out;
}

TEST_F(CliInfoTest, ACraftedNameCannotDriveTheTerminal) {
    test::FirstPiece piece;
    piece.name =
        "C:\\x\x1b]0;owned\x07\x1b[2J\xc2\x9b"
        "1m.txt";
    piece.originalSize = 1;
    piece.data = {1};
    test::WriteBytes(dir.file("EVIL.000"), test::FirstPieceBytes(piece));
    const auto info = cli({"info", "EVIL.000"});
    const auto join = cli({"join", "EVIL.000", "--dest", "."});
    const auto again = cli({"join", "EVIL.000", "--dest", "."});  // the overwrite question
    for (const auto& result : {info, join, again}) {
        for (const std::string& shown : {result.out, result.err}) {
            EXPECT_EQ(shown.find_first_of("\x1b\x07"), std::string::npos) << shown;
            EXPECT_EQ(shown.find("\xc2\x9b"), std::string::npos) << shown;
        }
    }
    EXPECT_NE(info.out.find("記録名:   C:\\x\\x1b]0;owned\\x07\\x1b[2J\\xc2\\x9b1m.txt"),
              std::string::npos)
        << info.out;
}

TEST_F(CliInfoTest, SwappedPiecesAreMisnumbered) {
    fs::rename(dir.file("REPORT.001"), dir.file("tmp"));
    fs::rename(dir.file("REPORT.002"), dir.file("REPORT.001"));
    fs::rename(dir.file("tmp"), dir.file("REPORT.002"));
    const auto result = cli({"info", "REPORT.000"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("番号が違います"), std::string::npos) << result.out;
}

// A piece the system cannot read is named with the system's reason, not as a piece whose
// number or header is damaged; one that is only too short keeps saying so.
TEST_F(CliInfoTest, ReadErrorsGiveTheSystemsReason) {
    // Reading address 0 of a process's own memory fails with EIO, as a bad sector does.
    if (std::FILE* memory = std::fopen("/proc/self/mem", "rb")) {
        std::fclose(memory);
    } else {
        GTEST_SKIP() << "needs /proc/self/mem to make a read fail";
    }
    const auto replace = [&](const std::string& name, const test::Bytes* bytes) {
        fs::remove(dir.file(name));
        if (bytes != nullptr) {
            test::WriteBytes(dir.file(name), *bytes);
        } else {
            fs::create_symlink("/proc/self/mem", dir.file(name));
        }
    };
    const test::Bytes twoBytes = {1, 0};
    replace("REPORT.001", nullptr);
    auto result = cli({"info", "REPORT.000"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("REPORT.001  0 バイト (データ 0 バイト)  読み込めません: "
                              "Input/output error\n"),
              std::string::npos)
        << result.out;

    replace("REPORT.001", &twoBytes);
    result = cli({"info", "REPORT.000"});
    EXPECT_NE(result.out.find("REPORT.001  2 バイト (データ 0 バイト)  番号が読めません\n"),
              std::string::npos)
        << result.out;

    replace("REPORT.000", nullptr);
    result = cli({"info", "REPORT.000"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("REPORT.000: 読み込めません: Input/output error\n"),
              std::string::npos)
        << result.err;
}

TEST_F(CliInfoTest, NoFirstPieceOrNoPieceFile) {
    EXPECT_EQ(cli({"info", "OTHER.000"}).exitCode, 1);
    test::WriteBytes(dir.file("FAKE.000"), {'M', 'Z', 0, 0});
    const auto result = cli({"info", "FAKE.000"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("分割されたファイルではありません。"), std::string::npos);
}

}  // namespace
}  // namespace zolvane
