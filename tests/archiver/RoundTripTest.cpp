// Packing and unpacking through the library's C entry, as the program calls it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/archiver/ArchiverTesting.h"
#include "tests/support/Mount.h"

namespace zolvane::test {
namespace {

namespace fs = std::filesystem;

class ArchiverRoundTrip : public ::testing::Test {
protected:
    fs::path source() const { return temp_.path() / "source"; }
    fs::path dest() const { return temp_.path() / "dest"; }
    std::string archive() const {
        return (temp_.path() / "out folder" / "my archive.lzh").string();
    }

    void SetUp() override {
        fs::create_directories(source());
        fs::create_directories(temp_.path() / "out folder");
    }

    RunResult add(const std::string& name, bool recursive = false) {
        CurrentFolder inside(source());
        return RunUnlha(std::string(recursive ? "a -x1r1a1 \"" : "a -a1 \"") + archive() + "\" \"" +
                        name + "\"");
    }

    RunResult extract() {
        return RunUnlha("e -a1x1m0 \"" + archive() + "\" \"" + dest().string() + "/\"*.*");
    }

    std::vector<std::string> memberNames() const {
        std::vector<std::string> names;
        for (const auto& member : ListMembers(archive())) {
            names.push_back(member.name);
        }
        return names;
    }

    TempDir temp_;
};

TEST_F(ArchiverRoundTrip, ContentsOfEveryKindComeBackByteIdentical) {
    const std::map<std::string, Bytes> files = {
        {"text.txt", TextBytes(200000)},
        {"binary.bin", BinaryLikeBytes(300000)},
        {"empty.dat", {}},
        {"one.byte", {0x42}},
        {"repetitive.raw", RepetitiveBytes(1 << 20)},
        {"random.bin", PatternBytes(70000, 5)},
        {"large.bin", BinaryLikeBytes(5 << 20)},
        {"name with blanks.txt", TextBytes(999)},
        {"日本語のファイル.txt", TextBytes(5000)},
        {"NoDot", TextBytes(10)},
    };
    WriteTree(source(), files);
    const RunResult added = add("*.*");
    ASSERT_EQ(added.code, 0) << added.report;
    EXPECT_NE(added.report.find("10 files"), std::string::npos) << added.report;

    const RunResult unpacked = extract();
    ASSERT_EQ(unpacked.code, 0) << unpacked.report;
    EXPECT_EQ(ReadTree(dest()), files);
}

// One packer serves every file of a command and keeps its tables between them; a file
// must still never refer back into the one before, or it could not be unpacked alone.
TEST_F(ArchiverRoundTrip, FilesPackedInOneCommandStayIndependent) {
    const Bytes text = TextBytes(40000);
    Bytes longer = BinaryLikeBytes(1500000);  // long enough to move the packer's buffer
    longer.insert(longer.end(), text.begin(), text.end());
    const std::map<std::string, Bytes> files = {
        {"a.txt", text},
        {"b.txt", text},
        {"c.bin", longer},
        {"d.txt", text},
        {"e.txt", Bytes(text.begin(), text.begin() + 20)},
    };
    WriteTree(source(), files);
    for (const char* name : {"a.txt", "b.txt", "c.bin", "d.txt", "e.txt"}) {
        ASSERT_EQ(add(name).code, 0) << name;
    }
    ASSERT_EQ(add("*.*").code, 0);  // and once more, all in one command

    std::map<std::string, std::uint32_t> packed;
    for (const auto& member : ListMembers(archive())) {
        packed[member.name] = member.packedSize;
    }
    // Copies of a file cost as much as the first: nothing was taken from it.
    EXPECT_GT(packed["b.txt"], packed["a.txt"] * 9 / 10);
    EXPECT_GT(packed["d.txt"], packed["a.txt"] * 9 / 10);

    const RunResult unpacked = extract();
    ASSERT_EQ(unpacked.code, 0) << unpacked.report;
    EXPECT_EQ(ReadTree(dest()), files);
}

TEST_F(ArchiverRoundTrip, StoresWhatDoesNotShrinkAndPacksTheRest) {
    WriteTree(source(), {{"empty", {}},
                         {"random", PatternBytes(50000, 3)},
                         {"one", {7}},
                         {"text", TextBytes(50000)}});
    ASSERT_EQ(add("*.*").code, 0);
    std::map<std::string, std::string> methods;
    for (const auto& member : ListMembers(archive())) {
        EXPECT_EQ(member.level, 2);
        methods[member.name] = member.method;
    }
    EXPECT_EQ(methods["empty"], "-lh0-");
    EXPECT_EQ(methods["random"], "-lh0-");
    EXPECT_EQ(methods["one"], "-lh0-");
    EXPECT_EQ(methods["text"], "-lh5-");
    EXPECT_LT(fs::file_size(archive()), 50000u + 50000u / 2);
}

TEST_F(ArchiverRoundTrip, RestoresModificationTimeAndPermissions) {
    WriteTree(source(), {{"old.txt", TextBytes(3000)}});
    const std::string path = (source() / "old.txt").string();
    struct timespec times[2] = {{0, UTIME_OMIT}, {946684800, 0}};  // 2000-01-01
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_EQ(add("old.txt").code, 0);
    ASSERT_EQ(extract().code, 0);
    struct stat info {};
    ASSERT_EQ(stat((dest() / "old.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 946684800);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(ArchiverRoundTrip, MasksSeparatedBySemicolonsPickOnlyTheirFiles) {
    WriteTree(source(),
              {{"a.txt", {1}}, {"B.TXT", {2}}, {"c.doc", {3}}, {"d.bin", {4}}, {"sub/e.txt", {5}}});
    const RunResult result = add("*.txt;*.doc");
    ASSERT_EQ(result.code, 0) << result.report;
    std::vector<std::string> names = memberNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"B.TXT", "a.txt", "c.doc"}));
}

TEST_F(ArchiverRoundTrip, BlanksAroundMasksAreIgnoredAndMasksMatchingNothingAreNamed) {
    WriteTree(source(), {{"a.txt", {1}}, {"c.doc", {3}}, {"d.bin", {4}}});
    struct Case {
        const char* masks;
        std::vector<std::string> members;
        std::string warnings;  // the report after its first line
    };
    const std::vector<Case> cases = {
        {"*.txt; *.doc", {"a.txt", "c.doc"}, ""},
        {" *.txt\t;\t*.doc ", {"a.txt", "c.doc"}, ""},
        {"*.txt;a.*", {"a.txt"}, ""},  // found again, but found: no warning
        {"*.txt;*.xls; missing.bin",
         {"a.txt"},
         "\nwarning: no file matches '*.xls'\nwarning: no file matches 'missing.bin'"},
    };
    for (const auto& c : cases) {
        fs::remove(archive());
        const RunResult result = add(c.masks);
        ASSERT_EQ(result.code, 0) << c.masks << ": " << result.report;
        const std::size_t lineEnd = std::min(result.report.find('\n'), result.report.size());
        EXPECT_EQ(result.report.rfind("added ", 0), 0u) << result.report;
        EXPECT_EQ(result.report.substr(lineEnd), c.warnings) << c.masks;
        std::vector<std::string> names = memberNames();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.members) << c.masks;
    }
    fs::remove(archive());
    EXPECT_NE(add("*.xls; missing.bin").code, 0);
    EXPECT_FALSE(fs::exists(archive()));
}

TEST_F(ArchiverRoundTrip, RecursionStoresSubfoldersWithFolderEntries) {
    const std::map<std::string, Bytes> files = {
        {"top.txt", TextBytes(100)},
        {"sub/inner.txt", TextBytes(200)},
        {"sub/deeper/deep.bin", TextBytes(3000)},
    };
    WriteTree(source(), files);
    fs::create_directories(source() / "sub" / "empty folder");
    const RunResult result = add("*.*", true);
    ASSERT_EQ(result.code, 0) << result.report;

    std::map<std::string, std::string> methods;
    for (const auto& member : ListMembers(archive())) {
        methods[member.name] = member.method;
    }
    EXPECT_EQ(methods["sub"], "-lhd-");
    EXPECT_EQ(methods["sub/deeper"], "-lhd-");
    EXPECT_EQ(methods["sub/deeper/deep.bin"], "-lh5-");

    ASSERT_EQ(extract().code, 0);
    EXPECT_EQ(ReadTree(dest()), files);
    EXPECT_TRUE(fs::is_directory(dest() / "sub" / "empty folder"));
}

TEST_F(ArchiverRoundTrip, LaterCallsAppendAndReplaceMembersOfTheSameName) {
    WriteTree(source(), {{"first.txt", TextBytes(1000)}, {"second.txt", TextBytes(2000)}});
    ASSERT_EQ(add("first.txt").code, 0);
    ASSERT_EQ(add("second.txt").code, 0);
    EXPECT_EQ(memberNames(), (std::vector<std::string>{"first.txt", "second.txt"}));

    WriteBytes((source() / "first.txt").string(), {'n', 'e', 'w'});
    const RunResult replaced = add("first.txt");
    ASSERT_EQ(replaced.code, 0) << replaced.report;
    EXPECT_EQ(memberNames(), (std::vector<std::string>{"second.txt", "first.txt"}));
    ASSERT_EQ(extract().code, 0);
    EXPECT_EQ(ReadBytes((dest() / "first.txt").string()), (Bytes{'n', 'e', 'w'}));
    EXPECT_EQ(ReadBytes((dest() / "second.txt").string()), TextBytes(2000));
}

TEST_F(ArchiverRoundTrip, AnArchiveInsideTheMaskedFolderIsNeverAddedToItself) {
    WriteTree(source(), {{"a.txt", {1, 2, 3}}});
    CurrentFolder inside(source());
    for (int call = 0; call < 2; ++call) {
        const RunResult result = RunUnlha("a -a1 \"self.lzh\" \"*.*\"");
        ASSERT_EQ(result.code, 0) << result.report;
    }
    std::vector<std::string> names;
    for (const auto& member : ListMembers("self.lzh")) {
        names.push_back(member.name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt"}));
}

TEST_F(ArchiverRoundTrip, NamesThatMatchNothingFailAndLeaveTheArchiveAlone) {
    WriteTree(source(), {{"a.txt", {1}}});
    EXPECT_NE(add("*.none").code, 0);
    EXPECT_FALSE(fs::exists(archive()));

    ASSERT_EQ(add("a.txt").code, 0);
    const Bytes before = ReadBytes(archive());
    const RunResult missing = add("missing.txt");
    EXPECT_NE(missing.code, 0);
    EXPECT_NE(missing.report.find("missing.txt"), std::string::npos) << missing.report;
    EXPECT_EQ(ReadBytes(archive()), before);
}

// A sparse file over 4 GiB cannot be stored; it fails the command after the members
// before it were written, which must then be undone.
TEST_F(ArchiverRoundTrip, AFailureHalfwayLeavesThePreviousArchiveIntact) {
    WriteTree(source(), {{"a.txt", TextBytes(3000)}, {"b.txt", TextBytes(4000)}});
    ASSERT_EQ(add("a.txt").code, 0);
    const Bytes before = ReadBytes(archive());
    WriteBytes((source() / "huge.bin").string(), {});
    fs::resize_file(source() / "huge.bin", std::uintmax_t{5} << 30);

    const RunResult appended = add("*.*");
    EXPECT_NE(appended.code, 0);
    EXPECT_NE(appended.report.find("huge.bin"), std::string::npos) << appended.report;
    EXPECT_EQ(ReadBytes(archive()), before);

    WriteBytes((source() / "a.txt").string(), TextBytes(10));  // now a replacement too
    EXPECT_NE(add("*.*").code, 0);
    EXPECT_EQ(ReadBytes(archive()), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp_.path() / "out folder"),
                            fs::directory_iterator()),
              1);

    fs::remove(archive());
    EXPECT_NE(add("*.*").code, 0);
    EXPECT_FALSE(fs::exists(archive()));
}

TEST_F(ArchiverRoundTrip, ACheckListsWhatTheSameUnpackWouldReplaceAndWritesNothing) {
    WriteTree(source(), {{"top.txt", {1}}, {"sub/inner.txt", {2}}, {"sub/deeper/deep.bin", {4}}});
    ASSERT_EQ(add("*.*", true).code, 0);
    // In the destination: files, a dangling link, and a folder where a member file goes.
    WriteTree(dest(), {{"top.txt", {9}}, {"inner.txt", {9}}, {"deep.bin", {9}}});
    fs::create_directories(dest() / "sub" / "deeper" / "deep.bin");
    fs::create_symlink("nowhere", dest() / "sub" / "inner.txt");
    const auto before = ReadTree(dest());
    struct Case {
        const char* switches;
        const char* mask;
        const char* report;
        std::size_t buffer = 65536;
    };
    const Case cases[] = {
        {"-a1x1m0c1", "*.*", "would replace 2 files\nsub/inner.txt\ntop.txt"},
        {"-a1x1m0 -c1", "*.*", "would replace 2 files\nsub/inner.txt\ntop.txt"},
        {"-a1x1m0c1", "*.*", "would replace 2 files\nsu", 25},  // cut, the count intact
        {"-a1x0m0c1", "*.*", "would replace 3 files\ndeep.bin\ninner.txt\ntop.txt"},
        {"-a1x0m0c1", "*.bin", "would replace 1 file\ndeep.bin"},
        {"-a1x1m0c1", "*.bin", "would replace 0 files"},
    };
    for (const auto& c : cases) {
        const RunResult result = RunUnlha(std::string("e ") + c.switches + " \"" + archive() +
                                              "\" \"" + dest().string() + "/\"" + c.mask,
                                          c.buffer);
        EXPECT_EQ(result.code, 0) << c.switches << " " << c.mask << ": " << result.report;
        EXPECT_EQ(result.report, c.report) << c.switches << " " << c.mask;
    }
    EXPECT_EQ(ReadTree(dest()), before);
    EXPECT_TRUE(fs::is_symlink(dest() / "sub" / "inner.txt"));

    const fs::path fresh = temp_.path() / "fresh";
    const RunResult none =
        RunUnlha("e -a1x1m0c1 \"" + archive() + "\" \"" + fresh.string() + "/sub/\"*.*");
    EXPECT_EQ(none.code, 0);
    EXPECT_EQ(none.report, "would replace 0 files");
    EXPECT_FALSE(fs::exists(fresh));
}

// A full disk is named as what it is, for the archive being written and for the files
// being unpacked alike; an archive the command created is removed.
TEST_F(ArchiverRoundTrip, WriteFailuresGiveTheSystemsReason) {
    if (!CanMount()) {
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    }
    const fs::path disk = temp_.path() / "disk";
    fs::create_directory(disk);
    TmpfsMount full(disk.string(), 64 * 1024);
    if (!full.ok()) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    WriteTree(source(), {{"f1.bin", PatternBytes(200000, 1)}, {"f2.bin", PatternBytes(200000, 2)}});
    {
        CurrentFolder inside(source());
        const RunResult packed = RunUnlha("a -a1 \"" + (disk / "x.lzh").string() + "\" \"*.*\"");
        EXPECT_NE(packed.code, 0);
        EXPECT_NE(packed.report.find("cannot write the archive: No space left on device"),
                  std::string::npos)
            << packed.report;
        EXPECT_FALSE(fs::exists(disk / "x.lzh"));
    }
    ASSERT_EQ(add("*.*").code, 0);
    const RunResult unpacked =
        RunUnlha("e -a1x1m0 \"" + archive() + "\" \"" + disk.string() + "/\"*.*");
    EXPECT_NE(unpacked.code, 0);
    EXPECT_NE(unpacked.report.find("'f1.bin': cannot write: No space left on device (and 1 more)"),
              std::string::npos)
        << unpacked.report;
}

TEST_F(ArchiverRoundTrip, UnpackingReplacesAnExistingFile) {
    WriteTree(source(), {{"a.txt", TextBytes(100)}});
    WriteTree(dest(), {{"a.txt", PatternBytes(5000)}});
    ASSERT_EQ(add("a.txt").code, 0);
    ASSERT_EQ(extract().code, 0);
    EXPECT_EQ(ReadBytes((dest() / "a.txt").string()), TextBytes(100));
}

}  // namespace
}  // namespace zolvane::test
