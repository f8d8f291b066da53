// zolvane-cli: split and join from a terminal, with the same engines as the window program.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Terminal.h"

namespace zolvane::cli {
namespace {

struct CommandEntry {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* usage;
};

constexpr CommandEntry kCommands[] = {
    {"split", RunSplit,
     "  zolvane-cli split FILE [--size 1.44MB|1.25MB|720KB|640KB|auto|BYTES] [--dest DIR]\n"
     "                         [--overwrite]\n"
     "      FILE を分割ファイル (NAME.000, NAME.001, ...) に分割します。\n"
     "      サイズは大文字でも小文字でもかまいません。\n"
     "      --size auto は DIR "
     "のドライブの空き容量ごとに分割し、満杯になると次のディスクを求めます。\n"
     "  zolvane-cli split --pack ARCHIVE.lzh [--recursive] [split options] NAME_OR_MASK...\n"
     "      ファイルを LZH 書庫に圧縮してから分割し、書庫を削除します。\n"},
    {"join", RunJoin,
     "  zolvane-cli join PIECE [--dest DIR] [--overwrite]\n"
     "      PIECE の属する分割ファイルを結合します (既定の結合先は PIECE のフォルダ)。\n"
     "      LZH 書庫として分割されていれば、結合先に展開します。展開で上書きされる\n"
     "      ファイルがあれば、結合したファイルと同じく --overwrite か応答が必要です。\n"},
    {"pack", RunPack,
     "  zolvane-cli pack ARCHIVE.lzh [--recursive] NAME_OR_MASK...\n"
     "      ファイル (またはマスク *.*, *.txt;*.doc など) を LZH 書庫に圧縮します。\n"},
    {"info", RunInfo,
     "  zolvane-cli info PIECE\n"
     "      PIECE の属する分割ファイルの記録内容と、すべて揃っているかを表示します。\n"},
};

constexpr const char* kGeneral =
    "  zolvane-cli COMMAND --help | --help | --version\n"
    "      コマンドの使い方、すべての使い方、版を表示します。\n";

constexpr const char* kFooter =
    "\n"
    "質問は標準入力と標準エラー出力がともに端末のときだけ行い、それ以外ではキャンセルと答えます。\n"
    "Ctrl-C (または SIGTERM・SIGHUP) で中止します。\n"
    "終了コード: 0 完了, 1 失敗・中止, 2 使い方の誤り\n";

std::string FullUsage() {
    std::string usage = "使い方:\n";
    for (const CommandEntry& command : kCommands) {
        usage += command.usage;
    }
    return usage + kGeneral + kFooter;
}

const CommandEntry* FindCommand(const std::string& name) {
    for (const CommandEntry& command : kCommands) {
        if (name == command.name) {
            return &command;
        }
    }
    return nullptr;
}

bool AsksForHelp(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        if (word == "--") {
            return false;
        }
        if (word == "--help" || word == "-h") {
            return true;
        }
    }
    return false;
}

// Every path given relative to it, and every name packed, would be looked for there.
bool CurrentFolderReachable() {
    std::error_code error;
    return !std::filesystem::current_path(error).empty() && !error;
}

int Run(const std::vector<std::string>& words) {
    if (words.empty()) {
        return UsageError("コマンドを指定してください");
    }
    const std::string& name = words.front();
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(FullUsage().c_str(), stdout);
        return kExitDone;
    }
    if (name == "--version") {
        std::printf("zolvane-cli %s\n", ZOLVANE_VERSION);
        return kExitDone;
    }
    const CommandEntry* command = FindCommand(name);
    if (command == nullptr) {
        return UsageError("不明なコマンドです: " + name);
    }
    if (AsksForHelp(rest)) {
        std::printf("使い方:\n%s%s", command->usage, kFooter);
        return kExitDone;
    }
    if (!CurrentFolderReachable()) {
        std::fputs(
            "[エラー] 現在のフォルダが見つかりません。削除されたか移動された可能性があります。\n"
            "    ほかのフォルダに移ってから実行してください。\n",
            stderr);
        return kExitFailed;
    }
    return command->run(rest);
}

}  // namespace

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "zolvane-cli: %s\n\n%s", Printable(problem).c_str(), FullUsage().c_str());
    return kExitUsage;
}

}  // namespace zolvane::cli

// Nothing may end the program by an escaping exception: that would abort without a word.
int main(int argc, char** argv) {
    using namespace zolvane::cli;
    try {
        return Run(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "[エラー] 予期しないエラーのため中止しました。\n    %s\n",
                     Printable(error.what()).c_str());
    } catch (...) {
        std::fputs("[エラー] 予期しないエラーのため中止しました。\n", stderr);
    }
    return kExitFailed;
}
