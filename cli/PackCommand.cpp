// zolvane-cli pack: an LZH archive through the archiver library, as the compression step
// makes it.
#include <filesystem>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Packing.h"

namespace zolvane::cli {

bool LoadArchiver(Terminal& terminal, ArchiverLibrary& archiver) {
    archiver.Load();
    if (!archiver.ArchiverReady) {
        terminal.message("圧縮ライブラリ (libUnlha32.so) が見つかりません。\n圧縮と展開はできません。",
                         "エラー", MessageIcon::Error, MessageButtons::Ok);
    }
    return archiver.ArchiverReady;
}

bool PackFiles(Terminal& terminal, const ArchiverLibrary& archiver, const std::string& archive,
               const std::vector<std::string>& items, bool recursive, const char* busyText) {
    if (archiver.busy()) {
        terminal.message(busyText, "エラー", MessageIcon::Error, MessageButtons::Ok);
        return false;
    }
    for (const std::string& item : items) {
        terminal.showLine("Pack:", item);
        if (archiver.run(AddToArchiveCommand(archive, item, recursive)) != 0) {
            terminal.message(item + " を圧縮できませんでした。", "エラー", MessageIcon::Error,
                             MessageButtons::Ok);
            return false;
        }
    }
    return true;
}

int RunPack(const std::vector<std::string>& words) {
    const Arguments args = ParseArguments(words, {}, {"--recursive"});
    if (!args.error.empty()) {
        return UsageError(args.error);
    }
    if (args.positional.size() < 2) {
        return UsageError("書庫と、圧縮するファイル名かマスクを指定してください");
    }
    const std::string archive =
        std::filesystem::absolute(args.positional.front()).lexically_normal().string();
    const std::vector<std::string> items(args.positional.begin() + 1, args.positional.end());

    Terminal terminal(false);
    ArchiverLibrary archiver;
    if (!LoadArchiver(terminal, archiver)) {
        return kExitFailed;
    }
    const bool packed = PackFiles(terminal, archiver, archive, items, args.has("--recursive"),
                                  "UNLHA32.DLLが使用中です。\n圧縮を中止します。");
    return packed ? kExitDone : kExitFailed;
}

}  // namespace zolvane::cli
