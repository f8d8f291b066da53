// A floppy with bad sectors on demand, for tests that must prove a write that never reached
// the medium is reported: a 1440 KB ext2 image served by zolvane-flakydisk (a FUSE file
// system of ours that fails chosen sectors), attached to a loop device and mounted with
// default options. Writes are buffered as on any mount, so a failing sector shows at fsync,
// sync or unmount, not at write().
#pragma once

#include <sys/types.h>

#include <string>

#include "tests/support/TempDir.h"

namespace zolvane::test {

class FlakyDisk {
public:
    static constexpr long kBytes = 1474560;
    static constexpr long kSectorBytes = 512;
    static constexpr long kLastSector = kBytes / kSectorBytes - 1;

    // Formats the disk (with `label` when given) and mounts it at `where`, which must exist.
    // Check problem() afterwards.
    explicit FlakyDisk(std::string where, std::string label = {});
    // Takes everything down again, whatever state a failed test left it in.
    ~FlakyDisk();
    FlakyDisk(const FlakyDisk&) = delete;
    FlakyDisk& operator=(const FlakyDisk&) = delete;

    // Empty while the disk works as asked; otherwise why it could not be set up, for
    // GTEST_SKIP.
    const std::string& problem() const { return problem_; }
    const std::string& mountPoint() const { return where_; }
    const std::string& loopDevice() const { return loop_; }
    // The image's bytes are exactly what reached the medium.
    const std::string& imagePath() const { return image_; }

    // Sectors are 512 bytes from the start of the disk, both ends inclusive; kLastSector
    // reaches the end. Ranges add up until heal().
    bool failWrites(long firstSector, long lastSector);
    bool failReads(long firstSector, long lastSector);
    bool heal();
    // Fails writes to every block the file system has not used yet, so what it allocates
    // from now on (the data of new files) fails while the superblock, bitmaps, inode table
    // and existing folders are still written. Returns the first failing sector, -1 on
    // error.
    long failFreeSpaceWrites();
    // How many reads and writes the disk has failed so far; -1 when it cannot tell.
    long failedWrites() const;
    long failedReads() const;

    // A remount drops the kernel's caches, so what a test reads afterwards came from the
    // image.
    bool unmount();
    bool remount();

private:
    bool start(const std::string& label);
    bool startServer();
    bool command(const std::string& line);
    long counter(const std::string& name) const;
    void stopServer();

    std::string where_;
    TempDir temp_;
    std::string image_;
    std::string fuseDir_;
    std::string loop_;
    pid_t server_ = -1;
    bool mounted_ = false;
    std::string problem_;
};

}  // namespace zolvane::test
