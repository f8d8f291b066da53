#include "jobs/ArchiverLibrary.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace zolvane {
namespace {

TEST(ArchiverLibrary, FindsBothEntriesAndCallsThem) {
    ArchiverLibrary archiver;
    archiver.Load({"/no/such/folder", FAKE_UNLHA_DIR});
    ASSERT_TRUE(archiver.ArchiverReady);
    auto lastCommand = reinterpret_cast<const char* (*)()>(archiver.ArchiverModule->entry("FakeLastCommand"));
    ASSERT_NE(lastCommand, nullptr);

    unsetenv("FAKE_UNLHA_BUSY");
    EXPECT_FALSE(archiver.busy());
    setenv("FAKE_UNLHA_BUSY", "1", 1);
    EXPECT_TRUE(archiver.busy());
    unsetenv("FAKE_UNLHA_BUSY");

    setenv("FAKE_UNLHA_RESULT", "0", 1);
    EXPECT_EQ(archiver.run("a -a1 \"x.lzh\" \"*.*\""), 0);
    EXPECT_STREQ(lastCommand(), "a -a1 \"x.lzh\" \"*.*\"");
    setenv("FAKE_UNLHA_RESULT", "5", 1);
    EXPECT_EQ(archiver.run("e"), 5);
    unsetenv("FAKE_UNLHA_RESULT");

    archiver.Release();
    EXPECT_FALSE(archiver.ArchiverReady);
    EXPECT_EQ(archiver.run("e"), -1) << "no call into a released library";
    EXPECT_FALSE(archiver.busy());
}

TEST(ArchiverLibrary, ReportsUpToTheBufferAskedFor) {
    ArchiverLibrary archiver;
    archiver.Load({FAKE_UNLHA_DIR});
    ASSERT_TRUE(archiver.ArchiverReady);
    setenv("FAKE_UNLHA_REPORT_LENGTH", "50000", 1);
    std::string report;
    EXPECT_EQ(archiver.run("e", report), 0);
    EXPECT_EQ(report.size(), ArchiverLibrary::kOutputSize - 1);
    EXPECT_EQ(archiver.runWithReport("e", report, ArchiverLibrary::kLongOutputSize), 0);
    EXPECT_EQ(report, std::string(50000, 'r'));
    unsetenv("FAKE_UNLHA_REPORT_LENGTH");
    EXPECT_EQ(archiver.runWithReport("e", report, 0), -1) << "no room even for the end mark";
}

TEST(ArchiverLibrary, AMissingLibraryOrEntryIsNoError) {
    ArchiverLibrary partial;
    partial.Load({FAKE_PARTIAL_DIR});
    EXPECT_FALSE(partial.ArchiverReady) << "only UnlhaGetRunning is there";
    EXPECT_EQ(partial.run("e"), -1);

    ArchiverLibrary none;
    none.Load({"/no/such/folder"});
    EXPECT_FALSE(none.ArchiverReady);
}

TEST(ArchiverLibrary, AddCommands) {
    EXPECT_EQ(AddToArchiveCommand("/tmp/my files/a.lzh", "report.doc", false),
              "a -a1 \"/tmp/my files/a.lzh\" \"report.doc\"");
    EXPECT_EQ(AddToArchiveCommand("a.lzh", "*.txt;*.doc", true), "a -x1r1a1 \"a.lzh\" \"*.txt;*.doc\"");
}

}  // namespace
}  // namespace zolvane
