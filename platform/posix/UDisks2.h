// UDisks2, the desktop's disk service, on the system bus: whether it counts a block device
// as part of the system, and mounting and unmounting media as the user. Where the service
// does not run, every call says so and changes nothing.
#pragma once

#include <optional>
#include <string>

namespace zolvane::platform::udisks2 {

// Whether the service is on the system bus now.
bool Available();

// False for a device the service would offer the user as removable (HintSystem).
// Empty when the service does not know the device or does not run.
std::optional<bool> IsSystemDevice(const std::string& kernelName);

// Whether the service has found a file system on the device.
bool HasFileSystem(const std::string& kernelName);

struct MountResult {
    std::string mountPoint;  // empty when it failed
    std::string error;       // the service's reason
};

// Mounts the file system on the device where the service mounts media for this user.
MountResult Mount(const std::string& kernelName);

// Empty when done, else the service's reason.
std::string Unmount(const std::string& kernelName);

}  // namespace zolvane::platform::udisks2
