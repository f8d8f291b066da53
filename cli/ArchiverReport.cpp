#include "cli/ArchiverReport.h"

#include <charconv>
#include <string_view>

namespace zolvane::cli {
namespace {

constexpr std::string_view kNoMatch = "warning: no file matches ";

std::vector<std::string> LinesOf(const std::string& report) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < report.size()) {
        auto end = report.find('\n', start);
        if (end == std::string::npos) {
            end = report.size();
        }
        std::string line = report.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(std::move(line));
        }
        start = end + 1;
    }
    return lines;
}

bool IsNoMatchWarning(const std::string& line) {
    return line.compare(0, kNoMatch.size(), kNoMatch) == 0;
}

}  // namespace

std::vector<std::string> UnmatchedPatterns(const std::string& report) {
    std::vector<std::string> patterns;
    for (const std::string& line : LinesOf(report)) {
        // A line cut short by the report buffer has no closing quote and is passed over.
        const auto open = kNoMatch.size();
        if (!IsNoMatchWarning(line) || line.size() < open + 2 || line[open] != '\'' ||
            line.back() != '\'') {
            continue;
        }
        patterns.push_back(line.substr(open + 1, line.size() - open - 2));
    }
    return patterns;
}

std::string ReportWithoutWarnings(const std::string& report) {
    std::string joined;
    for (const std::string& line : LinesOf(report)) {
        if (IsNoMatchWarning(line)) {
            continue;
        }
        joined += joined.empty() ? line : "; " + line;
    }
    return joined;
}

}  // namespace zolvane::cli
