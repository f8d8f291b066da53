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
#include "jobs/Destinations.h"
#include "jobs/JobMessages.h"
#include "jobs/Packing.h"
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

// The pieces go to the current folder, or to --dest.
SplitPlacement Placement(const Arguments& args) {
    SplitPlacement placement;
    if (const std::string* folder = args.value("--dest")) {
        placement.folderChosen = true;
        placement.folder = *folder;
    }
    return placement;
}

std::string NameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
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

// The packed split on the terminal: the named files packed, the archive split with the
// archive mark, then deleted.
class TerminalPackedSplit final : public PackedSplitOperations {
public:
    TerminalPackedSplit(Terminal& terminal, const ArchiverLibrary& archiver, const Arguments& args,
                        SizeSetting size)
        : terminal_(terminal), archiver_(archiver), args_(args), size_(size) {}

    PackOutcome pack(const std::string& archive, std::string&) override {
        TerminalPacking packing(terminal_);
        return PackFiles(archiver_, archive, args_.positional, args_.has("--recursive"),
                         job_messages::kArchiverBusyForSplit, packing);
    }
    int split(const std::string& archive) override {
        TerminalSplit ops(terminal_, size_, 1);
        return Divide(ops, archive, SplitDestination(Placement(args_), NameOf(archive)));
    }
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override {
        return terminal_.message(text, caption, icon, buttons, detail);
    }

private:
    Terminal& terminal_;
    const ArchiverLibrary& archiver_;
    const Arguments& args_;
    SizeSetting size_;
};

int SplitPacked(const Arguments& args, SizeSetting size, const std::string& archiveText) {
    namespace fs = std::filesystem;
    const fs::path archive = fs::absolute(archiveText).lexically_normal();
    Terminal terminal(args.has("--overwrite"));
    std::error_code error;
    if (fs::exists(archive, error)) {
        Show(terminal, job_messages::kArchiveExists, archive.string());
        return kExitFailed;
    }
    ArchiverLibrary archiver;
    if (!LoadArchiver(terminal, archiver)) {
        return kExitFailed;
    }
    TerminalPackedSplit ops(terminal, archiver, args, size);
    return PackedSplit(archive.string(), ops) == 0 ? kExitDone : kExitFailed;
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
    const std::string destination = SplitDestination(Placement(args), source.filename().string());

    Terminal terminal(args.has("--overwrite"));
    TerminalSplit ops(terminal, size, 0);
    return Divide(ops, source.string(), destination) == 0 ? kExitDone : kExitFailed;
}

}  // namespace zolvane::cli
