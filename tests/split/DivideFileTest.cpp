#include "split/DivideFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "pieces/PieceHeader.h"
#include "tests/support/FakeSplitOperations.h"
#include "tests/support/FakeDrives.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::FakeDrives;
using test::FakeSplitOperations;

constexpr const char* kFinished = "分割が終了しました。";
constexpr const char* kCancelled = "分割が中止されました。";

std::string PieceName(const std::string& stem, int number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%03d", number);
    return stem + digits;
}

// Reads a set back the way the format defines it: header of 000, numbers of the others,
// data to the end of each file.
struct ReadBack {
    PieceHeader header;
    Bytes data;
    std::vector<std::int64_t> pieceSizes;
};

ReadBack ReadSet(const test::TempDir& dir, const std::string& stem) {
    ReadBack set;
    for (int number = 0; number <= 999; ++number) {
        const std::string path = dir.file(PieceName(stem, number));
        if (!fs::exists(path)) {
            break;
        }
        const Bytes bytes = test::ReadBytes(path);
        set.pieceSizes.push_back(static_cast<std::int64_t>(bytes.size()));
        std::size_t headerBytes = 4;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (number == 0) {
            EXPECT_EQ(ReadFirstHeader(file, set.header), HeaderStatus::Ok);
            EXPECT_EQ(set.header.PieceNumber, 0);
            headerBytes = static_cast<std::size_t>(set.header.firstHeaderBytes());
        } else {
            std::int32_t inside = -1;
            EXPECT_TRUE(ReadPieceNumber(file, inside));
            EXPECT_EQ(inside, number);
        }
        std::fclose(file);
        set.data.insert(set.data.end(), bytes.begin() + static_cast<long>(headerBytes), bytes.end());
    }
    return set;
}

class DivideFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
    }

    // A source file REPORT.DOC of `size` pattern bytes in its own folder.
    std::string makeSource(std::size_t size, const std::string& name = "REPORT.DOC") {
        const std::string path = sourceDir.file(name);
        source = test::PatternBytes(size);
        test::WriteBytes(path, source);
        return path;
    }

    int split(const std::string& sourcePath) {
        return DivideFile(sourcePath, out.file(fs::path(sourcePath).filename().string()), ops, drives);
    }

    std::int32_t firstHeaderBytes(const std::string& sourcePath) const {
        return kFirstHeaderFixedBytes + static_cast<std::int32_t>(sourcePath.size()) + 1;
    }

    test::TempDir sourceDir;
    test::TempDir out;
    Bytes source;
    FakeSplitOperations ops;
    FakeDrives drives;
};

TEST_F(DivideFileTest, EmptySourceGivesOneHeaderOnlyPiece) {
    const std::string path = makeSource(0);
    EXPECT_EQ(split(path), 0);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{kFinished});
    const ReadBack set = ReadSet(out, "REPORT");
    ASSERT_EQ(set.pieceSizes.size(), 1u);
    EXPECT_EQ(set.pieceSizes[0], firstHeaderBytes(path));
    EXPECT_EQ(set.header.OriginalSize, 0);
    EXPECT_EQ(ops.progress.back(), 100);
    EXPECT_EQ(ops.releases, 1);
}

TEST_F(DivideFileTest, FloppySplitGivesFullPiecesAndAShortLast) {
    const std::string path = makeSource(2 * 1457664 + 5000);
    chmod(path.c_str(), 0444);
    ops.mark = 1;
    ASSERT_EQ(split(path), 0);

    const ReadBack set = ReadSet(out, "REPORT");
    const std::int64_t lastData = static_cast<std::int64_t>(source.size()) -
                                  (1457664 - firstHeaderBytes(path)) - (1457664 - 4);
    EXPECT_EQ(set.pieceSizes, (std::vector<std::int64_t>{1457664, 1457664, lastData + 4}));
    EXPECT_EQ(set.data, source);

    std::string recorded = path;
    std::replace(recorded.begin(), recorded.end(), '/', '\\');
    EXPECT_EQ(set.header.RecordedName, recorded);
    EXPECT_EQ(set.header.OriginalSize, static_cast<std::int32_t>(source.size()));
    EXPECT_EQ(set.header.Attributes, 0x21) << "read-only and archive";
    EXPECT_EQ(set.header.ArchiveFlag, 1);
    EXPECT_EQ(ops.sources, std::vector<std::string>{path});
    EXPECT_EQ(ops.pieces, (std::vector<std::string>{out.file("REPORT.000"), out.file("REPORT.001"),
                                                    out.file("REPORT.002")}));
    EXPECT_EQ(ops.texts(), std::vector<std::string>{kFinished});
}

TEST_F(DivideFileTest, EachFloppyChoiceHasItsSize) {
    const std::pair<SizeChoice, std::int64_t> choices[] = {
        {SizeChoice::Floppy1440K, 1457664},
        {SizeChoice::Floppy720K, 730112},
        {SizeChoice::Floppy1250K, 1250304},
        {SizeChoice::Floppy640K, 649216},
    };
    const std::string path = makeSource(1500000);
    for (const auto& [choice, size] : choices) {
        test::TempDir dir;
        FakeSplitOperations local;
        local.choice = choice;
        ASSERT_EQ(DivideFile(path, dir.file("REPORT.DOC"), local, drives), 0);
        EXPECT_EQ(ReadSet(dir, "REPORT").pieceSizes.front(), size);
        EXPECT_EQ(ReadSet(dir, "REPORT").data, source);
    }
}

TEST_F(DivideFileTest, DataEndingAtAPieceEndAddsANumberOnlyPiece) {
    const std::string path = makeSource(0);
    const std::int32_t pieceSize = 1000;
    source = test::PatternBytes(static_cast<std::size_t>((pieceSize - firstHeaderBytes(path)) +
                                                         (pieceSize - 4)));
    test::WriteBytes(path, source);
    ops.choice = SizeChoice::Free;
    ops.freeSize = pieceSize;
    ASSERT_EQ(split(path), 0);
    const ReadBack set = ReadSet(out, "REPORT");
    EXPECT_EQ(set.pieceSizes, (std::vector<std::int64_t>{1000, 1000, 4}));
    EXPECT_EQ(set.data, source);
}

TEST_F(DivideFileTest, FreeSizesAcrossBlockAndPieceBoundaries) {
    for (const std::int32_t pieceSize : {1000, 29999, 30000, 30004, 65536, 100003}) {
        for (const std::size_t size : {1u, 29999u, 30000u, 30001u, 250000u}) {
            test::TempDir dir;
            FakeSplitOperations local;
            local.choice = SizeChoice::Free;
            local.freeSize = pieceSize;
            const std::string path = makeSource(size);
            ASSERT_EQ(DivideFile(path, dir.file("REPORT.DOC"), local, drives), 0);
            const ReadBack set = ReadSet(dir, "REPORT");
            EXPECT_EQ(set.data, source) << pieceSize << " " << size;
            for (std::size_t i = 0; i + 1 < set.pieceSizes.size(); ++i) {
                EXPECT_EQ(set.pieceSizes[i], pieceSize) << pieceSize << " " << size;
            }
        }
    }
}

TEST_F(DivideFileTest, ProgressMovesAfterFullBlocksAndReaches100OnlyAtTheEnd) {
    const std::string path = makeSource(1000000);
    ops.choice = SizeChoice::Free;
    ops.freeSize = 2000000;
    ASSERT_EQ(split(path), 0);
    ASSERT_FALSE(ops.progress.empty());
    EXPECT_EQ(ops.progress.front(), 3);
    EXPECT_EQ(ops.progress.back(), 100);
    EXPECT_EQ(std::count(ops.progress.begin(), ops.progress.end(), 100), 1);
    EXPECT_EQ(ops.progress.size(), 1000000u / 30000u + 1u);
}

TEST_F(DivideFileTest, OverwriteQuestion) {
    const std::string path = makeSource(3000);
    ops.choice = SizeChoice::Free;
    ops.freeSize = 1000;
    ASSERT_EQ(split(path), 0);
    ASSERT_TRUE(ops.overwriteQuestions.empty());

    // Overwrite all: asked once, then never again in this split.
    FakeSplitOperations again;
    again.choice = SizeChoice::Free;
    again.freeSize = 1000;
    again.overwriteAnswers = {OverwriteAnswer::OverwriteAll};
    ASSERT_EQ(DivideFile(path, out.file("REPORT.DOC"), again, drives), 0);
    EXPECT_EQ(again.overwriteQuestions, std::vector<std::string>{out.file("REPORT.000")});

    // Overwrite: asked for every piece; the next split asks again.
    FakeSplitOperations each;
    each.choice = SizeChoice::Free;
    each.freeSize = 1000;
    each.overwriteAnswers = {OverwriteAnswer::Overwrite, OverwriteAnswer::Overwrite,
                             OverwriteAnswer::Overwrite, OverwriteAnswer::Overwrite};
    ASSERT_EQ(DivideFile(path, out.file("REPORT.DOC"), each, drives), 0);
    EXPECT_EQ(each.overwriteQuestions.size(), 4u);
}

TEST_F(DivideFileTest, CancelAtTheOverwriteQuestionLeavesEverythingAsItWas) {
    const std::string path = makeSource(3000);
    test::WriteBytes(out.file("REPORT.000"), {'o', 'l', 'd'});
    ops.overwriteAnswers = {OverwriteAnswer::Cancel};
    EXPECT_EQ(split(path), -1);
    EXPECT_TRUE(ops.messages.empty()) << "no message after Cancel";
    EXPECT_EQ(test::ReadBytes(out.file("REPORT.000")), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(ops.releases, 1);
}

TEST_F(DivideFileTest, CancelStopsAfterTheBlockInProgress) {
    const std::string path = makeSource(100000);
    ops.cancelAtRound = 1;
    EXPECT_EQ(split(path), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{kCancelled});
    EXPECT_EQ(ops.messages[0].caption, "メッセージ");
    EXPECT_EQ(ops.messages[0].icon, MessageIcon::Information);
    const Bytes piece = test::ReadBytes(out.file("REPORT.000"));
    EXPECT_EQ(piece.size(), static_cast<std::size_t>(firstHeaderBytes(path) + 30000));
    EXPECT_EQ(test::ReadBytes(path), source) << "the source is untouched";
}

TEST_F(DivideFileTest, CancelDuringTheLastShortBlockComesTooLate) {
    const std::string path = makeSource(30010);
    ops.cancelAtRound = 2;  // the round after the short block
    EXPECT_EQ(split(path), 0);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{kFinished});
}

TEST_F(DivideFileTest, FixedSizeFailuresToCreateAPiece) {
    const std::string path = makeSource(10);
    const std::string missingFolder = out.file("not-yet");
    ops.replies = {MessageReply::Retry, MessageReply::Cancel};
    EXPECT_EQ(DivideFile(path, missingFolder + "/REPORT.DOC", ops, drives), -1);
    ASSERT_EQ(ops.messages.size(), 2u);
    EXPECT_EQ(ops.messages[0].text, "分割ファイルを作成できません。");
    EXPECT_EQ(ops.messages[0].caption, "エラー");
    EXPECT_EQ(ops.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(ops.messages[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(drives.freeQueries, 0) << "fixed sizes never measure a disk";
}

TEST_F(DivideFileTest, UnreadableSourceIsRefused) {
    EXPECT_EQ(split(sourceDir.file("absent.doc")), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{"ファイルが開けません。\n分割を中止します。"});
    EXPECT_EQ(ops.messages[0].icon, MessageIcon::Error);

    FakeSplitOperations folder;
    EXPECT_EQ(DivideFile(sourceDir.path().string(), out.file("x"), folder, drives), -1);
    EXPECT_EQ(folder.texts(), std::vector<std::string>{"ファイルが開けません。\n分割を中止します。"});
    EXPECT_TRUE(fs::is_empty(out.path()));
}

// --- Automatic sizing, through a fake drive ---

class AutomaticSplitTest : public DivideFileTest {
protected:
    void SetUp() override {
        DivideFileTest::SetUp();
        ops.choice = SizeChoice::Automatic;
    }
};

TEST_F(AutomaticSplitTest, EachPieceTakesTheFreeSpaceMeasuredBeforeIt) {
    const std::string path = makeSource(2000);
    const std::int32_t first = firstHeaderBytes(path) + 100;
    drives.script = {first, 500, 300, 5000};
    ASSERT_EQ(split(path), 0);
    const ReadBack set = ReadSet(out, "REPORT");
    EXPECT_EQ(set.pieceSizes, (std::vector<std::int64_t>{first, 500, 300, 2000 - 100 - 496 - 296 + 4}));
    EXPECT_EQ(set.data, source);
    EXPECT_EQ(drives.freeQueries, 4);
}

TEST_F(AutomaticSplitTest, NoDiskAsksToInsertOne) {
    const std::string path = makeSource(100);
    drives.script = {std::nullopt, std::nullopt};
    ops.replies = {MessageReply::Retry, MessageReply::Retry};
    ASSERT_EQ(split(path), 0);
    ASSERT_EQ(ops.messages.size(), 3u);
    EXPECT_EQ(ops.messages[0].text, "フロッピーディスクを入れてください。");
    EXPECT_EQ(ops.messages[0].caption, "エラー");
    EXPECT_EQ(ops.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(ops.messages[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(ops.messages[2].text, kFinished);

    FakeSplitOperations cancelling;
    cancelling.choice = SizeChoice::Automatic;
    drives.script = {std::nullopt};
    EXPECT_EQ(DivideFile(path, out.file("OTHER.DOC"), cancelling, drives), -1);
    EXPECT_EQ(cancelling.messages.size(), 1u) << "Cancel ends without a further message";
    EXPECT_FALSE(fs::exists(out.file("OTHER.000")));
}

TEST_F(AutomaticSplitTest, AFullDiskAsksForTheNextOne) {
    const std::string path = makeSource(100);
    // Zero bytes, and room for the header alone, both count as full.
    drives.script = {0, firstHeaderBytes(path), firstHeaderBytes(path) + 1, 0, 200};
    ops.replies = {MessageReply::Ok, MessageReply::Ok, MessageReply::Ok};
    ASSERT_EQ(split(path), 0);
    const std::vector<std::string> expected = {
        "次のフロッピーディスクを入れてください。", "次のフロッピーディスクを入れてください。",
        "次のフロッピーディスクを入れてください。", kFinished};
    EXPECT_EQ(ops.texts(), expected);
    EXPECT_EQ(ops.messages[0].caption, "メッセージ");
    EXPECT_EQ(ops.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(ops.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(ReadSet(out, "REPORT").pieceSizes,
              (std::vector<std::int64_t>{firstHeaderBytes(path) + 1, 103}));
}

TEST_F(AutomaticSplitTest, RetryAfterAFailedCreateKeepsTheMeasuredSize) {
    const std::string path = makeSource(50);
    const std::string folder = out.file("disk");
    drives.script = {firstHeaderBytes(path) + 10, 1000};
    ops.replies = {MessageReply::Retry};
    ops.onMessage = [&](const test::ShownMessage&) { fs::create_directory(folder); };
    ASSERT_EQ(DivideFile(path, folder + "/REPORT.DOC", ops, drives), 0);
    EXPECT_EQ(ops.messages[0].text, "フロッピーディスクを入れてください。");
    EXPECT_EQ(ops.messages[0].buttons, MessageButtons::RetryCancel);
    EXPECT_EQ(drives.freeQueries, 2) << "one measurement per piece, none for the retry";
}

TEST_F(AutomaticSplitTest, StopsBeforePiece1000) {
    const std::string path = makeSource(0);
    const std::int32_t firstData = 10;
    source = test::PatternBytes(static_cast<std::size_t>(firstData + 999 * 6));
    test::WriteBytes(path, source);
    drives.script = {firstHeaderBytes(path) + firstData};
    drives.otherwise = 10;  // six data bytes per later piece
    EXPECT_EQ(split(path), -1);
    EXPECT_EQ(ops.texts().back(),
              "分割ファイルが1000個を超えます。\n分割サイズを大きくしてください。\n分割を中止します。");
    EXPECT_TRUE(fs::exists(out.file("REPORT.999")));
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1000);
}

// --- Refusals that protect the source and keep sets joinable ---

TEST_F(DivideFileTest, NeverWritesAPieceOverTheSource) {
    // REPORT.000 split into its own folder would be its own first piece.
    const std::string path = makeSource(5000, "REPORT.000");
    EXPECT_EQ(DivideFile(path, sourceDir.file("REPORT.000"), ops, drives), -1);
    EXPECT_EQ(ops.texts(),
              std::vector<std::string>{"分割ファイルが元のファイルと同じになります。\n分割を中止します。"});
    EXPECT_EQ(test::ReadBytes(path), source);

    // Identity, not names: a link to the source under a piece's name.
    const std::string other = makeSource(5000, "DATA.BIN");
    ASSERT_EQ(link(other.c_str(), out.file("DATA.000").c_str()), 0);
    FakeSplitOperations linked;
    linked.overwriteAnswers = {OverwriteAnswer::OverwriteAll};
    EXPECT_EQ(DivideFile(other, out.file("DATA.BIN"), linked, drives), -1);
    EXPECT_EQ(test::ReadBytes(other), source);
}

// With a fixed size every piece name is known at the start: a source that is a later piece
// of its own set is refused before piece 000 is written.
TEST_F(DivideFileTest, ASourceThatIsALaterPieceIsRefusedBeforeAnythingIsWritten) {
    const std::string path = makeSource(5000, "SET.001");
    ops.choice = SizeChoice::Free;
    ops.freeSize = 3000;
    EXPECT_EQ(DivideFile(path, sourceDir.file("SET.001"), ops, drives), -1);
    EXPECT_EQ(ops.texts(),
              std::vector<std::string>{"分割ファイルが元のファイルと同じになります。\n分割を中止します。"});
    EXPECT_EQ(ops.messages[0].detail, sourceDir.file("SET.001"));
    EXPECT_FALSE(fs::exists(sourceDir.file("SET.000")));
    EXPECT_TRUE(ops.pieces.empty());

    // Two pieces, 000 and 001: SET.002 is no piece of this split.
    const std::string later = makeSource(5000, "SET.002");
    FakeSplitOperations fits;
    fits.overwriteAnswers = {OverwriteAnswer::OverwriteAll};  // SET.001 from above
    fits.choice = SizeChoice::Free;
    fits.freeSize = 4000;
    EXPECT_EQ(DivideFile(later, sourceDir.file("SET.002"), fits, drives), 0);
    EXPECT_EQ(fits.pieces.size(), 2u);
}

// Every refusal names what it is about, with the system's reason where there is one.
TEST_F(DivideFileTest, MessagesCarryTheFileAndTheReason) {
    EXPECT_EQ(split(sourceDir.file("absent.doc")), -1);
    EXPECT_EQ(ops.messages.at(0).detail, sourceDir.file("absent.doc") + ": No such file or directory");

    const std::string path = makeSource(10);
    FakeSplitOperations missingFolder;
    missingFolder.choice = SizeChoice::Free;
    missingFolder.freeSize = 1000;
    EXPECT_EQ(DivideFile(path, out.file("nowhere/REPORT.DOC"), missingFolder, drives), -1);
    EXPECT_EQ(missingFolder.messages.at(0).detail,
              out.file("nowhere/REPORT.000") + ": No such file or directory");
}

TEST_F(DivideFileTest, NameWithoutStemIsRefused) {
    const std::string path = makeSource(10, ".profile");
    EXPECT_EQ(split(path), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{
                               "分割ファイルの名前を作れません。\nファイル名を確認してください。\n"
                               "分割を中止します。"});
    EXPECT_TRUE(fs::is_empty(out.path()));
    EXPECT_EQ(test::ReadBytes(path), source);
}

TEST_F(DivideFileTest, SourcesOf2GiBAreRefusedBeforeAnyPiece) {
    const std::string path = sourceDir.file("HUGE.BIN");
    test::WriteBytes(path, {});
    ASSERT_EQ(truncate(path.c_str(), 2147483648LL), 0);  // sparse
    EXPECT_EQ(split(path), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{
                               "ファイルが大きすぎます。\n2GB以上のファイルは分割できません。\n"
                               "分割を中止します。"});
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST_F(DivideFileTest, PieceSizeMustExceedTheFirstHeader) {
    const std::string path = makeSource(100);
    ops.choice = SizeChoice::Free;
    ops.freeSize = firstHeaderBytes(path);
    EXPECT_EQ(split(path), -1);
    EXPECT_EQ(ops.texts(), std::vector<std::string>{"分割サイズが小さすぎます。\n分割を中止します。"});
    EXPECT_TRUE(fs::is_empty(out.path()));

    FakeSplitOperations smallest;
    smallest.choice = SizeChoice::Free;
    smallest.freeSize = firstHeaderBytes(path) + 1;
    ASSERT_EQ(DivideFile(path, out.file("REPORT.DOC"), smallest, drives), 0);
    EXPECT_EQ(ReadSet(out, "REPORT").data, source);
}

TEST_F(DivideFileTest, FixedSplitsNeedingMoreThan1000PiecesAreRefused) {
    const std::string path = makeSource(0);
    const std::int32_t pieceSize = 100;
    const std::size_t firstData = static_cast<std::size_t>(pieceSize - firstHeaderBytes(path));
    const std::size_t mostFor1000 = firstData + 999 * (pieceSize - 4) - 1;
    ops.choice = SizeChoice::Free;
    ops.freeSize = pieceSize;

    source = test::PatternBytes(mostFor1000 + 1);
    test::WriteBytes(path, source);
    EXPECT_EQ(split(path), -1);
    EXPECT_EQ(ops.texts().size(), 1u);
    EXPECT_TRUE(fs::is_empty(out.path()));

    source = test::PatternBytes(mostFor1000);
    test::WriteBytes(path, source);
    FakeSplitOperations fits;
    fits.choice = SizeChoice::Free;
    fits.freeSize = pieceSize;
    ASSERT_EQ(DivideFile(path, out.file("REPORT.DOC"), fits, drives), 0);
    EXPECT_EQ(ReadSet(out, "REPORT").pieceSizes.size(), 1000u);
    EXPECT_EQ(ReadSet(out, "REPORT").data, source);
}

TEST_F(DivideFileTest, LongPathsRecordTheNameAlone) {
    std::string folder = sourceDir.path().string();
    while (folder.size() < 300) {
        folder += "/" + std::string(60, 'd');
    }
    fs::create_directories(folder);
    const std::string name = std::string(250, 'n') + ".txt";  // 254 bytes: NameLength 255
    const std::string path = folder + "/" + name;
    source = test::PatternBytes(777);
    test::WriteBytes(path, source);
    ASSERT_EQ(DivideFile(path, out.file(name), ops, drives), 0);
    const ReadBack set = ReadSet(out, std::string(250, 'n'));
    EXPECT_EQ(set.header.RecordedName, name);
    EXPECT_EQ(set.header.NameLength, 255);
    EXPECT_EQ(set.data, source);

    const std::string tooLong = folder + "/" + std::string(251, 'n') + ".txt";
    test::WriteBytes(tooLong, source);
    FakeSplitOperations refused;
    EXPECT_EQ(DivideFile(tooLong, out.file("x.txt"), refused, drives), -1);
    EXPECT_EQ(refused.texts(), std::vector<std::string>{"ファイル名が長すぎます。\n分割を中止します。"});
}

TEST_F(DivideFileTest, ASourceThatShrinksIsAReadError) {
    const std::string path = makeSource(3000000);  // the second piece is read after the cut
    ops.onEvents = [&](int round) {
        if (round == 1) {
            truncate(path.c_str(), 40000);
        }
    };
    EXPECT_EQ(split(path), -1);
    EXPECT_EQ(ops.texts(),
              std::vector<std::string>{"ファイルの読み込みに失敗しました。\n分割を中止します。"});
}

TEST_F(DivideFileTest, ASourceThatGrowsStillGivesAJoinableSet) {
    const std::string path = makeSource(45000);
    const Bytes measured = source;
    ops.onEvents = [&](int round) {
        if (round == 1) {
            std::FILE* file = std::fopen(path.c_str(), "ab");
            std::fputs("appended while splitting", file);
            std::fclose(file);
        }
    };
    ASSERT_EQ(split(path), 0);
    const ReadBack set = ReadSet(out, "REPORT");
    EXPECT_EQ(set.data, measured);
    EXPECT_EQ(set.header.OriginalSize, 45000);
}

TEST_F(DivideFileTest, APieceNameThatIsALinkIsReplacedNotWrittenThrough) {
    const std::string path = makeSource(100);
    const std::string unrelated = sourceDir.file("letter.txt");
    test::WriteBytes(unrelated, test::PatternBytes(10, 3));
    fs::create_symlink(unrelated, out.file("REPORT.000"));
    ops.overwriteAnswers = {OverwriteAnswer::Overwrite};
    ASSERT_EQ(split(path), 0);
    EXPECT_EQ(test::ReadBytes(unrelated), test::PatternBytes(10, 3));
    EXPECT_FALSE(fs::is_symlink(out.file("REPORT.000")));
    EXPECT_EQ(ReadSet(out, "REPORT").data, source);
}

}  // namespace
}  // namespace zolvane
