// What the front ends read out of the archiver library's reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zolvane {

// How many files an unpack would replace (its check, switch c1) and their names relative to
// the destination (fewer than `count` when the report was cut).
struct ReplaceCheck {
    std::uint64_t count = 0;
    std::vector<std::string> names;
};

// Empty when the report does not begin "would replace N file(s)".
std::optional<ReplaceCheck> ParseReplaceCheck(const std::string& report);

// The patterns the library found no file for ("warning: no file matches 'PATTERN'").
std::vector<std::string> UnmatchedPatterns(const std::string& report);

// The report without those warnings, its lines joined by "; ": what went wrong, and where.
std::string ReportWithoutWarnings(const std::string& report);

}  // namespace zolvane
