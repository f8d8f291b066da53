#include "tests/support/Mount.h"

#include <sys/mount.h>

#include <utility>

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

}  // namespace zolvane::test
