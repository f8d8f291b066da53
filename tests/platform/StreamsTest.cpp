#include "platform/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/support/Mount.h"
#include "tests/support/TempDir.h"

namespace zolvane::platform {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// Copies `source` to `target` the way the engines do: a few buffered bytes around blocks.
Bytes CopyInBlocks(const std::string& source, const std::string& target, std::size_t block) {
    std::FILE* in = std::fopen(source.c_str(), "rb");
    std::FILE* out = std::fopen(target.c_str(), "wb");
    std::vector<std::uint8_t> buffer(block);
    std::fputs("HEAD", out);
    const int first = std::fgetc(in);  // leaves stdio's read-ahead behind the position
    std::fputc(first, out);
    {
        BlockCopier copier(in, out, buffer.data(), static_cast<std::int64_t>(fs::file_size(source)) - 1);
        for (;;) {
            const BlockCopy copy = copier.copy(block);
            EXPECT_FALSE(copy.readFailed);
            EXPECT_EQ(copy.written, copy.read);
            if (copy.read < block) {
                break;
            }
        }
    }
    EXPECT_EQ(TellStream(in), static_cast<std::int64_t>(fs::file_size(source)));
    std::fputs("TAIL", out);
    std::fclose(in);
    std::fclose(out);
    return test::ReadBytes(target);
}

TEST(BlockCopier, KeepsOrderAndPositionsLikeFreadAndFwrite) {
    test::TempDir dir;
    for (const std::size_t size : {0u, 1u, 29999u, 30000u, 30001u, 1000000u}) {
        const Bytes data = test::PatternBytes(size + 1);
        test::WriteBytes(dir.file("in"), data);
        Bytes expected = {'H', 'E', 'A', 'D'};
        expected.insert(expected.end(), data.begin(), data.end());
        expected.insert(expected.end(), {'T', 'A', 'I', 'L'});
        EXPECT_EQ(CopyInBlocks(dir.file("in"), dir.file("out"), 30000), expected) << size;
    }
}

TEST(BlockCopier, BytesMovedAheadButNeverAskedForAreTakenBack) {
    test::TempDir dir;
    const Bytes data = test::PatternBytes(3000000);
    test::WriteBytes(dir.file("in"), data);
    std::FILE* in = std::fopen(dir.file("in").c_str(), "rb");
    std::FILE* out = std::fopen(dir.file("out").c_str(), "wb");
    std::vector<std::uint8_t> buffer(30000);
    std::fputs("HEAD", out);
    {
        BlockCopier copier(in, out, buffer.data(), 3000000);
        EXPECT_EQ(copier.copy(30000).written, 30000u);
        EXPECT_EQ(copier.copy(30000).written, 30000u);
    }  // as after a cancel: the rest is never asked for
    EXPECT_EQ(TellStream(in), 60000);
    EXPECT_EQ(TellStream(out), 60004);
    std::fputs("TAIL", out);
    std::fclose(in);
    std::fclose(out);
    Bytes expected = {'H', 'E', 'A', 'D'};
    expected.insert(expected.end(), data.begin(), data.begin() + 60000);
    expected.insert(expected.end(), {'T', 'A', 'I', 'L'});
    EXPECT_EQ(test::ReadBytes(dir.file("out")), expected);
}

TEST(BlockCopier, AFullDiskShowsAsAShortWrite) {
    if (!test::CanMount()) {
        GTEST_SKIP() << "needs root to mount a tmpfs";
    }
    test::TempDir dir;
    fs::create_directory(dir.file("disk"));
    test::TmpfsMount disk(dir.file("disk"), 256 * 1024);
    if (!disk.ok()) {
        GTEST_SKIP() << "mounting a tmpfs failed";
    }
    // Source and target on the same small disk, so the copy stays in the kernel.
    const std::string source = dir.file("disk/in");
    test::WriteBytes(source, test::PatternBytes(150000));
    std::FILE* in = std::fopen(source.c_str(), "rb");
    std::FILE* out = std::fopen(dir.file("disk/out").c_str(), "wb");
    std::vector<std::uint8_t> buffer(150000);
    const BlockCopy copy = BlockCopier(in, out, buffer.data(), 150000).copy(150000);
    EXPECT_EQ(copy.read, 150000u);
    EXPECT_LT(copy.written, copy.read);
    std::fclose(in);
    std::fclose(out);
}

TEST(BlockCopier, AnUnreadableInputIsAReadFailure) {
    test::TempDir dir;
    std::FILE* in = std::fopen(dir.path().c_str(), "rb");  // a folder opens, but cannot be read
    ASSERT_NE(in, nullptr);
    std::FILE* out = std::fopen(dir.file("out").c_str(), "wb");
    std::vector<std::uint8_t> buffer(100);
    const BlockCopy copy = BlockCopier(in, out, buffer.data(), 100).copy(100);
    EXPECT_EQ(copy.read, 0u);
    EXPECT_TRUE(copy.readFailed);
    std::fclose(in);
    std::fclose(out);
}

}  // namespace
}  // namespace zolvane::platform
