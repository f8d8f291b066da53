// Other LZH tools as peers: what we write they unpack byte-identical, what jlha writes
// (every method and header level it has) we unpack, through libarchive and through our
// own decoder, and the shortest streams come out the same from all of us.
#include <fcntl.h>
#include <gtest/gtest.h>

#include "archiver/FileDescriptor.h"
#include "archiver/LzhHeader.h"
#include "tests/archiver/ArchiverTesting.h"

namespace zolvane::test {
namespace {

namespace fs = std::filesystem;

// ASCII names only: jlha mangles others.
std::map<std::string, Bytes> PeerFiles() {
    return {
        {"text.txt", TextBytes(150000)},
        {"binary.bin", BinaryLikeBytes(400000)},
        {"multi-block.bin", BinaryLikeBytes(3 << 20)},
        {"empty.dat", {}},
        {"one.byte", {0x42}},
        {"zeros.raw", RepetitiveBytes(300000)},
        {"random.bin", PatternBytes(20000, 11)},
        {"tail.txt", TextBytes(261)},
        {"sub/inner.txt", TextBytes(3000)},
    };
}

class PeerTools : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTree(temp_.path() / "src", PeerFiles());
        CurrentFolder inside(temp_.path() / "src");
        const RunResult result = RunUnlha("a -x1r1a1 \"" + ours() + "\" \"*.*\"");
        ASSERT_EQ(result.code, 0) << result.report;
    }

    std::string ours() const { return temp_.file("ours.lzh"); }

    // Unpacks our archive with a peer command run inside a fresh folder.
    std::map<std::string, Bytes> unpackWith(const std::string& tool, const std::string& args) {
        const fs::path out = temp_.path() / ("by-" + tool);
        fs::create_directories(out);
        Shell("cd " + Quoted(out.string()) + " && " + tool + " " + args + " " + Quoted(ours()) +
              " >/dev/null 2>&1");
        return ReadTree(out);
    }

    TempDir temp_;
};

TEST_F(PeerTools, LhasaUnpacksOurArchiveByteIdentical) {
    if (!ToolAvailable("lhasa")) {
        GTEST_SKIP() << "lhasa is not installed (Debian package lhasa)";
    }
    EXPECT_EQ(Shell("lhasa tq " + Quoted(ours()) + " >/dev/null 2>&1"), 0);
    EXPECT_EQ(unpackWith("lhasa", "xqf"), PeerFiles());
}

TEST_F(PeerTools, BsdtarUnpacksOurArchiveByteIdentical) {
    if (!ToolAvailable("bsdtar")) {
        GTEST_SKIP() << "bsdtar is not installed (Debian package libarchive-tools)";
    }
    EXPECT_EQ(unpackWith("bsdtar", "-xf"), PeerFiles());
}

TEST_F(PeerTools, JlhaUnpacksOurArchiveByteIdentical) {
    if (!ToolAvailable("jlha")) {
        GTEST_SKIP() << "jlha is not installed (Debian package jlha-utils)";
    }
    // jlha reports success even when it fails, so only the contents count.
    EXPECT_EQ(unpackWith("jlha", "xqf"), PeerFiles());
}

TEST_F(PeerTools, WeUnpackWhatJlhaWritesWithEveryMethodAndLevel) {
    if (!ToolAvailable("jlha")) {
        GTEST_SKIP() << "jlha is not installed (Debian package jlha-utils)";
    }
    const std::map<std::string, Bytes> files = {{"text.txt", TextBytes(120000)},
                                                {"binary.bin", BinaryLikeBytes(200000)},
                                                {"empty.dat", {}}};
    WriteTree(temp_.path() / "jsrc", files);
    for (const char* method : {"5", "6", "7"}) {
        for (const char* level : {"0", "1", "2"}) {
            const std::string label = std::string("-lh") + method + "- level " + level;
            const std::string archive = temp_.file(std::string("j") + method + level + ".lzh");
            Shell("cd " + Quoted(temp_.file("jsrc")) + " && jlha a" + level + "o" + method + "q " +
                  Quoted(archive) + " text.txt binary.bin empty.dat >/dev/null 2>&1");
            const std::vector<MemberInfo> members = ListMembers(archive);
            ASSERT_EQ(members.size(), 3u) << label;
            EXPECT_EQ(members[0].method, std::string("-lh") + method + "-") << label;
            EXPECT_EQ(members[0].level, level[0] - '0') << label;

            const fs::path dest = temp_.path() / ("from-jlha-" + std::string(method) + level);
            const RunResult result =
                RunUnlha("e -a1x1m0 \"" + archive + "\" \"" + dest.string() + "/\"*.*");
            EXPECT_EQ(result.code, 0) << label << ": " << result.report;
            EXPECT_EQ(ReadTree(dest), files) << label;

            // Our own decoder, on the data ranges our header walk finds, reads them too.
            const Bytes bytes = ReadBytes(archive);
            archiver::FileDescriptor fd(open(archive.c_str(), O_RDONLY));
            archiver::ArchiveLayout layout;
            ASSERT_EQ(archiver::ScanArchive(fd.get(), bytes.size(), layout), "") << label;
            for (const auto& member : layout.members) {
                if (member.method == "-lh0-") {
                    continue;
                }
                const auto start = bytes.begin() + static_cast<long>(member.dataOffset);
                const Bytes packed(start, start + static_cast<long>(member.packedSize));
                Bytes out;
                EXPECT_EQ(DecodeBytes(member.method, packed, member.originalSize, member.crc, out),
                          archiver::DecodeOutcome::Done)
                    << label << " " << member.path;
                EXPECT_TRUE(out == files.at(member.path)) << label << " " << member.path;
            }
        }
    }
}

// Streams shorter than 8 bytes, which libarchive refuses, with a stored member after
// them: we unpack them as lhasa and jlha do.
TEST(ShortStreams, UnpackAsPeerToolsUnpackThem) {
    TempDir temp;
    const Bytes hundred(100, 'a');
    const std::string archive = temp.file("short.lzh");
    WriteBytes(
        archive,
        BuildHandArchive({
            {"", "five.txt", OneSymbolBlock(100, 'a'), "-lh5-", 0100644, false, hundred},
            {"dir", "six.txt", OneSymbolBlock(100, 'a', 5), "-lh6-", 0100644, false, hundred},
            {"", "seven.txt", OneSymbolBlock(1, 'x', 5), "-lh7-", 0100644, false, {'x'}},
            {"", "stored.txt", {'s'}},
        }));
    const std::map<std::string, Bytes> expected = {{"five.txt", hundred},
                                                   {"dir/six.txt", hundred},
                                                   {"seven.txt", {'x'}},
                                                   {"stored.txt", {'s'}}};

    const RunResult result =
        RunUnlha("e -a1x1m0 \"" + archive + "\" \"" + temp.file("ours") + "/\"*.*");
    EXPECT_EQ(result.code, 0) << result.report;
    EXPECT_EQ(ReadTree(temp.path() / "ours"), expected);
    for (const char* tool : {"lhasa", "jlha"}) {
        if (ToolAvailable(tool)) {
            fs::create_directories(temp.path() / tool);
            Shell("cd " + Quoted(temp.file(tool)) + " && " + tool + " xqf " + Quoted(archive) +
                  " >/dev/null 2>&1");
            EXPECT_EQ(ReadTree(temp.path() / tool), expected) << tool;
        }
    }
}

}  // namespace
}  // namespace zolvane::test
