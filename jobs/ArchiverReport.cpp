#include "jobs/ArchiverReport.h"

#include <charconv>
#include <string_view>

namespace zolvane {
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

std::optional<ReplaceCheck> ParseReplaceCheck(const std::string& report) {
    const std::vector<std::string> lines = LinesOf(report);
    constexpr std::string_view kStart = "would replace ";
    if (lines.empty() || lines.front().compare(0, kStart.size(), kStart) != 0) {
        return std::nullopt;
    }
    const std::string& first = lines.front();
    ReplaceCheck check;
    const char* digits = first.data() + kStart.size();
    const char* end = first.data() + first.size();
    const auto [rest, error] = std::from_chars(digits, end, check.count);
    if (error != std::errc() || rest == digits) {
        return std::nullopt;
    }
    const std::string_view unit(rest, static_cast<std::size_t>(end - rest));
    if (unit != (check.count == 1 ? " file" : " files")) {
        return std::nullopt;
    }
    check.names.assign(lines.begin() + 1, lines.end());
    if (check.names.size() > check.count) {
        return std::nullopt;  // more names than files: not the report we asked for
    }
    return check;
}

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

}  // namespace zolvane
