// Where a job's output goes, without a window: the rules both front ends follow.
#include "jobs/Destinations.h"

#include <gtest/gtest.h>

namespace zolvane {
namespace {

TEST(Destinations, SplitPiecesGoWhereTheUserPlacedThem) {
    struct Case {
        const char* rule;
        SplitPlacement placement;
        const char* destination;
    };
    const Case cases[] = {
        {"automatic: the drive's name, resolved by the engine",
         {true, "/dev/sdb", true, "/home/u/out", "/home/u/src"}, "/dev/sdb/REPORT.DOC"},
        {"automatic on a mounted volume", {true, "/media/floppy/", false, "", "/x"},
         "/media/floppy/REPORT.DOC"},
        {"a chosen folder", {false, "", true, "/home/u/out", "/home/u/src"},
         "/home/u/out/REPORT.DOC"},
        {"a chosen folder with its separator", {false, "", true, "/home/u/out/", ""},
         "/home/u/out/REPORT.DOC"},
        {"a chosen folder that is empty is the root, not the current folder",
         {false, "", true, "", "/home/u/src"}, "/REPORT.DOC"},
        {"beside the source", {false, "", false, "/home/u/out", "/home/u/src"},
         "/home/u/src/REPORT.DOC"},
        {"the current folder (the terminal without --dest)", {}, "REPORT.DOC"},
    };
    for (const Case& one : cases) {
        EXPECT_EQ(SplitDestination(one.placement, "REPORT.DOC"), one.destination) << one.rule;
    }
}

TEST(Destinations, JoinsGoToTheChosenFolderOrBesideThePieces) {
    EXPECT_EQ(JoinDestination(true, "/home/u/out", "/media/floppy"), "/home/u/out/");
    EXPECT_EQ(JoinDestination(true, "/home/u/out/", "/media/floppy"), "/home/u/out/");
    EXPECT_EQ(JoinDestination(false, "/home/u/out", "/media/floppy"), "/media/floppy/");
    EXPECT_EQ(JoinDestination(false, "", ""), "/") << "never the current folder by accident";
}

}  // namespace
}  // namespace zolvane
