// The split engine: cuts one file into numbered piece files.
#pragma once

#include <string>

#include "platform/Drives.h"
#include "split/SplitOperations.h"

namespace zolvane {

// Splits sourcePath into pieces named from destinationPath (a folder and the source's
// file name: REPORT.DOC gives REPORT.000, REPORT.001, ...). Every outcome is told
// through ops.message. Returns 0 when the split finished, -1 when it failed, was
// refused or was cancelled; pieces written so far stay on disk.
int DivideFile(const std::string& sourcePath, const std::string& destinationPath,
               SplitOperations& ops, platform::DriveQueries& drives = platform::SystemDrives());

}  // namespace zolvane
