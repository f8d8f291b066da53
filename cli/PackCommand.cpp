// zolvane-cli pack: an LZH archive through the archiver library, as the compression step
// makes it.
#include <filesystem>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Packing.h"
#include "jobs/ArchiverReport.h"
#include "jobs/JobMessages.h"

namespace zolvane::cli {

namespace msg = job_messages;

void TerminalPacking::showItem(const std::string& item) {
    terminal_.showLine("Pack:", item);
}

void TerminalPacking::warnUnmatched(const std::string& pattern) {
    terminal_.warn("一致するファイルがありません: " + pattern);
}

void TerminalPacking::itemFailed(const std::string& item, const std::string& report) {
    terminal_.message(item + " を圧縮できませんでした。", "エラー", MessageIcon::Error,
                      MessageButtons::Ok, ReportWithoutWarnings(report));
}

bool TerminalPacking::cancelRequested() {
    return terminal_.cancelRequested();
}

MessageReply TerminalPacking::message(const std::string& text, const std::string& caption,
                                      MessageIcon icon, MessageButtons buttons,
                                      const std::string& detail) {
    return terminal_.message(text, caption, icon, buttons, detail);
}

bool LoadArchiver(Terminal& terminal, ArchiverLibrary& archiver) {
    archiver.Load();
    if (!archiver.ArchiverReady) {
        Show(terminal, msg::kNoArchiver);
    }
    return archiver.ArchiverReady;
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
    TerminalPacking packing(terminal);
    const PackOutcome outcome = PackFiles(archiver, archive, items, args.has("--recursive"),
                                          msg::kArchiverBusyForPack, packing);
    if (outcome == PackOutcome::Cancelled) {
        Show(terminal, msg::kPackCancelled);
        if (!existed && fs::exists(archive, error)) {
            DeleteArchive(archive, packing);
        }
    }
    return outcome == PackOutcome::Packed ? kExitDone : kExitFailed;
}

}  // namespace zolvane::cli
