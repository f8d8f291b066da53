// The execute command: one whole job with its progress window beside the main window, which
// stays disabled until the engine or a cancel hands the activation back. The main window
// hands over its choices as plain values.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/ArchiverLibrary.h"
#include "jobs/Destinations.h"
#include "platform/Drives.h"
#include "split/SplitOperations.h"

class QFileDialog;
class QWidget;

namespace zolvane::gui {

struct SplitJob {
    std::string source;  // the chosen file, when nothing is packed
    SplitPlacement placement;  // `beside` is the source's folder, or the archive's
    SizeChoice size = SizeChoice::Floppy1440K;
    std::int32_t freeSize = 0;
    bool pack = false;       // 圧縮して分割
    bool packOnly = false;   // 分割しない: the archive is the job's result
    bool recursive = false;
    std::string folder;               // the file list's folder, where the names are packed from
    std::vector<std::string> names;   // the chosen names; empty: every file matching the mask
    std::string mask;
};

// What a job works with besides the main window.
struct JobTools {
    const ArchiverLibrary& archiver;
    platform::DriveQueries& drives;
    QFileDialog& saveDialog;
    QString& lastArchive;  // the archive made last: the next dialog opens in its folder
};

// Returns whether the split's source was an archive the job packed.
bool ExecuteSplit(QWidget& main, const SplitJob& job, JobTools& tools);
void ExecuteJoin(QWidget& main, const std::string& piece, const std::string& destination,
                 JobTools& tools);

}  // namespace zolvane::gui
