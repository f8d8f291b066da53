#include <gtest/gtest.h>

#include "cli/ArchiverReport.h"
#include "cli/Terminal.h"
#include "jobs/UnpackCheck.h"
#include "join/JoinFile.h"

namespace zolvane::cli {
namespace {

TEST(ArchiverReport, TheCheckCommandIsTheUnpackCommandWithC1) {
    EXPECT_EQ(UnpackCommand("/d/MAIL.LZH", "/d/", true), "e -a1x1m0c1 \"/d/MAIL.LZH\" \"/d/\"*.*");
}

TEST(ArchiverReport, ReplaceChecks) {
    struct Case {
        const char* report;
        bool valid;
        std::uint64_t count;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"would replace 0 files\n", true, 0, {}},
        {"would replace 1 file\na.txt\n", true, 1, {"a.txt"}},
        {"would replace 3 files\na.txt\nsub/c.txt\n", true, 3, {"a.txt", "sub/c.txt"}},  // cut
        {"would replace 2 file\na\nb", false, 0, {}},
        {"would replace 1 file\na\nb", false, 0, {}},  // more names than files
        {"would replace -1 files", false, 0, {}},
        {"command refused: unknown switch -c", false, 0, {}},
    };
    for (const Case& c : cases) {
        const auto check = ParseReplaceCheck(c.report);
        ASSERT_EQ(check.has_value(), c.valid) << c.report;
        if (check) {
            EXPECT_EQ(check->count, c.count) << c.report;
            EXPECT_EQ(check->names, c.names) << c.report;
        }
    }
}

TEST(ArchiverReport, UnmatchedPatternsAndTheRest) {
    const std::string report =
        "added 2 files to /x.lzh\n"
        "warning: no file matches '*.doc'\n"
        "warning: no file matches 'my file?.txt'\n"
        "warning: no file matches '*.cu";  // cut by the buffer
    EXPECT_EQ(UnmatchedPatterns(report), (std::vector<std::string>{"*.doc", "my file?.txt"}));
    EXPECT_EQ(ReportWithoutWarnings(report), "added 2 files to /x.lzh");
    EXPECT_EQ(ReportWithoutWarnings("nothing added: a: No such file\nsecond line"),
              "nothing added: a: No such file; second line");
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
        EXPECT_EQ(Printable(text), shown);
    }
}

}  // namespace
}  // namespace zolvane::cli
