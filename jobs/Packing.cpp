#include "jobs/Packing.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "jobs/ArchiverReport.h"
#include "jobs/JobMessages.h"

namespace zolvane {

namespace msg = job_messages;

namespace {

// Packing that stopped may have made no archive at all.
void DeleteHalfMade(const std::string& archive, MessageOperations& ops) {
    std::error_code error;
    if (std::filesystem::exists(archive, error)) {
        DeleteArchive(archive, ops);
    }
}

}  // namespace

PackOutcome PackFiles(const ArchiverLibrary& archiver, const std::string& archive,
                      const std::vector<std::string>& items, bool recursive,
                      const MessageBoxSpec& busy, PackOperations& ops, void* ownerWindow) {
    if (archiver.busy()) {
        Show(ops, busy);
        return PackOutcome::Failed;
    }
    for (const std::string& item : items) {
        ops.showItem(item);
        std::string report;
        const int result = archiver.runWithReport(AddToArchiveCommand(archive, item, recursive),
                                                  report, ArchiverLibrary::kLongOutputSize,
                                                  ownerWindow);
        for (const std::string& pattern : UnmatchedPatterns(report)) {
            ops.warnUnmatched(pattern);
        }
        if (result != 0) {
            ops.itemFailed(item, report);
            return PackOutcome::Failed;
        }
        if (ops.cancelRequested()) {
            return PackOutcome::Cancelled;
        }
    }
    return PackOutcome::Packed;
}

int PackedSplit(const std::string& archive, PackedSplitOperations& ops) {
    std::string problem;
    switch (ops.pack(archive, problem)) {
    case PackOutcome::Packed:
        break;
    case PackOutcome::Failed:
        Show(ops, msg::kSplitFailed, problem);
        DeleteHalfMade(archive, ops);
        return -1;
    case PackOutcome::Cancelled:
        Show(ops, msg::kSplitCancelled);
        DeleteHalfMade(archive, ops);
        return -1;
    }
    const int result = ops.split(archive);
    DeleteArchive(archive, ops);
    return result;
}

void DeleteArchive(const std::string& archive, MessageOperations& ops) {
    if (std::remove(archive.c_str()) != 0) {
        Show(ops, msg::kCannotDeleteArchive, DetailOf(archive, errno));
    }
}

}  // namespace zolvane
