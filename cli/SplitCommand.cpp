// zolvane-cli split: the split engine bound to the terminal.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Packing.h"
#include "cli/Terminal.h"
#include "pieces/PathRoutines.h"
#include "pieces/PieceSet.h"
#include "platform/Paths.h"
#include "split/DivideFile.h"

namespace zolvane::cli {
namespace {

struct SizeSetting {
    SizeChoice choice = SizeChoice::Floppy1440K;
    std::int32_t bytes = 0;  // for SizeChoice::Free
};

std::optional<SizeSetting> ParseSize(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (text == "1.44mb") {
        return SizeSetting{SizeChoice::Floppy1440K, 0};
    }
    if (text == "1.25mb") {
        return SizeSetting{SizeChoice::Floppy1250K, 0};
    }
    if (text == "720kb") {
        return SizeSetting{SizeChoice::Floppy720K, 0};
    }
    if (text == "640kb") {
        return SizeSetting{SizeChoice::Floppy640K, 0};
    }
    if (text == "auto") {
        return SizeSetting{SizeChoice::Automatic, 0};
    }
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    const long long bytes = std::stoll(text);
    if (bytes < 1 || bytes > 2147483647LL) {
        return std::nullopt;
    }
    return SizeSetting{SizeChoice::Free, static_cast<std::int32_t>(bytes)};
}

class TerminalSplit final : public SplitOperations {
public:
    TerminalSplit(Terminal& terminal, SizeSetting size, std::uint8_t mark)
        : terminal_(terminal), size_(size), mark_(mark) {}

    SizeChoice sizeChoice() override { return size_.choice; }
    std::int32_t pieceSize() override { return size_.bytes; }
    std::uint8_t archiveMark() override { return mark_; }
    void showSource(const std::string& path) override { terminal_.showLine("From:", path); }
    void showPiece(const std::string& path) override {
        terminal_.showLine("To:  ", path);
        lastPiece_ = path;
    }
    void showProgress(int percent) override { terminal_.showProgress(percent); }
    void processEvents() override {}
    bool cancelRequested() override { return terminal_.cancelRequested(); }
    OverwriteAnswer askOverwrite(const std::string& path) override {
        return terminal_.askOverwrite(path);
    }
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override {
        return terminal_.message(text, caption, icon, buttons, detail);
    }
    void release() override {}

    // Pieces of an older, longer set after the last piece written would pass for part of
    // this one.
    void warnOfLeftovers() {
        // The piece names end in their three digits; a piece moved to the next disk is
        // shown twice, so they are read rather than counted.
        if (lastPiece_.size() < 4) {
            return;
        }
        const std::int32_t last = std::stoi(lastPiece_.substr(lastPiece_.size() - 3));
        const std::int32_t count = CountPiecesAfter(lastPiece_, last);
        if (count > 0) {
            terminal_.warn("以前の分割ファイルが " + std::to_string(count) + " 個残っています: " +
                           PiecePathOf(lastPiece_, last + 1) + (count > 1 ? " ほか" : ""));
        }
    }

private:
    Terminal& terminal_;
    SizeSetting size_;
    std::uint8_t mark_;
    std::string lastPiece_;
};

int Divide(TerminalSplit& ops, const std::string& source, const std::string& destination) {
    const int result = DivideFile(source, destination, ops);
    if (result == 0) {
        ops.warnOfLeftovers();
    }
    return result;
}

// The destination is the folder, a separator and the source's name; without a folder the
// bare name, so the pieces land in the current folder.
std::string SplitDestination(const std::string* folder, const std::string& name) {
    if (folder == nullptr) {
        return name;
    }
    std::string destination = *folder;
    if (destination.empty() || destination.back() != platform::kPathSeparator) {
        destination += platform::kPathSeparator;
    }
    return destination + name;
}

}  // namespace

namespace {

// Packs the named files into the archive, splits the archive with the archive mark and
// deletes it afterwards, whatever the split's outcome.
int SplitPacked(const Arguments& args, SizeSetting size, const std::string& archiveText) {
    namespace fs = std::filesystem;
    const fs::path archive = fs::absolute(archiveText).lexically_normal();
    Terminal terminal(args.has("--overwrite"));
    // The archive is deleted after the split: never take over a file that was there before.
    std::error_code error;
    if (fs::exists(archive, error)) {
        terminal.message("同名のファイルが既にあります。\n" + archive.string() +
                             "\n別の書庫名を指定してください。",
                         "エラー", MessageIcon::Error, MessageButtons::Ok);
        return kExitFailed;
    }
    ArchiverLibrary archiver;
    if (!LoadArchiver(terminal, archiver)) {
        return kExitFailed;
    }
    switch (PackFiles(terminal, archiver, archive.string(), args.positional,
                      args.has("--recursive"), "UNLHA32.DLLが使用中です。\n分割を中止します。")) {
    case PackOutcome::Packed:
        break;
    case PackOutcome::Failed:
        terminal.message("分割に失敗しました", "情報", MessageIcon::Information,
                         MessageButtons::Ok);
        RemoveArchive(terminal, archive.string());  // made by this run, half full
        return kExitFailed;
    case PackOutcome::Cancelled:
        terminal.message("分割が中止されました。", "メッセージ", MessageIcon::Information,
                         MessageButtons::Ok);
        RemoveArchive(terminal, archive.string());
        return kExitFailed;
    }
    TerminalSplit ops(terminal, size, 1);
    const int result = Divide(ops, archive.string(),
                              SplitDestination(args.value("--dest"), archive.filename().string()));
    RemoveArchive(terminal, archive.string());
    return result == 0 ? kExitDone : kExitFailed;
}

}  // namespace

int RunSplit(const std::vector<std::string>& words) {
    const Arguments args =
        ParseArguments(words, {"--size", "--dest", "--pack"}, {"--overwrite", "--recursive"});
    if (!args.error.empty()) {
        return UsageError(args.error);
    }
    SizeSetting size;
    if (const std::string* text = args.value("--size")) {
        const auto parsed = ParseSize(*text);
        if (!parsed) {
            return UsageError("分割サイズが正しくありません: " + *text);
        }
        size = *parsed;
    }
    if (const std::string* archive = args.value("--pack")) {
        if (args.positional.empty()) {
            return UsageError("圧縮するファイル名かマスクを指定してください");
        }
        return SplitPacked(args, size, *archive);
    }
    if (args.has("--recursive")) {
        return UsageError("--recursive は --pack と共に指定してください");
    }
    if (args.positional.size() != 1) {
        return UsageError("分割するファイルを一つ指定してください");
    }
    namespace fs = std::filesystem;
    const fs::path source = fs::absolute(args.positional.front()).lexically_normal();
    const std::string destination =
        SplitDestination(args.value("--dest"), source.filename().string());

    Terminal terminal(args.has("--overwrite"));
    TerminalSplit ops(terminal, size, 0);
    return Divide(ops, source.string(), destination) == 0 ? kExitDone : kExitFailed;
}

}  // namespace zolvane::cli
