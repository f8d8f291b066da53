// The compression step: the chosen files of the source folder packed into one LZH archive,
// named in the save dialog.
#pragma once

#include <QString>

#include "jobs/Packing.h"
#include "jobs/window/ExecuteCommand.h"

namespace zolvane::gui {

// The archive named in the save dialog, which opens where the last archive went, else in the
// files' folder; empty when the dialog was cancelled, the library is busy, or the name is
// refused (an archive to be split never takes over a file that is there), each said.
QString ChooseArchive(const SplitJob& job, JobTools& tools);

// Adds the job's names, or its mask, from the job's folder; `problem` says why it failed.
PackOutcome PackChosenFiles(QWidget& main, const SplitJob& job, const QString& archive,
                            JobTools& tools, std::string& problem);

}  // namespace zolvane::gui
