// One loop device that plays a USB floppy drive for udev and UDisks2: its disks are labelled
// ext2 images in a folder of its own, and a swap detaches and reattaches the same device, as
// a real drive keeps its name while media come and go. Needs a live DiskService, made before
// the drive so that UDisks2 is still there to unmount what it mounted.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tests/support/TempDir.h"

namespace zolvane::test {

class TestFloppyDrive {
public:
    TestFloppyDrive();
    // Unmounts, detaches and removes the device, its udev rule and its images.
    ~TestFloppyDrive();
    TestFloppyDrive(const TestFloppyDrive&) = delete;
    TestFloppyDrive& operator=(const TestFloppyDrive&) = delete;

    // Empty while all went well; otherwise what failed last, for the test's message.
    const std::string& problem() const { return problem_; }
    // "/dev/loopN", the same for every disk.
    const std::string& device() const { return device_; }

    using Files = std::vector<std::pair<std::string, Bytes>>;
    // A formatted 1440 KB disk holding `files` (relative paths); returns its image, or empty.
    std::string makeDisk(const std::string& label, const Files& files = {});

    // Ejects the disk that is in, puts in `image` and waits until udev, and UDisks2 if it
    // runs, have read this very disk.
    bool insert(const std::string& image);
    // Unmounts the disk wherever it is mounted and takes it out.
    bool eject();

    // Where UDisks2 mounted the disk, or empty.
    std::string mountWithUDisks();
    bool mountAt(const std::string& folder);
    // Every mount of the disk, through UDisks2 where it made the mount.
    bool unmount();
    // The first mount point of the disk in this process's mount table, or empty.
    std::string mountPoint() const;

    // A property as `udisksctl info` shows it ("HintSystem", "IdLabel"), or empty.
    std::string udisksProperty(const std::string& name) const;

    static constexpr long kBytes = 1474560;

private:
    bool fail(std::string problem);
    bool waitForMedium(const std::string& uuid);

    TempDir folder_;
    std::string imageFolder_;
    std::string rulePath_;
    int index_ = -1;
    std::string device_;
    int disks_ = 0;
    std::string problem_;
};

}  // namespace zolvane::test
