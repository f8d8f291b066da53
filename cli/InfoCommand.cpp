// zolvane-cli info: what piece 000 records, and whether the set would join.
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "pieces/PieceSet.h"
#include "pieces/RecordedName.h"
#include "platform/FileAttributes.h"

namespace zolvane::cli {
namespace {

std::string DescribeTimestamp(const TimestampBytes& stamp) {
    const unsigned time = stamp[0] | (stamp[1] << 8);
    const unsigned date = stamp[2] | (stamp[3] << 8);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (date >> 9),
                  (date >> 5) & 0x0f, date & 0x1f, time >> 11, (time >> 5) & 0x3f,
                  (time & 0x1f) * 2);
    return text;
}

std::string DescribeAttributes(std::int32_t word) {
    if (word == -1) {
        return "不明 (-1)";
    }
    char text[48];
    std::snprintf(text, sizeof text, "0x%08X (%s%s%s)", static_cast<unsigned>(word),
                  word & platform::kAttributeReadOnly ? "R" : "-",
                  word & platform::kAttributeHidden ? "H" : "-",
                  word & platform::kAttributeArchive ? "A" : "-");
    return text;
}

// What the system said when a piece could not be read, in the words used for it here.
std::string DescribeReadError(int error) {
    return std::string("読み込めません: ") + std::strerror(error);
}

std::string DescribeHeaderProblem(const PieceSetSurvey& survey) {
    switch (survey.headerStatus) {
    case HeaderStatus::Ok:
        return "";
    case HeaderStatus::BadMagic:
        return "分割されたファイルではありません。";
    case HeaderStatus::NameTooLong:
        return "記録されていたファイル名が長すぎます。";
    case HeaderStatus::BadName:
        return "記録されていたファイル名が壊れています。";
    case HeaderStatus::Truncated:
        return "ヘッダーが途中で切れています。";
    case HeaderStatus::ReadFailed:
        return DescribeReadError(survey.pieces.front().readError);
    }
    return "";
}

std::string DescribeState(const PieceSetSurvey& survey, const PieceReport& piece) {
    switch (piece.state) {
    case PieceReport::State::Used:
        return piece.number == survey.probablyCutShort ? "途中で切れている可能性があります" : "OK";
    case PieceReport::State::Misnumbered:
        if (piece.numberRead) {
            return "番号が違います";
        }
        return piece.readError != 0 ? DescribeReadError(piece.readError) : "番号が読めません";
    case PieceReport::State::Overflows:
        return "元のサイズを超えるデータ";
    case PieceReport::State::Surplus:
        return "使われません";
    }
    return "";
}

void PrintPieces(const PieceSetSurvey& survey) {
    std::printf("分割ファイル:\n");
    for (const PieceReport& piece : survey.pieces) {
        std::printf("  %s  %lld バイト (データ %lld バイト)", Printable(piece.path).c_str(),
                    static_cast<long long>(piece.fileBytes),
                    static_cast<long long>(piece.dataBytes));
        if (piece.numberRead && piece.numberInside != piece.number) {
            std::printf("  中の番号 %d", piece.numberInside);
        }
        std::printf("  %s\n", DescribeState(survey, piece).c_str());
    }
    // The piece a join would ask for after a cut piece most likely never existed.
    if (survey.probablyCutShort >= 0) {
        return;
    }
    for (const std::int32_t number : survey.missing) {
        std::printf("  %03d がありません\n", number);
    }
}

}  // namespace

int RunInfo(const std::vector<std::string>& words) {
    const Arguments args = ParseArguments(words, {}, {});
    if (!args.error.empty()) {
        return UsageError(args.error);
    }
    if (args.positional.size() != 1) {
        return UsageError("分割ファイルを一つ指定してください");
    }
    const PieceSetSurvey survey = SurveyPieceSet(args.positional.front());
    if (!survey.firstPieceFound) {
        std::fprintf(stderr, "[エラー] %s が見つかりません。\n",
                     Printable(survey.firstPiecePath).c_str());
        return kExitFailed;
    }
    if (survey.headerStatus != HeaderStatus::Ok) {
        std::fprintf(stderr, "[エラー] %s: %s\n", Printable(survey.firstPiecePath).c_str(),
                     DescribeHeaderProblem(survey).c_str());
        return kExitFailed;
    }
    const PieceHeader& header = survey.header;
    std::printf("記録名:   %s\n", Printable(RecordedNameAsText(header.RecordedName)).c_str());
    const auto outputName = OutputNameOf(header.RecordedName);
    std::printf("結合名:   %s\n",
                outputName ? Printable(*outputName).c_str() : "(使えない名前です)");
    std::printf("サイズ:   %d バイト\n", header.OriginalSize);
    std::printf("日時:     %s\n", DescribeTimestamp(header.Timestamp).c_str());
    std::printf("属性:     %s\n", DescribeAttributes(header.Attributes).c_str());
    std::printf("LZH書庫:  %s\n", header.ArchiveFlag == 1 ? "はい (結合後に展開)" : "いいえ");
    PrintPieces(survey);
    const bool joinable = survey.complete && outputName.has_value();
    std::printf("%s\n", joinable ? "結合できます。" : "結合できません。");
    return joinable ? kExitDone : kExitFailed;
}

}  // namespace zolvane::cli
