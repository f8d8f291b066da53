#include <gtest/gtest.h>

#include "jobs/ArchiverReport.h"
#include "join/JoinFile.h"

namespace zolvane {
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

}  // namespace
}  // namespace zolvane
