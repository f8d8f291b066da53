#include "platform/FileAttributes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/support/TempDir.h"

namespace zolvane::platform {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 0777;
}

TEST(FileAttributes, WordFromPermissionsAndName) {
    test::TempDir dir;
    const std::string plain = dir.file("plain.txt");
    const std::string hidden = dir.file(".hidden");
    test::WriteBytes(plain, {1});
    test::WriteBytes(hidden, {1});
    EXPECT_EQ(ReadAttributeWord(plain), kAttributeArchive);
    EXPECT_EQ(ReadAttributeWord(hidden), kAttributeArchive | kAttributeHidden);
    chmod(plain.c_str(), 0444);
    EXPECT_EQ(ReadAttributeWord(plain), kAttributeArchive | kAttributeReadOnly);
    EXPECT_EQ(ReadAttributeWord(dir.file("absent")), -1);
}

TEST(FileAttributes, ApplyingSetsOrClearsWritePermission) {
    test::TempDir dir;
    const std::string path = dir.file("f");
    test::WriteBytes(path, {1});
    chmod(path.c_str(), 0664);
    ASSERT_TRUE(ApplyAttributeWord(path, kAttributeReadOnly | kAttributeArchive));
    EXPECT_EQ(ModeOf(path), 0444u);
    ASSERT_TRUE(ApplyAttributeWord(path, kAttributeArchive | kAttributeHidden));
    EXPECT_EQ(ModeOf(path), 0644u) << "hidden and archive change nothing here";
    EXPECT_FALSE(ApplyAttributeWord(dir.file("absent"), 0));
}

}  // namespace
}  // namespace zolvane::platform
