// zolvane-cli pack: an LZH archive through the archiver library, as the compression step
// makes it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "cli/ArchiverReport.h"
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Packing.h"

namespace zolvane::cli {

bool LoadArchiver(Terminal& terminal, ArchiverLibrary& archiver) {
    archiver.Load();
    if (!archiver.ArchiverReady) {
        terminal.message(
            "圧縮ライブラリ (libUnlha32.so) が見つかりません。\n圧縮と展開はできません。", "エラー",
            MessageIcon::Error, MessageButtons::Ok);
    }
    return archiver.ArchiverReady;
}

PackOutcome PackFiles(Terminal& terminal, const ArchiverLibrary& archiver,
                      const std::string& archive, const std::vector<std::string>& items,
                      bool recursive, const char* busyText) {
    if (archiver.busy()) {
        terminal.message(busyText, "エラー", MessageIcon::Error, MessageButtons::Ok);
        return PackOutcome::Failed;
    }
    for (const std::string& item : items) {
        terminal.showLine("Pack:", item);
        std::string report;
        const int result = archiver.runWithReport(AddToArchiveCommand(archive, item, recursive),
                                                  report, ArchiverLibrary::kLongOutputSize);
        for (const std::string& pattern : UnmatchedPatterns(report)) {
            terminal.warn("一致するファイルがありません: " + pattern);
        }
        if (result != 0) {
            terminal.message(item + " を圧縮できませんでした。", "エラー", MessageIcon::Error,
                             MessageButtons::Ok, ReportWithoutWarnings(report));
            return PackOutcome::Failed;
        }
        if (terminal.cancelRequested()) {
            return PackOutcome::Cancelled;
        }
    }
    return PackOutcome::Packed;
}

void RemoveArchive(Terminal& terminal, const std::string& archive) {
    if (std::remove(archive.c_str()) != 0 && errno != ENOENT) {
        terminal.message("作成したLZHファイルの削除に失敗しました。", "失敗",
                         MessageIcon::Information, MessageButtons::Ok,
                         archive + ": " + std::strerror(errno));
    }
}

int RunPack(const std::vector<std::string>& words) {
    const Arguments args = ParseArguments(words, {}, {"--recursive"});
    if (!args.error.empty()) {
        return UsageError(args.error);
    }
    if (args.positional.size() < 2) {
        return UsageError("書庫と、圧縮するファイル名かマスクを指定してください");
    }
    namespace fs = std::filesystem;
    const std::string archive = fs::absolute(args.positional.front()).lexically_normal().string();
    const std::vector<std::string> items(args.positional.begin() + 1, args.positional.end());

    Terminal terminal(false);
    ArchiverLibrary archiver;
    if (!LoadArchiver(terminal, archiver)) {
        return kExitFailed;
    }
    // Only an archive this run made is removed on a cancel; one that was there keeps what
    // was added to it.
    std::error_code error;
    const bool existed = fs::exists(archive, error) || error;
    const PackOutcome outcome =
        PackFiles(terminal, archiver, archive, items, args.has("--recursive"),
                  "UNLHA32.DLLが使用中です。\n圧縮を中止します。");
    if (outcome == PackOutcome::Cancelled) {
        terminal.message("圧縮が中止されました。", "メッセージ", MessageIcon::Information,
                         MessageButtons::Ok);
        if (!existed && fs::exists(archive, error)) {
            RemoveArchive(terminal, archive);
        }
    }
    return outcome == PackOutcome::Packed ? kExitDone : kExitFailed;
}

}  // namespace zolvane::cli
