// Before a joined archive is unpacked: which files in the destination the unpacking would
// replace, asked of the archiver library (its check switch c1, which writes nothing). Both
// front ends ask the user about these files before anything is replaced.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "jobs/ArchiverLibrary.h"

namespace zolvane {

// How many files the unpack would replace and their names relative to the destination
// (fewer than `count` when the report was cut).
struct ReplaceCheck {
    std::uint64_t count = 0;
    std::vector<std::string> names;
};

// Empty when the report does not begin "would replace N file(s)".
std::optional<ReplaceCheck> ParseReplaceCheck(const std::string& report);

// Runs the check; empty when the library failed or answered something else, with its report.
std::optional<ReplaceCheck> CheckUnpack(const ArchiverLibrary& archiver, const std::string& archive,
                                        const std::string& folder, std::string& report);

}  // namespace zolvane
