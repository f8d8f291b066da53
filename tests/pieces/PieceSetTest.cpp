#include "pieces/PieceSet.h"

#include <gtest/gtest.h>

#include "tests/support/PieceBuilder.h"
#include "tests/support/TempDir.h"

namespace zolvane {
namespace {

using State = PieceReport::State;

class PieceSetTest : public ::testing::Test {
protected:
    void put(const std::string& name, const test::Bytes& bytes) { test::WriteBytes(dir.file(name), bytes); }

    // A set of 25 data bytes: 10 in piece 000, 10 in 001, 5 in 002.
    void putSet() {
        test::FirstPiece first;
        first.originalSize = 25;
        first.data = test::Bytes(10, 1);
        put("R.000", test::FirstPieceBytes(first));
        put("R.001", test::LaterPieceBytes(1, test::Bytes(10, 2)));
        put("R.002", test::LaterPieceBytes(2, test::Bytes(5, 3)));
    }

    std::vector<State> states(const PieceSetSurvey& survey) {
        std::vector<State> all;
        for (const auto& piece : survey.pieces) {
            all.push_back(piece.state);
        }
        return all;
    }

    test::TempDir dir;
};

TEST_F(PieceSetTest, ACompleteSetFromAnyMember) {
    putSet();
    const PieceSetSurvey survey = SurveyPieceSet(dir.file("R.002"));
    EXPECT_TRUE(survey.firstPieceFound);
    EXPECT_EQ(survey.headerStatus, HeaderStatus::Ok);
    EXPECT_TRUE(survey.complete);
    EXPECT_TRUE(survey.missing.empty());
    ASSERT_EQ(survey.pieces.size(), 3u);
    EXPECT_EQ(survey.pieces[1].dataBytes, 10);
    EXPECT_EQ(states(survey), (std::vector<State>{State::Used, State::Used, State::Used}));
}

TEST_F(PieceSetTest, GapsAndShortSetsNameTheMissingPiece) {
    putSet();
    std::remove(dir.file("R.001").c_str());
    PieceSetSurvey survey = SurveyPieceSet(dir.file("R.000"));
    EXPECT_FALSE(survey.complete);
    EXPECT_EQ(survey.missing, std::vector<std::int32_t>{1});
    EXPECT_EQ(states(survey), (std::vector<State>{State::Used, State::Surplus}));

    putSet();
    std::remove(dir.file("R.002").c_str());
    survey = SurveyPieceSet(dir.file("R.000"));
    EXPECT_FALSE(survey.complete);
    EXPECT_EQ(survey.missing, std::vector<std::int32_t>{2}) << "the total falls short";
}

TEST_F(PieceSetTest, MisnumberedAndSurplusPieces) {
    putSet();
    put("R.001", test::LaterPieceBytes(2, test::Bytes(10, 2)));
    PieceSetSurvey survey = SurveyPieceSet(dir.file("R.000"));
    EXPECT_FALSE(survey.complete);
    EXPECT_EQ(states(survey), (std::vector<State>{State::Used, State::Misnumbered, State::Surplus}));
    EXPECT_EQ(survey.pieces[1].numberInside, 2);

    putSet();
    put("R.003", test::LaterPieceBytes(3, test::Bytes(4, 4)));
    survey = SurveyPieceSet(dir.file("R.000"));
    EXPECT_TRUE(survey.complete) << "a join never opens a piece after the last";
    EXPECT_EQ(states(survey).back(), State::Surplus);
}

TEST_F(PieceSetTest, SurplusDataJoinsOnlyWhenTheSizeFallsOnABlockEnd) {
    test::FirstPiece first;
    first.originalSize = 30000;
    first.data = test::Bytes(30010, 1);
    put("R.000", test::FirstPieceBytes(first));
    EXPECT_TRUE(SurveyPieceSet(dir.file("R.000")).complete);

    first.originalSize = 20000;
    put("R.000", test::FirstPieceBytes(first));
    const PieceSetSurvey survey = SurveyPieceSet(dir.file("R.000"));
    EXPECT_FALSE(survey.complete);
    EXPECT_EQ(states(survey), std::vector<State>{State::Overflows});
}

TEST_F(PieceSetTest, APieceSmallerThanTheOthersWasProbablyCutShort) {
    // File sizes, headers included; the set records 10 bytes more than its pieces hold.
    const std::pair<std::vector<std::int64_t>, std::int32_t> cases[] = {
        {{100, 60, 100, 100, 50}, 1}, {{60, 100, 100, 50}, 0},
        {{100, 60, 50}, 1},           {{100, 60, 80, 50}, -1},  // two odd ones: no verdict
        {{100, 120, 100, 50}, -1},                              // a larger one: sizes vary
        {{100, 100, 100, 50}, -1},  // all full: the next piece is missing indeed
    };
    for (const auto& [fileBytes, cut] : cases) {
        test::FirstPiece first;
        const std::int64_t firstData = fileBytes[0] - kFirstHeaderFixedBytes - 1 -
                                       static_cast<std::int64_t>(first.name.size());
        first.data = test::Bytes(static_cast<std::size_t>(firstData), 1);
        std::int64_t total = firstData;
        for (std::int32_t number = 1; number < 5; ++number) {
            const std::string name = "R.00" + std::to_string(number);
            std::remove(dir.file(name).c_str());
            if (number < static_cast<std::int32_t>(fileBytes.size())) {
                const auto data = static_cast<std::size_t>(fileBytes[number] - kLaterHeaderBytes);
                put(name, test::LaterPieceBytes(number, test::Bytes(data, 2)));
                total += static_cast<std::int64_t>(data);
            }
        }
        first.originalSize = static_cast<std::int32_t>(total + 10);
        put("R.000", test::FirstPieceBytes(first));
        EXPECT_EQ(SurveyPieceSet(dir.file("R.000")).probablyCutShort, cut) << fileBytes.size();
    }
}

TEST_F(PieceSetTest, PiecesAfterTheLastWritten) {
    putSet();
    put("R.004", test::LaterPieceBytes(4, {}));
    EXPECT_EQ(CountPiecesAfter(dir.file("R.000"), 0), 2) << "001 and 002, not 004 after the gap";
    EXPECT_EQ(CountPiecesAfter(dir.file("R.001"), 3), 1);
}

TEST_F(PieceSetTest, AnEmptyFileNeedsOnlyPiece000) {
    put("R.000", test::FirstPieceBytes(test::FirstPiece{}));
    EXPECT_TRUE(SurveyPieceSet(dir.file("R.000")).complete);
}

TEST_F(PieceSetTest, NoFirstPiece) {
    put("R.001", test::LaterPieceBytes(1, {}));
    EXPECT_FALSE(SurveyPieceSet(dir.file("R.001")).firstPieceFound);
}

}  // namespace
}  // namespace zolvane
