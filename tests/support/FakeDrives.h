// A drive that plays what tests need: no disk, a full disk, a given free size per query.
#pragma once

#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Drives.h"

namespace zolvane::test {

class FakeDrives : public platform::DriveQueries {
public:
    // Each query takes the next scripted answer; when the script runs out, `otherwise`.
    // An empty answer means no disk in the drive.
    std::deque<std::optional<std::int32_t>> script;
    std::optional<std::int32_t> otherwise = 0x7fffffff;
    std::string root = "/fake-drive";
    // What listDrives answers; driveOf gives the longest of these that holds the path, or
    // `root` when none does.
    std::vector<std::string> roots;
    // Drives that have no medium, whatever the script says.
    std::set<std::string> notReady;
    int freeQueries = 0;
    int readyQueries = 0;

    std::vector<std::string> listDrives() override { return roots; }
    std::string driveOf(const std::string& path) override {
        std::string best;
        for (const std::string& candidate : roots) {
            const bool holds = path == candidate || candidate == "/" ||
                               path.rfind(candidate + "/", 0) == 0;
            if (holds && candidate.size() > best.size()) {
                best = candidate;
            }
        }
        return best.empty() ? root : best;
    }
    bool isReady(const std::string& drive) override {
        ++readyQueries;
        return notReady.count(drive) == 0 && next().has_value();
    }
    std::optional<std::int32_t> freeBytes(const std::string&) override {
        ++freeQueries;
        return next();
    }

private:
    std::optional<std::int32_t> next() {
        if (script.empty()) {
            return otherwise;
        }
        auto answer = script.front();
        script.pop_front();
        return answer;
    }
};

}  // namespace zolvane::test
