// The exported entries: run one command, report it, and let nothing escape but a
// result code.
#include "archiver/Unlha32.h"

#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <exception>
#include <mutex>
#include <string>

#include "archiver/ArchiveWriter.h"
#include "archiver/Command.h"
#include "archiver/Extractor.h"
#include "archiver/FileSelection.h"

namespace zolvane::archiver {
namespace {

constexpr int kSuccess = 0;
constexpr int kBadCommand = 1;
constexpr int kFailed = 2;
constexpr int kInternalError = 3;

std::atomic<int> gRunning{0};
std::mutex gCommandLock;

// Keeps the count right on every way out, exceptions included.
class RunningMark {
public:
    RunningMark() { gRunning.fetch_add(1); }
    ~RunningMark() { gRunning.fetch_sub(1); }
    RunningMark(const RunningMark&) = delete;
    RunningMark& operator=(const RunningMark&) = delete;
};

std::string Plural(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

int RunAdd(const Command& command, std::string& report) {
    SelectionOptions options;
    options.recursive = command.recursive;
    options.keepFolders = command.keepFolders;
    struct stat archiveInfo {};
    if (stat(command.archive.c_str(), &archiveInfo) == 0) {
        options.hasExcluded = true;
        options.excludedDevice = archiveInfo.st_dev;
        options.excludedInode = archiveInfo.st_ino;
    }
    std::vector<SelectedItem> items;
    std::vector<std::string> unmatched;
    std::string error = SelectFiles(command.name, options, items, unmatched);
    if (!error.empty()) {
        report = "nothing added: " + error;
        return kFailed;
    }
    AddResult result = AddToArchive(command.archive, items);
    if (!result.error.empty()) {
        report = "nothing added: " + result.error;
        return kFailed;
    }
    report = "added " + Plural(result.files, "file", "files");
    if (result.folders > 0) {
        report += " and " + Plural(result.folders, "folder", "folders");
    }
    report += " to " + command.archive;
    if (result.replaced > 0) {
        report += ", replacing " + Plural(result.replaced, "member", "members");
    }
    for (const auto& pattern : unmatched) {
        report += "\nwarning: no file matches '" + pattern + "'";
    }
    return kSuccess;
}

// The count comes first so that it survives a report cut to the caller's buffer.
int RunCheck(const ExtractRequest& request, std::string& report) {
    ExtractResult result = ExtractArchive(request);
    if (!result.readable) {
        report = "failed: " + result.error;
        return kFailed;
    }
    report =
        "would replace " + Plural(static_cast<int>(result.wouldReplace.size()), "file", "files");
    for (const auto& path : result.wouldReplace) {
        report += "\n" + path;
    }
    return kSuccess;
}

int RunExtract(const Command& command, std::string& report) {
    ExtractRequest request;
    request.archivePath = command.archive;
    request.destination = command.destination;
    request.mask = command.mask;
    request.keepFolders = command.keepFolders;
    request.checkOnly = command.check;
    if (command.check) {
        return RunCheck(request, report);
    }
    ExtractResult result = ExtractArchive(request);
    std::string done = "unpacked " + Plural(result.files, "file", "files");
    if (result.folders > 0) {
        done += " and " + Plural(result.folders, "folder", "folders");
    }
    done += " into " + (command.destination.empty() ? std::string(".") : command.destination);
    if (!result.error.empty()) {
        report = "failed: " + result.error + "; " + done;
        return kFailed;
    }
    report = done;
    return kSuccess;
}

int RunCommand(const char* commandLine, std::string& report) {
    if (commandLine == nullptr) {
        report = "no command";
        return kBadCommand;
    }
    Command command;
    std::string error = ParseCommand(commandLine, command);
    if (!error.empty()) {
        report = "command refused: " + error;
        return kBadCommand;
    }
    return command.kind == Command::Kind::Add ? RunAdd(command, report)
                                              : RunExtract(command, report);
}

// Copies as much of the report as fits, cut at a character boundary, NUL-terminated.
void WriteReport(const std::string& report, char* output, unsigned long outputSize) {
    if (output == nullptr || outputSize == 0) {
        return;
    }
    std::size_t length = std::min<std::size_t>(report.size(), outputSize - 1);
    if (length < report.size()) {
        while (length > 0 && (static_cast<unsigned char>(report[length]) & 0xC0) == 0x80) {
            --length;
        }
    }
    std::memcpy(output, report.data(), length);
    output[length] = '\0';
}

}  // namespace
}  // namespace zolvane::archiver

extern "C" int Unlha(void* /*ownerWindow*/, const char* commandLine, char* output,
                     unsigned long outputSize) {
    using namespace zolvane::archiver;
    RunningMark mark;
    int result = kInternalError;
    try {
        std::string report;
        {
            std::lock_guard<std::mutex> lock(gCommandLock);
            result = RunCommand(commandLine, report);
        }
        WriteReport(report, output, outputSize);
    } catch (const std::exception& error) {
        result = kInternalError;
        WriteReport("internal error", output, outputSize);
        try {
            WriteReport(std::string("internal error: ") + error.what(), output, outputSize);
        } catch (...) {
        }
    } catch (...) {
        result = kInternalError;
        WriteReport("internal error", output, outputSize);
    }
    return result;
}

extern "C" int UnlhaGetRunning(void) {
    return zolvane::archiver::gRunning.load() > 0 ? 1 : 0;
}
