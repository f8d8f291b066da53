// zolvane-cli join: the join engine bound to the terminal.
#include <filesystem>

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "jobs/ArchiverLibrary.h"
#include "jobs/Destinations.h"
#include "jobs/JobMessages.h"
#include "jobs/UnpackCheck.h"
#include "join/JoinFile.h"
#include "platform/Paths.h"

namespace zolvane::cli {
namespace {

class TerminalJoin final : public JoinOperations {
public:
    TerminalJoin(Terminal& terminal, const ArchiverLibrary& archiver)
        : terminal_(terminal), archiver_(archiver) {}

    void showPiece(const std::string& path) override { terminal_.showLine("From:", path); }
    void showOutput(const std::string& path) override { terminal_.showLine("To:  ", path); }
    void showProgress(int percent) override { terminal_.showProgress(percent); }
    void processEvents() override {}
    bool cancelRequested() override { return terminal_.cancelRequested(); }
    OverwriteAnswer askOverwrite(const std::string& name, const std::string& outputPath) override {
        return terminal_.askOverwrite(name, outputPath);
    }
    bool archiverReady() override { return archiver_.ArchiverReady; }
    bool archiverBusy() override { return archiver_.busy(); }
    int runArchiver(const std::string& command, std::string& report) override {
        return archiver_.run(command, report);
    }
    // The library is asked first which files the unpack would replace; those are put to
    // the user as a plain join puts its one output.
    bool confirmUnpack(const std::string& archivePath, const std::string& folder) override {
        std::string report;
        const auto check = CheckUnpack(archiver_, archivePath, folder, report);
        if (!check) {
            Show(terminal_, job_messages::kCannotCheckUnpack, report);
            return false;
        }
        return check->count == 0 || terminal_.confirmReplacing(folder, check->names, check->count);
    }
    MessageReply message(const std::string& text, const std::string& caption, MessageIcon icon,
                         MessageButtons buttons, const std::string& detail) override {
        return terminal_.message(text, caption, icon, buttons, detail);
    }
    void release() override {}

private:
    Terminal& terminal_;
    const ArchiverLibrary& archiver_;
};

}  // namespace

int RunJoin(const std::vector<std::string>& words) {
    const Arguments args = ParseArguments(words, {"--dest"}, {"--overwrite"});
    if (!args.error.empty()) {
        return UsageError(args.error);
    }
    if (args.positional.size() != 1) {
        return UsageError("結合する分割ファイルを一つ指定してください");
    }
    namespace fs = std::filesystem;
    const fs::path piece = fs::absolute(args.positional.front()).lexically_normal();
    const std::string* dest = args.value("--dest");
    const std::string folder =
        JoinDestination(dest != nullptr, dest != nullptr ? fs::absolute(*dest).lexically_normal().string() : "",
                        piece.parent_path().string());

    Terminal terminal(args.has("--overwrite"));
    ArchiverLibrary archiver;
    archiver.Load();
    TerminalJoin ops(terminal, archiver);
    return JoinFile(piece.string(), folder, ops) == 0 ? kExitDone : kExitFailed;
}

}  // namespace zolvane::cli
