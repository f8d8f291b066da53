#include "pieces/PieceSet.h"

#include <cerrno>
#include <filesystem>

#include "pieces/PathRoutines.h"

namespace zolvane {
namespace {

// Reads what a join reads of a piece: the header of 000, the number of a later one.
void ReadPiece(PieceSetSurvey& survey, PieceReport& piece) {
    std::FILE* file = std::fopen(piece.path.c_str(), "rb");
    if (file == nullptr) {
        piece.readError = errno;
        if (piece.number == 0) {
            survey.headerStatus = HeaderStatus::ReadFailed;
        }
        return;
    }
    std::int64_t headerBytes = kLaterHeaderBytes;
    if (piece.number == 0) {
        survey.headerStatus = ReadFirstHeader(file, survey.header);
        if (survey.headerStatus == HeaderStatus::ReadFailed) {
            piece.readError = errno;
        }
        piece.numberRead = survey.headerStatus == HeaderStatus::Ok;
        piece.numberInside = survey.header.PieceNumber;
        headerBytes = survey.header.firstHeaderBytes();
    } else {
        const NumberRead read = ReadPieceNumber(file, piece.numberInside);
        piece.numberRead = static_cast<bool>(read);
        piece.readError = read.error;
    }
    std::fclose(file);
    piece.dataBytes = piece.fileBytes > headerBytes ? piece.fileBytes - headerBytes : 0;
}

// Follows the join: pieces in order until the recorded size is reached. Surplus data in the
// piece that reaches the size is accepted only when the size falls on a block end.
void FollowJoin(PieceSetSurvey& survey) {
    const std::int64_t recorded = survey.header.OriginalSize;
    std::int64_t total = 0;
    bool ended = false;
    std::int32_t expected = 0;
    for (PieceReport& piece : survey.pieces) {
        if (ended) {
            piece.state = PieceReport::State::Surplus;
            continue;
        }
        if (piece.number != expected) {
            survey.missing.push_back(expected);
            ended = true;
            piece.state = PieceReport::State::Surplus;
            continue;
        }
        ++expected;
        if (!piece.numberRead || piece.numberInside != piece.number) {
            piece.state = PieceReport::State::Misnumbered;
            ended = true;
            continue;
        }
        if (recorded < 0) {
            piece.state = PieceReport::State::Overflows;
            ended = true;
            continue;
        }
        const std::int64_t needed = recorded - total;
        if (needed > 0 && piece.dataBytes < needed) {
            total += piece.dataBytes;
            continue;
        }
        ended = true;
        if (needed == 0 || piece.dataBytes == needed || needed % BlockSize == 0) {
            survey.complete = true;
        } else {
            piece.state = PieceReport::State::Overflows;
        }
    }
    if (!ended && expected <= kLastPieceNumber) {
        survey.missing.push_back(expected);
    }
}

// A split fills every piece but the last to the same size, so one smaller piece among
// them points at a copy that was cut short. Sizes that vary (pieces sized by the free
// space of each disk) give no verdict.
std::int32_t FindPieceCutShort(const std::vector<PieceReport>& pieces) {
    if (pieces.size() < 3) {
        return -1;  // no piece but the candidate and the last to compare with
    }
    const auto bytes = [&](std::size_t i) { return pieces[i].fileBytes; };
    const std::size_t full = pieces.size() - 1;  // the pieces a split filled
    if (full == 2) {
        if (bytes(0) == bytes(1)) {
            return -1;
        }
        return bytes(0) < bytes(1) ? pieces[0].number : pieces[1].number;
    }
    // Of three or more, at least two share the full size when only one is odd.
    const std::int64_t common = bytes(0) == bytes(1) || bytes(0) == bytes(2) ? bytes(0) : bytes(1);
    std::int32_t smaller = -1;
    for (std::size_t i = 0; i < full; ++i) {
        if (bytes(i) == common) {
            continue;
        }
        if (bytes(i) > common || smaller >= 0) {
            return -1;
        }
        smaller = pieces[i].number;
    }
    return smaller;
}

}  // namespace

PieceSetSurvey SurveyPieceSet(const std::string& selectedPath) {
    PieceSetSurvey survey;
    survey.firstPiecePath = PiecePathOf(selectedPath, 0);
    for (std::int32_t number = 0; number <= kLastPieceNumber; ++number) {
        PieceReport piece;
        piece.number = number;
        piece.path = PiecePathOf(selectedPath, number);
        std::error_code error;
        if (!std::filesystem::is_regular_file(piece.path, error)) {
            continue;
        }
        piece.fileBytes = static_cast<std::int64_t>(std::filesystem::file_size(piece.path, error));
        ReadPiece(survey, piece);
        survey.pieces.push_back(piece);
    }
    survey.firstPieceFound = !survey.pieces.empty() && survey.pieces.front().number == 0;
    if (survey.firstPieceFound && survey.headerStatus == HeaderStatus::Ok) {
        FollowJoin(survey);
        // Every piece read and used, and still short of the recorded size.
        const bool ranShort = !survey.complete && survey.missing.size() == 1 &&
                              survey.missing.front() == survey.pieces.back().number + 1;
        if (ranShort) {
            survey.probablyCutShort = FindPieceCutShort(survey.pieces);
        }
    }
    return survey;
}

std::int32_t CountPiecesAfter(const std::string& memberPath, std::int32_t lastNumber) {
    std::int32_t count = 0;
    for (std::int32_t number = lastNumber + 1; number <= kLastPieceNumber; ++number) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(PiecePathOf(memberPath, number), error)) {
            break;
        }
        ++count;
    }
    return count;
}

}  // namespace zolvane
