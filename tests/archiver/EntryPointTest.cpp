// The C boundary: result codes, the report buffer, refusals and the busy flag.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "archiver/Unlha32.h"
#include "tests/archiver/ArchiverTesting.h"

extern "C" int CallBothEntriesFromC(const char* command, char* output, unsigned long outputSize,
                                    int* runningBefore);

namespace zolvane::test {
namespace {

namespace fs = std::filesystem;

TEST(ArchiverEntry, PlainCCallerGetsResultAndReport) {
    char report[64];
    int running = -1;
    EXPECT_NE(CallBothEntriesFromC("q -z1 \"x.lzh\" \"y\"", report, sizeof report, &running), 0);
    EXPECT_EQ(running, 0);
    EXPECT_NE(std::strstr(report, "unknown command"), nullptr) << report;
}

TEST(ArchiverEntry, BadCommandsFailWithAReportAndTouchNothing) {
    TempDir temp;
    WriteTree(temp.path(), {{"a.txt", {1}}});
    CurrentFolder inside(temp.path());
    for (const char* command : {"", "   ", "q \"x.lzh\" \"a.txt\"", "a -a1", "a -a1 \"x.lzh\"",
                                "a -k1 \"x.lzh\" \"a.txt\"", "a -a1 \"x.lzh\" \"a.txt",
                                "a -a1 \"x.lzh\" \"a.txt\" \"extra\"", "e -a1x1m0 \"x.lzh\""}) {
        const RunResult result = RunUnlha(command);
        EXPECT_NE(result.code, 0) << command;
        EXPECT_FALSE(result.report.empty()) << command;
    }
    EXPECT_EQ(ReadTree(temp.path()).size(), 1u);
    EXPECT_FALSE(fs::exists(temp.path() / "x.lzh"));
    EXPECT_NE(Unlha(nullptr, nullptr, nullptr, 0), 0);
}

TEST(ArchiverEntry, ReportIsCutToTheBufferAndAlwaysTerminated) {
    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_NE(Unlha(nullptr, "nonsense", small, sizeof small), 0);
    EXPECT_EQ(std::strlen(small), 7u);

    char one = 'x';
    Unlha(nullptr, "nonsense", &one, 1);
    EXPECT_EQ(one, '\0');

    char untouched = 'x';
    Unlha(nullptr, "nonsense", &untouched, 0);
    EXPECT_EQ(untouched, 'x');
    EXPECT_NE(Unlha(nullptr, "nonsense", nullptr, 1024), 0);
}

// The unpack blocks opening a FIFO until the test writes the archive into it, so the
// command is surely running while the flag is read.
TEST(ArchiverEntry, RunningIsOneOnlyWhileACommandRunsInAnotherThread) {
    TempDir temp;
    const std::string fifo = temp.file("archive.lzh");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(UnlhaGetRunning(), 0);

    RunResult result;
    std::thread worker(
        [&] { result = RunUnlha("e -a1x1m0 \"" + fifo + "\" \"" + temp.file("dest") + "/\"*.*"); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (UnlhaGetRunning() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(UnlhaGetRunning(), 1);

    const Bytes archive = BuildHandArchive({{"", "hello.txt", {'h', 'i'}}});
    const int fd = open(fifo.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(write(fd, archive.data(), archive.size()), static_cast<ssize_t>(archive.size()));
    close(fd);
    worker.join();

    EXPECT_EQ(result.code, 0) << result.report;
    EXPECT_EQ(UnlhaGetRunning(), 0);
    EXPECT_EQ(ReadBytes(temp.file("dest/hello.txt")), (Bytes{'h', 'i'}));
}

}  // namespace
}  // namespace zolvane::test
