// What the terminal reads out of the archiver library's reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zolvane::cli {

// The patterns the library found no file for ("warning: no file matches 'PATTERN'").
std::vector<std::string> UnmatchedPatterns(const std::string& report);

// The report without those warnings, its lines joined by "; ": what went wrong, and where.
std::string ReportWithoutWarnings(const std::string& report);

}  // namespace zolvane::cli
