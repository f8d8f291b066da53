// A drive that plays what tests need: no disk, a full disk, a given free size per query, and
// drives of removable media known by their device, whose medium is mounted wherever a test
// puts it.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
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
    // Drives of removable media by device name, each with the folder its medium is mounted
    // at now (empty: no medium). A path that begins with the name or lies in that folder is
    // a place on the drive. List them in `roots` to have them listed.
    std::map<std::string, std::string> devices;
    int freeQueries = 0;
    int readyQueries = 0;

    std::vector<std::string> listDrives() override { return roots; }

    std::string describe(const std::string& drive) override {
        const auto device = devices.find(drive);
        if (device == devices.end()) {
            return drive;
        }
        return device->second.empty() ? drive + " (FAKE FLOPPY)" : device->second;
    }

    std::string driveOf(const std::string& path) override { return placeOf(path).drive; }

    platform::DrivePlace placeOf(const std::string& path) override {
        for (const auto& [device, mountedAt] : devices) {
            for (const std::string& prefix : {device, mountedAt}) {
                if (!prefix.empty() && Holds(prefix, path)) {
                    return {device,
                            path.size() > prefix.size() ? path.substr(prefix.size() + 1) : "",
                            true};
                }
            }
        }
        std::string best;
        for (const std::string& candidate : roots) {
            if (Holds(candidate, path) && candidate.size() > best.size()) {
                best = candidate;
            }
        }
        return {best.empty() ? root : best, path, false};
    }

    // A name neither listed nor `root` is no drive of this machine: never ready.
    platform::Medium medium(const std::string& drive) override {
        const auto device = devices.find(drive);
        if (device != devices.end()) {
            if (device->second.empty() || notReady.count(drive) != 0) {
                return {{}, drive + ": no disk"};
            }
            return {device->second, {}};
        }
        const bool known =
            drive == root || std::find(roots.begin(), roots.end(), drive) != roots.end();
        if (!known || !isReady(drive)) {
            return {{}, drive + ": no medium"};
        }
        return {drive, {}};
    }

    bool isReady(const std::string& drive) override {
        ++readyQueries;
        if (devices.count(drive) != 0) {
            return !medium(drive).root.empty();
        }
        return notReady.count(drive) == 0 && next().has_value();
    }
    std::optional<std::int32_t> freeBytes(const std::string& drive) override {
        ++freeQueries;
        const auto device = devices.find(drive);
        if (device != devices.end() && device->second.empty()) {
            return std::nullopt;
        }
        return next();
    }

    // Where each device's medium was mounted when the engine let it go, and what it answers.
    std::vector<std::string> released;
    std::string releaseProblem;
    std::string release(const std::string& drive) override {
        const auto device = devices.find(drive);
        if (device != devices.end()) {
            released.push_back(device->second);
        }
        return releaseProblem;
    }

private:
    static bool Holds(const std::string& folder, const std::string& path) {
        return path == folder || folder == "/" || path.rfind(folder + "/", 0) == 0;
    }

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
