// Sets built by hand that a join must refuse, or read in a particular way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "join/JoinFile.h"
#include "tests/support/FakeJoinOperations.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/PieceBuilder.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::FirstPiece;

constexpr const char* kFinished = "結合が終了しました。";

class JoinRefusalTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        fs::create_directory(dir.file("set"));
        fs::create_directory(dir.file("out"));
    }

    void put(const std::string& name, const Bytes& bytes) { test::WriteBytes(dir.file("set/" + name), bytes); }

    int join(const std::string& selected = "REPORT.000") {
        return JoinFile(dir.file("set/" + selected), dir.file("out") + "/", ops, drives);
    }

    bool outIsEmpty() const { return fs::is_empty(dir.file("out")); }

    test::TempDir dir;
    test::FakeDrives drives;
    test::FakeJoinOperations ops;
};

TEST_F(JoinRefusalTest, DamagedFirstPiecesCreateNothing) {
    struct Case {
        const char* what;
        Bytes bytes;
        const char* message;
    };
    FirstPiece name255;
    name255.name = std::string(254, 'n');
    FirstPiece name256;
    name256.name = std::string(255, 'n');
    FirstPiece noZero;
    noZero.terminate = false;
    FirstPiece zeroLength;
    zeroLength.nameLength = 0;
    FirstPiece negativeLength;
    negativeLength.nameLength = -7;
    FirstPiece innerZero;
    innerZero.name = std::string("ab\0cd", 5);
    FirstPiece negativeSize;
    negativeSize.originalSize = -1;
    Bytes truncated = test::FirstPieceBytes(FirstPiece{});
    truncated.resize(truncated.size() - 1);

    const std::vector<Case> cases = {
        {"wrong magic", {'P', 'K', 3, 4, 0, 0, 0, 0}, "分割されたファイルではありません。\n結合を中止します。"},
        {"empty file", {}, "分割されたファイルではありません。\n結合を中止します。"},
        {"NameLength 256", test::FirstPieceBytes(name256), "記録されていたファイル名が長すぎます。\n結合を中止します。"},
        {"no zero byte", test::FirstPieceBytes(noZero), "記録されていたファイル名が正しくありません。\n結合を中止します。"},
        {"NameLength 0", test::FirstPieceBytes(zeroLength), "記録されていたファイル名が正しくありません。\n結合を中止します。"},
        {"NameLength -7", test::FirstPieceBytes(negativeLength), "記録されていたファイル名が正しくありません。\n結合を中止します。"},
        {"zero inside the name", test::FirstPieceBytes(innerZero), "記録されていたファイル名が正しくありません。\n結合を中止します。"},
        {"header cut short", truncated, "分割ファイルのヘッダーが壊れています。\n結合を中止します。"},
        {"negative size", test::FirstPieceBytes(negativeSize), "分割ファイルのヘッダーが壊れています。\n結合を中止します。"},
    };
    for (const Case& bad : cases) {
        test::FakeJoinOperations local;
        put("REPORT.000", bad.bytes);
        EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", local, drives), -1) << bad.what;
        EXPECT_EQ(local.texts(), std::vector<std::string>{bad.message}) << bad.what;
        EXPECT_TRUE(outIsEmpty()) << bad.what;
        EXPECT_EQ(local.releases, 1) << bad.what;
    }

    name255.originalSize = 3;
    name255.data = {1, 2, 3};
    put("REPORT.000", test::FirstPieceBytes(name255));
    EXPECT_EQ(join(), 0) << "NameLength 255 is accepted";
    EXPECT_EQ(test::ReadBytes(dir.file("out/" + std::string(254, 'n'))), (Bytes{1, 2, 3}));
}

TEST_F(JoinRefusalTest, OnlyTheNameAfterTheLastSeparatorIsUsed) {
    struct Case {
        std::string recorded;
        std::string written;  // empty: refused
    };
    const std::vector<Case> cases = {
        {"..\\..\\x", "x"},
        {"/etc/x", "x"},
        {"C:\\DATA/sub\\y.txt", "y.txt"},
        {"a/b\\c/z", "z"},
        {"plain", "plain"},
        {"C:\\x\\..", ""},
        {"..", ""},
        {".", ""},
        {"C:\\DATA\\", ""},
    };
    for (const Case& one : cases) {
        test::TempDir out;
        FirstPiece piece;
        piece.name = one.recorded;
        piece.originalSize = 2;
        piece.data = {7, 8};
        put("REPORT.000", test::FirstPieceBytes(piece));
        test::FakeJoinOperations local;
        const int result = JoinFile(dir.file("set/REPORT.000"), out.path().string() + "/", local, drives);
        if (one.written.empty()) {
            EXPECT_EQ(result, -1) << one.recorded;
            EXPECT_EQ(local.texts(), std::vector<std::string>{
                                         "記録されていたファイル名が正しくありません。\n結合を中止します。"});
            EXPECT_TRUE(fs::is_empty(out.path())) << one.recorded;
        } else {
            EXPECT_EQ(result, 0) << one.recorded;
            EXPECT_EQ(test::ReadBytes(out.file(one.written)), (Bytes{7, 8})) << one.recorded;
            EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1);
        }
    }
    EXPECT_TRUE(fs::is_empty(dir.file("out")));
}

TEST_F(JoinRefusalTest, ShiftJisNamesRebuildUnderTheirJapaneseNames) {
    FirstPiece piece;
    // C:\資料\表.txt in code page 932: 表 is 0x95 0x5C, whose second byte is "\".
    piece.name = "C:\\\x8e\x91\x97\xbf\\\x95\x5c.txt";
    piece.originalSize = 1;
    piece.data = {42};
    put("REPORT.000", test::FirstPieceBytes(piece));
    ASSERT_EQ(join(), 0);
    EXPECT_EQ(test::ReadBytes(dir.file("out/表.txt")), Bytes{42});

    test::WriteBytes(dir.file("out/表.txt"), {0});
    test::FakeJoinOperations asked;
    JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", asked, drives);
    EXPECT_EQ(asked.overwriteQuestions, std::vector<std::string>{"C:\\資料\\表.txt"});

    piece.name = "\\home\\u\\データ.bin";  // sets made here are UTF-8
    put("REPORT.000", test::FirstPieceBytes(piece));
    test::FakeJoinOperations utf8;
    ASSERT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", utf8, drives), 0);
    EXPECT_TRUE(fs::exists(dir.file("out/データ.bin")));
}

TEST_F(JoinRefusalTest, PieceNumbersMustMatchTheirNames) {
    FirstPiece first;
    first.originalSize = 30;
    first.data = Bytes(10, 1);
    put("REPORT.000", test::FirstPieceBytes(first));
    put("REPORT.001", test::LaterPieceBytes(2, Bytes(10, 3)));  // swapped with 002
    put("REPORT.002", test::LaterPieceBytes(1, Bytes(10, 2)));
    EXPECT_EQ(join(), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{"ファイルの拡張子が変更されています。\n結合を中止します。"});
    EXPECT_EQ(ops.messages[0].detail, dir.file("set/REPORT.001"));
    EXPECT_TRUE(outIsEmpty()) << "no partial output";

    test::FakeJoinOperations shortPiece;
    shortPiece.overwriteAnswers = {OverwriteAnswer::Overwrite};
    put("REPORT.001", {1, 0});
    EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", shortPiece, drives), -1);
    EXPECT_EQ(shortPiece.texts(), std::vector<std::string>{"ファイルの拡張子が変更されています。\n結合を中止します。"});

    first.number = 5;
    put("REPORT.000", test::FirstPieceBytes(first));
    test::FakeJoinOperations badFirst;
    badFirst.overwriteAnswers = {OverwriteAnswer::Overwrite};
    EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", badFirst, drives), -1);
    EXPECT_EQ(badFirst.texts(), std::vector<std::string>{"ファイルの拡張子が変更されています。\n結合を中止します。"});
}

TEST_F(JoinRefusalTest, DataBeyondTheRecordedSize) {
    // Reached inside a piece at a block end: the rest and further pieces are never read.
    FirstPiece first;
    first.originalSize = 30000;
    first.data = test::PatternBytes(45000);
    put("REPORT.000", test::FirstPieceBytes(first));
    put("REPORT.001", test::LaterPieceBytes(1, Bytes(10, 1)));
    ASSERT_EQ(join(), 0);
    EXPECT_EQ(ops.pieces.size(), 1u);
    EXPECT_EQ(test::ReadBytes(dir.file("out/REPORT.DOC")), Bytes(first.data.begin(), first.data.begin() + 30000));

    // Crossed inside a block: refused after that block, the partial output stays.
    first.originalSize = 20000;
    put("REPORT.000", test::FirstPieceBytes(first));
    test::FakeJoinOperations crossed;
    crossed.overwriteAnswers = {OverwriteAnswer::Overwrite};
    EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", crossed, drives), -1);
    EXPECT_EQ(crossed.texts(), std::vector<std::string>{
                                   "書き込みデータが元のファイルサイズより大きくなりました。\n結合を中止します。"});
    EXPECT_EQ(fs::file_size(dir.file("out/REPORT.DOC")), 30000u);
}

TEST_F(JoinRefusalTest, AnEmptyFileIsCompleteOnPiece000) {
    FirstPiece first;
    first.originalSize = 0;
    put("REPORT.000", test::FirstPieceBytes(first));
    ASSERT_EQ(join(), 0);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{kFinished});
    EXPECT_EQ(fs::file_size(dir.file("out/REPORT.DOC")), 0u);
}

TEST_F(JoinRefusalTest, NoPiece000WarnsAtOnce) {
    put("REPORT.001", test::LaterPieceBytes(1, {}));
    EXPECT_EQ(join("REPORT.001"), -1);
    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(ops.messages[0].caption, "警告");
    EXPECT_TRUE(outIsEmpty());
}

// Any piece name of the set in the pieces' own folder is refused, whether that piece is
// there yet or not: otherwise the output would become a piece still to be read.
TEST_F(JoinRefusalTest, TheOutputIsNeverAPieceOfItsOwnSet) {
    struct Case {
        const char* recorded;
        bool present;  // piece 001 is in the folder
        bool refused;
    };
    const std::vector<Case> cases = {
        {"C:\\OLD\\REPORT.001", true, true},   {"C:\\OLD\\REPORT.001", false, true},
        {"report.002", false, true},            {"REPORT.999", false, true},
        {"REPORT.01", false, false},            {"REPORT.0001", false, false},
        {"REPORTS.001", false, false},          {"REPORT.DOC", false, false},
    };
    for (const Case& one : cases) {
        test::TempDir set;
        FirstPiece first;
        first.name = one.recorded;
        first.originalSize = 20;
        first.data = Bytes(10, 1);
        const Bytes piece000 = test::FirstPieceBytes(first);
        const Bytes piece001 = test::LaterPieceBytes(1, Bytes(10, 2));
        test::WriteBytes(set.file("REPORT.000"), piece000);
        if (one.present) {
            test::WriteBytes(set.file("REPORT.001"), piece001);
        }
        test::FakeJoinOperations local;
        local.overwriteAnswers = {OverwriteAnswer::OverwriteAll};
        const int result = JoinFile(set.file("REPORT.000"), set.path().string() + "/", local, drives);
        if (one.refused) {
            EXPECT_EQ(result, -1) << one.recorded;
            EXPECT_EQ(local.texts(), std::vector<std::string>{
                                         "結合先のファイルが分割ファイルと同じになります。\n結合を中止します。"})
                << one.recorded;
            EXPECT_EQ(std::distance(fs::directory_iterator(set.path()), fs::directory_iterator()),
                      one.present ? 2 : 1)
                << one.recorded;
        } else {
            EXPECT_NE(local.texts().front(), "結合先のファイルが分割ファイルと同じになります。\n結合を中止します。")
                << one.recorded;
        }
        EXPECT_EQ(test::ReadBytes(set.file("REPORT.000")), piece000) << one.recorded;
    }
}

// The unpack command quotes the archive's name as it is: a quote inside it would make the
// command name some other file.
TEST_F(JoinRefusalTest, APackedSetWhoseNameHoldsAQuoteIsRefused) {
    FirstPiece first;
    first.name = "C:\\x\"y\"z";
    first.archiveFlag = 1;
    first.originalSize = 3;
    first.data = {1, 2, 3};
    put("REPORT.000", test::FirstPieceBytes(first));
    EXPECT_EQ(join(), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{"記録されていたファイル名が正しくありません。\n結合を中止します。"});
    EXPECT_TRUE(ops.commands.empty());
    EXPECT_TRUE(outIsEmpty());

    first.archiveFlag = 0;  // a plain file may carry the quote on this system
    put("REPORT.000", test::FirstPieceBytes(first));
    test::FakeJoinOperations plain;
    EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", plain, drives), 0);
    EXPECT_TRUE(fs::exists(dir.file("out/x\"y\"z")));
}

TEST_F(JoinRefusalTest, StopsAfterPiece999) {
    FirstPiece first;
    first.originalSize = 5000;
    first.data = {1};
    put("REPORT.000", test::FirstPieceBytes(first));
    for (int number = 1; number <= 999; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "REPORT.%03d", number);
        put(name, test::LaterPieceBytes(number, {2}));
    }
    put("REPORT.1000", test::LaterPieceBytes(1000, {3}));
    EXPECT_EQ(join(), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{
                               "999番の分割ファイルで元のサイズに達しませんでした。\n結合を中止します。"});
    EXPECT_EQ(ops.pieces.size(), 1000u);
    EXPECT_TRUE(outIsEmpty());
}

// Every refusal names what it is about, with the system's reason where there is one.
TEST_F(JoinRefusalTest, MessagesCarryTheFileAndTheReason) {
    EXPECT_EQ(join(), -1);
    EXPECT_EQ(ops.messages.at(0).detail, dir.file("set/REPORT.000") + ": No such file or directory");

    FirstPiece first;
    first.originalSize = 4;
    first.data = {1, 2};
    put("REPORT.000", test::FirstPieceBytes(first));
    put("REPORT.001", test::LaterPieceBytes(7, {3, 4}));
    test::FakeJoinOperations swapped;
    EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", swapped, drives), -1);
    EXPECT_EQ(swapped.messages.at(0).detail, dir.file("set/REPORT.001"));

    test::FakeJoinOperations noFolder;
    EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("absent") + "/", noFolder, drives), -1);
    EXPECT_EQ(noFolder.texts(), std::vector<std::string>{"結合先のファイルを作成できませんでした。\n結合を中止します。"});
    EXPECT_EQ(noFolder.messages.at(0).detail, dir.file("absent/REPORT.DOC") + ": No such file or directory");

    fs::create_directory(dir.file("out/REPORT.DOC"));
    test::FakeJoinOperations folderInTheWay;
    EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", folderInTheWay, drives), -1);
    EXPECT_EQ(folderInTheWay.messages.at(0).detail, dir.file("out/REPORT.DOC") + ": Is a directory");
    EXPECT_TRUE(fs::is_empty(dir.file("out/REPORT.DOC")));
    // 86 half-width katakana in code page 932 grow to 258 bytes: too long a name for the
    // file system, which is no file to ask about.
    first.name = std::string(86, '\xb1');
    put("REPORT.000", test::FirstPieceBytes(first));
    test::FakeJoinOperations tooLong;
    tooLong.overwriteAnswers = {OverwriteAnswer::Overwrite};
    EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("set") + "/", tooLong, drives), -1);
    EXPECT_TRUE(tooLong.overwriteQuestions.empty());
    EXPECT_EQ(tooLong.texts(), std::vector<std::string>{"結合先のファイルを作成できませんでした。\n結合を中止します。"});
    EXPECT_EQ(tooLong.pieces.size(), 1u) << "refused before any further piece";
    EXPECT_NE(tooLong.messages.at(0).detail.find("File name too long"), std::string::npos);
}

TEST_F(JoinRefusalTest, AttributesOfMinusOneAreSkipped) {
    FirstPiece first;
    first.attributes = -1;
    first.originalSize = 1;
    first.data = {9};
    put("REPORT.000", test::FirstPieceBytes(first));
    ASSERT_EQ(join(), 0);
    struct stat info {};
    stat(dir.file("out/REPORT.DOC").c_str(), &info);
    EXPECT_NE(info.st_mode & S_IWUSR, 0u);
}

// A disk that cannot be read is a read error with its reason, never a format fault: not
// "not a split file" for piece 000, not "the extension was changed" for a later one.
TEST_F(JoinRefusalTest, ReadErrorsAreReadErrors) {
    FirstPiece first;
    first.originalSize = 70000;
    first.data = test::PatternBytes(100);
    for (const std::string failing : {"REPORT.000", "REPORT.001"}) {
        fs::remove_all(dir.file("set"));
        fs::create_directory(dir.file("set"));
        put("REPORT.000", test::FirstPieceBytes(first));
        // The kernel refuses every read of this file with EIO, and needs no failing disk.
        fs::remove(dir.file("set/" + failing));
        fs::create_symlink("/proc/self/mem", dir.file("set/" + failing));
        test::FakeJoinOperations local;
        EXPECT_EQ(JoinFile(dir.file("set/REPORT.000"), dir.file("out") + "/", local, drives), -1);
        ASSERT_FALSE(local.messages.empty()) << failing;
        EXPECT_EQ(local.messages.back().text, "分割ファイルの読み込みに失敗しました。\n結合を中止します。")
            << failing;
        EXPECT_EQ(local.messages.back().detail, dir.file("set/" + failing) + ": Input/output error");
        EXPECT_TRUE(outIsEmpty());
    }
}

}  // namespace
}  // namespace zolvane
