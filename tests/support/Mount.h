// Small disks for tests that need a disk to really run full or be swapped: a tmpfs, and a
// loop-mounted ext2 floppy image as Linux users format them.
#pragma once

#include <string>

namespace zolvane::test {

class TmpfsMount {
public:
    // Mounts a tmpfs of `bytes` at `where` (which must exist). Check ok() afterwards.
    TmpfsMount(std::string where, long bytes);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool ok() const { return mounted_; }
    // Takes the disk out; a later insert() puts in a fresh, empty one.
    void eject();
    bool insert();

private:
    std::string where_;
    long bytes_;
    bool mounted_ = false;
};

// A 1440 KB floppy formatted with ext2 and mounted through a loop device. Every insert()
// puts in a freshly formatted disk.
class Ext2Floppy {
public:
    // `reservedPercent` is mkfs's share of blocks kept for root; the images live in
    // `imageFolder`.
    Ext2Floppy(std::string where, std::string imageFolder, int reservedPercent);
    ~Ext2Floppy();
    Ext2Floppy(const Ext2Floppy&) = delete;
    Ext2Floppy& operator=(const Ext2Floppy&) = delete;

    // Empty when the disk is in; otherwise why it could not be made or mounted.
    const std::string& problem() const { return problem_; }
    void eject();
    bool insert();

    static constexpr long kBytes = 1474560;

private:
    std::string where_;
    std::string imageFolder_;
    int reservedPercent_;
    int disks_ = 0;
    bool mounted_ = false;
    std::string problem_;
};

}  // namespace zolvane::test
