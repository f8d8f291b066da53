// Other LZH tools as peers: what we write they unpack byte-identical, and what jlha
// writes (every method and header level it has) we unpack.
#include <gtest/gtest.h>

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
        }
    }
}

}  // namespace
}  // namespace zolvane::test
