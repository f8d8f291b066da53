// Drives: on this platform a drive is a mounted volume, named by its mount point.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zolvane::platform {

// The engines ask these questions through this interface, so tests can play an
// empty drive, a full disk or a swapped one.
class DriveQueries {
public:
    virtual ~DriveQueries() = default;

    // The roots of the machine's drives, removable media first: the mounted volumes that
    // hold files, and removable drives known to the system that have no medium now.
    virtual std::vector<std::string> listDrives() = 0;

    // The root of the drive that holds the path (which need not exist yet).
    virtual std::string driveOf(const std::string& path) = 0;

    // Whether the drive holds a disk that can be used now.
    virtual bool isReady(const std::string& drive) = 0;

    // The size of the largest file that can still be made on the drive: its free bytes,
    // less what the file system needs of them to keep a file that large. Capped at the
    // largest positive 32-bit value; empty when the drive is not ready.
    virtual std::optional<std::int32_t> freeBytes(const std::string& drive) = 0;
};

// The queries of the real system.
DriveQueries& SystemDrives();

}  // namespace zolvane::platform
