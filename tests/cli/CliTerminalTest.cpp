// Questions on a (pseudo-)terminal: asked only where someone both sees and answers them.
#include <gtest/gtest.h>

#include "cli/Terminal.h"
#include "tests/cli/PtyProgram.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

TEST(CliTerminalTest, TheOverwriteQuestionIsAskedOnlyWhereItIsSeen) {
    test::TempDir dir;
    const test::Bytes source = test::PatternBytes(5000);
    test::WriteBytes(dir.file("REPORT.DOC"), source);
    ASSERT_EQ(test::RunProgram(ZOLVANE_CLI, {"split", "REPORT.DOC", "--size", "2000"},
                               dir.path().string())
                  .exitCode,
              0);
    std::filesystem::create_directory(dir.file("out"));
    test::WriteBytes(dir.file("out/REPORT.DOC"), {'o', 'l', 'd'});
    const std::vector<std::string> join = {"join", "REPORT.000", "--dest", "out"};

    // Answers typed at the terminal, messages to a log: the question would go unseen.
    auto result = test::RunOnTerminal(ZOLVANE_CLI, join, dir.path().string(), "o\n", false);
    EXPECT_EQ(result.exitCode, 1) << "-1: it waited for an answer";
    EXPECT_NE(result.err.find("--overwrite"), std::string::npos) << result.err;
    EXPECT_EQ(test::ReadBytes(dir.file("out/REPORT.DOC")), (test::Bytes{'o', 'l', 'd'}));

    result = test::RunOnTerminal(ZOLVANE_CLI, join, dir.path().string(), "o\n");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(test::ReadBytes(dir.file("out/REPORT.DOC")), source);
}

TEST(Printable, EscapesWhatCouldDriveATerminal) {
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\DATA\\REPORT.DOC", "C:\\DATA\\REPORT.DOC"},
        {"表.txt", "表.txt"},
        {"a\x1b[2Jb", "a\\x1b[2Jb"},
        {"line\nnext\r\t", "line\\nnext\\r\\t"},
        {"del\x7f", "del\\x7f"},
        {"c1 \xc2\x9b"
         "2J",
         "c1 \\xc2\\x9b2J"},                 // U+009B, the one-byte CSI
        {"\xc2\xa0", "\xc2\xa0"},            // U+00A0 is no control
        {"raw \x9b", "raw \\x9b"},           // not UTF-8 at all
        {"cut \xe8\xa1", "cut \\xe8\\xa1"},  // a character cut short
        {"overlong \xe0\x80\x9b", "overlong \\xe0\\x80\\x9b"},
        {std::string("nul\0x", 5), "nul\\x00x"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(cli::Printable(text), shown);
    }
}

}  // namespace
}  // namespace zolvane
