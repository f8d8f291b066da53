#include "jobs/UnpackCheck.h"

#include <charconv>
#include <string_view>

#include "join/JoinFile.h"

namespace zolvane {
namespace {

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

std::optional<ReplaceCheck> CheckUnpack(const ArchiverLibrary& archiver, const std::string& archive,
                                        const std::string& folder, std::string& report) {
    const int result = archiver.runWithReport(UnpackCommand(archive, folder, true), report,
                                              ArchiverLibrary::kLongOutputSize);
    if (result != 0) {
        return std::nullopt;
    }
    return ParseReplaceCheck(report);
}

}  // namespace zolvane
