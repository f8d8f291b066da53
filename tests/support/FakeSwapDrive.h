// A drive of removable media whose disks mount at folders of their own, as desktops mount
// them: the test moves `mountedAt` from folder to folder (or empties it: no disk) at the
// prompts, and the engines must follow.
#pragma once

#include <string>
#include <vector>

#include "tests/support/FakeDrives.h"

namespace zolvane::test {

class FakeSwapDrive final : public FakeDrives {
public:
    std::string name = "/dev/fakefd";
    std::string mountedAt;  // the disk in the drive; empty when there is none
    // Where the disk was mounted each time the engine let it go.
    std::vector<std::string> released;
    std::string releaseProblem;  // what release answers

    platform::DrivePlace placeOf(const std::string& path) override {
        for (const std::string& folder : {name, mountedAt}) {
            if (!folder.empty() && path.rfind(folder + "/", 0) == 0) {
                return {name, path.substr(folder.size() + 1), true};
            }
        }
        return {FakeDrives::driveOf(path), path, false};
    }
    std::string driveOf(const std::string& path) override {
        return placeOf(path).removable ? name : FakeDrives::driveOf(path);
    }
    platform::Medium medium(const std::string& drive) override {
        if (drive != name) {
            return FakeDrives::medium(drive);
        }
        return mountedAt.empty() ? platform::Medium{{}, name + ": no disk"}
                                 : platform::Medium{mountedAt, {}};
    }
    bool isReady(const std::string& drive) override {
        return drive == name ? !mountedAt.empty() : FakeDrives::isReady(drive);
    }
    std::optional<std::int32_t> freeBytes(const std::string& drive) override {
        if (drive == name && mountedAt.empty()) {
            return std::nullopt;
        }
        return FakeDrives::freeBytes(drive);
    }
    std::string release(const std::string& drive) override {
        if (drive == name) {
            released.push_back(mountedAt);
        }
        return releaseProblem;
    }
};

}  // namespace zolvane::test
