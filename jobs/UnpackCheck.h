// Before a joined archive is unpacked: which files in the destination the unpacking would
// replace, asked of the archiver library (its check switch c1, which writes nothing). Both
// front ends ask the user about these files before anything is replaced.
#pragma once

#include <optional>
#include <string>

#include "jobs/ArchiverLibrary.h"
#include "jobs/ArchiverReport.h"

namespace zolvane {

// Runs the check; empty when the library failed or answered something else, with its report.
std::optional<ReplaceCheck> CheckUnpack(const ArchiverLibrary& archiver, const std::string& archive,
                                        const std::string& folder, std::string& report);

}  // namespace zolvane
