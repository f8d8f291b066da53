#include "tests/support/Mount.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "tests/support/TempDir.h"

namespace zolvane::test {

TmpfsMount::TmpfsMount(std::string where, long bytes) : where_(std::move(where)), bytes_(bytes) {
    insert();
}

TmpfsMount::~TmpfsMount() {
    eject();
}

void TmpfsMount::eject() {
    if (mounted_) {
        umount2(where_.c_str(), MNT_DETACH);
        mounted_ = false;
    }
}

bool TmpfsMount::insert() {
    if (mounted_) {
        return true;
    }
    const std::string options = "size=" + std::to_string(bytes_) + ",mode=0777";
    mounted_ = mount("zolvane-test", where_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    return mounted_;
}

Ext2Floppy::Ext2Floppy(std::string where, std::string imageFolder, int reservedPercent)
    : where_(std::move(where)), imageFolder_(std::move(imageFolder)),
      reservedPercent_(reservedPercent) {
    if (!CanMount()) {
        problem_ = "needs root to loop-mount a floppy image";
    } else if (std::system("command -v mkfs.ext2 >/dev/null 2>&1") != 0) {
        problem_ = "mkfs.ext2 (e2fsprogs) is not installed";
    } else {
        insert();
    }
}

Ext2Floppy::~Ext2Floppy() {
    eject();
}

void Ext2Floppy::eject() {
    if (mounted_) {
        umount2(where_.c_str(), MNT_DETACH);
        mounted_ = false;
    }
}

bool Ext2Floppy::insert() {
    if (mounted_) {
        return true;
    }
    const std::string image = imageFolder_ + "/floppy-" + std::to_string(++disks_) + ".img";
    if (truncate(image.c_str(), 0) != 0) {
        WriteBytes(image, {});
    }
    if (truncate(image.c_str(), kBytes) != 0) {
        problem_ = "cannot make the image " + image;
        return false;
    }
    const std::string format = "mkfs.ext2 -q -F -m " + std::to_string(reservedPercent_) + " '" +
                               image + "' >/dev/null 2>&1";
    const std::string mount = "mount -o loop '" + image + "' '" + where_ + "' >/dev/null 2>&1";
    if (std::system(format.c_str()) != 0) {
        problem_ = "mkfs.ext2 failed on " + image;
        return false;
    }
    if (std::system(mount.c_str()) != 0) {
        problem_ = "cannot loop-mount " + image + " (no loop devices here?)";
        return false;
    }
    mounted_ = true;
    problem_.clear();
    return true;
}

}  // namespace zolvane::test
