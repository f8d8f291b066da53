// Questions on a real (pseudo-)terminal: asked only where someone sees and answers them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/cli/PtyProgram.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;

class CliTerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        source = test::PatternBytes(5000);
        test::WriteBytes(dir.file("REPORT.DOC"), source);
        ASSERT_EQ(test::RunProgram(ZOLVANE_CLI, {"split", "REPORT.DOC", "--size", "2000"},
                                   dir.path().string())
                      .exitCode,
                  0);
        fs::create_directory(dir.file("out"));
        test::WriteBytes(dir.file("out/REPORT.DOC"), {'o', 'l', 'd'});
    }

    test::TempDir dir;
    test::Bytes source;
};

TEST_F(CliTerminalTest, TheOverwriteQuestionNamesTheRecordedNameAndTheFileAtRisk) {
    test::PtyProgram join(ZOLVANE_CLI, {"join", "REPORT.000", "--dest", "out"},
                          dir.path().string());
    ASSERT_TRUE(join.waitFor("[c] キャンセル: ")) << join.screen();
    std::string recorded = dir.file("REPORT.DOC");
    std::replace(recorded.begin(), recorded.end(), '/', '\\');
    EXPECT_NE(join.screen().find(recorded), std::string::npos) << join.screen();
    EXPECT_NE(join.screen().find("上書きされるファイル: " + dir.file("out/REPORT.DOC")),
              std::string::npos)
        << join.screen();
    join.type("o");
    const auto result = join.finish();
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(test::ReadBytes(dir.file("out/REPORT.DOC")), source);
}

TEST_F(CliTerminalTest, NoQuestionWhenItsTextGoesElsewhere) {
    // Input from the terminal, messages to a log: the user would wait for a question unseen.
    test::PtyProgram join(ZOLVANE_CLI, {"join", "REPORT.000", "--dest", "out"}, dir.path().string(),
                          false);
    const auto result = join.finish();
    EXPECT_EQ(result.exitCode, 1) << "-1: it waited for an answer";
    EXPECT_NE(result.err.find("--overwrite"), std::string::npos) << result.err;
    EXPECT_EQ(test::ReadBytes(dir.file("out/REPORT.DOC")), (test::Bytes{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace zolvane
