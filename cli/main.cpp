// zolvane-cli: split and join from a terminal, with the same engines as the window program.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"

namespace zolvane::cli {
namespace {

constexpr const char* kUsage =
    "使い方:\n"
    "  zolvane-cli split FILE [--size 1.44MB|1.25MB|720KB|640KB|auto|BYTES] [--dest DIR]\n"
    "                         [--overwrite]\n"
    "      FILE を分割ファイル (NAME.000, NAME.001, ...) に分割します。\n"
    "      --size auto は DIR のドライブの空き容量ごとに分割し、満杯になると次のディスクを求めます。\n"
    "  zolvane-cli split --pack ARCHIVE.lzh [--recursive] [split options] NAME_OR_MASK...\n"
    "      ファイルを LZH 書庫に圧縮してから分割し、書庫を削除します。\n"
    "  zolvane-cli join PIECE [--dest DIR] [--overwrite]\n"
    "      PIECE の属する分割ファイルを結合します (既定の結合先は PIECE のフォルダ)。\n"
    "      LZH 書庫として分割されていれば、結合先に展開します。\n"
    "  zolvane-cli pack ARCHIVE.lzh [--recursive] NAME_OR_MASK...\n"
    "      ファイル (またはマスク *.*, *.txt;*.doc など) を LZH 書庫に圧縮します。\n"
    "  zolvane-cli info PIECE\n"
    "      PIECE の属する分割ファイルの記録内容と、すべて揃っているかを表示します。\n"
    "\n"
    "終了コード: 0 完了, 1 失敗・中止, 2 使い方の誤り\n";

}  // namespace

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "zolvane-cli: %s\n\n%s", problem.c_str(), kUsage);
    return kExitUsage;
}

}  // namespace zolvane::cli

int main(int argc, char** argv) {
    using namespace zolvane::cli;
    const std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        return UsageError("コマンドを指定してください");
    }
    const std::string& command = words.front();
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitDone;
    }
    if (command == "split") {
        return RunSplit(rest);
    }
    if (command == "join") {
        return RunJoin(rest);
    }
    if (command == "pack") {
        return RunPack(rest);
    }
    if (command == "info") {
        return RunInfo(rest);
    }
    return UsageError("不明なコマンドです: " + command);
}
