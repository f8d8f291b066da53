#include "pieces/PathRoutines.h"

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

TEST(PadNumber, PadsAndRefusesWhatDoesNotFit) {
    std::string text = "old";
    EXPECT_EQ(PadNumber(0, text, 3), 0);
    EXPECT_EQ(text, "000");
    EXPECT_EQ(PadNumber(42, text, 3), 0);
    EXPECT_EQ(text, "042");
    EXPECT_EQ(PadNumber(999, text, 3), 0);
    EXPECT_EQ(text, "999");
    EXPECT_EQ(PadNumber(-5, text, 3), 0);
    EXPECT_EQ(text, "-05");
    EXPECT_EQ(PadNumber(-5, text, 4), 0);
    EXPECT_EQ(text, "-005");
    EXPECT_EQ(PadNumber(1000, text, 3), -1);
    EXPECT_EQ(text, "");
    EXPECT_EQ(PadNumber(-100, text, 3), -1);
    EXPECT_EQ(PadNumber(-2147483647 - 1, text, 11), 0);
    EXPECT_EQ(text, "-2147483648");
}

TEST(SplitPath, CutsAtTheLastSeparator) {
    std::string folder = "x", name = "y";
    SplitPath("/data/sub/REPORT.DOC", folder, name);
    EXPECT_EQ(folder, "/data/sub/");
    EXPECT_EQ(name, "REPORT.DOC");
    SplitPath("REPORT.DOC", folder, name);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "REPORT.DOC");
    SplitPath("/", folder, name);
    EXPECT_EQ(folder, "/");
    EXPECT_EQ(name, "");
}

TEST(ReplaceExtension, CutsTheNameAtItsFirstDot) {
    std::string result;
    EXPECT_EQ(ReplaceExtension("/data/REPORT.DOC", "001", result), 0);
    EXPECT_EQ(result, "/data/REPORT.001");
    EXPECT_EQ(ReplaceExtension("backup.tar.gz", "000", result), 0);
    EXPECT_EQ(result, "backup.000");
    EXPECT_EQ(ReplaceExtension("README", "000", result), 0);
    EXPECT_EQ(result, "README.000");
    EXPECT_EQ(ReplaceExtension("/a.b/c.d/name", "007", result), 0) << "dots in folders do not count";
    EXPECT_EQ(result, "/a.b/c.d/name.007");
    EXPECT_EQ(ReplaceExtension("/floppy/", "000", result), 0);
    EXPECT_EQ(result, "/floppy/.000");
}

TEST(ReplaceExtension, RefusesNamesWithoutStemOrWithTooLongStem) {
    std::string result = "untouched";
    ExtensionError why = ExtensionError::None;
    EXPECT_EQ(ReplaceExtension("/home/u/.profile", "000", result, &why), 1);
    EXPECT_EQ(why, ExtensionError::NoName);
    EXPECT_EQ(result, "untouched");

    EXPECT_EQ(ReplaceExtension("/d/" + std::string(252, 's') + ".txt", "000", result, &why), 1);
    EXPECT_EQ(why, ExtensionError::StemTooLong);
    EXPECT_EQ(result, "untouched");

    EXPECT_EQ(ReplaceExtension("/d/" + std::string(251, 's') + ".txt", "000", result, &why), 0);
    EXPECT_EQ(result, "/d/" + std::string(251, 's') + ".000");
}

TEST(FileIsPresent, OnlyReadableFilesCount) {
    test::TempDir dir;
    test::WriteBytes(dir.file("here"), {1});
    EXPECT_EQ(FileIsPresent(dir.file("here")), 1);
    EXPECT_EQ(FileIsPresent(dir.file("absent")), 0);
    EXPECT_EQ(FileIsPresent(dir.path().string()), 0) << "a folder";
}

TEST(IsPieceOfSet, SameFolderByAnySpellingAndAThreeDigitNumber) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.file("set"));
    std::filesystem::create_directory_symlink(dir.file("set"), dir.file("link"));
    const std::string member = dir.file("set/REPORT.DOC");
    EXPECT_TRUE(IsPieceOfSet(member, dir.file("set/REPORT.000")));
    EXPECT_TRUE(IsPieceOfSet(member, dir.file("set/../set/report.123")));
    EXPECT_TRUE(IsPieceOfSet(member, dir.file("link/REPORT.999")));
    EXPECT_FALSE(IsPieceOfSet(member, dir.file("REPORT.001"))) << "another folder";
    EXPECT_FALSE(IsPieceOfSet(member, dir.file("set/REPORT.1000")));
    EXPECT_FALSE(IsPieceOfSet(member, dir.file("set/REPORT.00a")));
    EXPECT_FALSE(IsPieceOfSet(member, dir.file("set/REPORTX.001")));
    EXPECT_FALSE(IsPieceOfSet(member, dir.file("set/REPORT.DOC")));
    EXPECT_TRUE(IsPieceOfSet(dir.file("set/.hidden"), dir.file("set/.hidden")))
        << "a name that takes no number stands for itself";
}

}  // namespace
}  // namespace zolvane
