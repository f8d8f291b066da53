#include <gtest/gtest.h>

#include <filesystem>

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

TEST_F(CliInfoTest, SwappedPiecesAreMisnumbered) {
    fs::rename(dir.file("REPORT.001"), dir.file("tmp"));
    fs::rename(dir.file("REPORT.002"), dir.file("REPORT.001"));
    fs::rename(dir.file("tmp"), dir.file("REPORT.002"));
    const auto result = cli({"info", "REPORT.000"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.out.find("番号が違います"), std::string::npos) << result.out;
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
