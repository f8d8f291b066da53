// Drives. A drive of removable media is its device (a floppy or USB drive), whatever folder
// its current medium is mounted at; it stays a drive when no medium is in it. Any other
// drive is a mounted volume, named by its mount point.
//
// A drive's name is what the drive lists keep and the settings save: the device's path for
// a drive of removable media (its stable /dev/disk/by-id name where the system has one),
// the mount point for a fixed volume. A path that begins with a device's name names a place
// on the medium in that drive: "/dev/sdb/REPORT.DOC" is REPORT.DOC in the root of the disk
// in /dev/sdb, wherever that disk is mounted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zolvane::platform {

// Where a path lies. On a drive of removable media the path is kept relative to the root
// of the medium, so it names the same place on whichever disk is in the drive later.
struct DrivePlace {
    std::string drive;
    std::string relative;  // below the medium's root; on a fixed drive, the path as given
    bool removable = false;
};

// The medium in a drive now.
struct Medium {
    std::string root;     // where it is mounted; empty when the drive is not ready
    std::string problem;  // why it is not ready, for the user; empty when it is
};

// The engines and windows ask these questions through this interface, so tests can play
// an empty drive, a full disk or a swapped one.
class DriveQueries {
public:
    virtual ~DriveQueries() = default;

    // The names of the machine's drives, removable drives first: drives of removable
    // media with or without a medium, then the mounted volumes that hold files.
    virtual std::vector<std::string> listDrives() = 0;

    // How a drive list shows the drive: where its medium is mounted, else the device and
    // its model.
    virtual std::string describe(const std::string& drive) { return drive; }

    // The drive that holds the path (which need not exist yet).
    virtual std::string driveOf(const std::string& path) = 0;
    virtual DrivePlace placeOf(const std::string& path) { return {driveOf(path), path, false}; }

    // The readiness test: a drive is ready when a medium is mounted in it that can be
    // used now. A medium that nothing has mounted is mounted here when the system can.
    virtual Medium medium(const std::string& drive) {
        return isReady(drive) ? Medium{drive, {}} : Medium{{}, "no medium"};
    }
    virtual bool isReady(const std::string& drive) = 0;

    // The size of the largest file that can still be made on the drive: its free bytes,
    // less what the file system needs of them to keep a file that large. Capped at the
    // largest positive 32-bit value; empty when the drive is not ready.
    virtual std::optional<std::int32_t> freeBytes(const std::string& drive) = 0;

    // Before the user is asked for another disk: unmounts the medium when the system's
    // disk service mounted it, so the disk can be taken out. Empty when the disk may be
    // taken out (or the drive needs nothing), else why it may not.
    virtual std::string release(const std::string& /*drive*/) { return {}; }

    // The place on the medium now in its drive; empty when that drive is not ready, with
    // the reason in `problem` when one is given.
    std::optional<std::string> pathOn(const DrivePlace& place, std::string* problem = nullptr) {
        if (!place.removable) {
            return place.relative;
        }
        const Medium now = medium(place.drive);
        if (now.root.empty()) {
            if (problem != nullptr) {
                *problem = now.problem;
            }
            return std::nullopt;
        }
        if (place.relative.empty()) {
            return now.root;
        }
        return now.root == "/" ? "/" + place.relative : now.root + "/" + place.relative;
    }
};

// The queries of the real system.
DriveQueries& SystemDrives();

}  // namespace zolvane::platform
