// The attribute word mapped onto POSIX permissions and names.
#include "platform/FileAttributes.h"

#include <sys/stat.h>

namespace zolvane::platform {

std::int32_t ReadAttributeWord(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return -1;
    }
    std::int32_t word = 0;
    if ((info.st_mode & S_IWUSR) == 0) {
        word |= kAttributeReadOnly;
    }
    const auto slash = path.find_last_of('/');
    const auto nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (nameStart < path.size() && path[nameStart] == '.') {
        word |= kAttributeHidden;
    }
    if (S_ISREG(info.st_mode)) {
        word |= kAttributeArchive;
    }
    return word;
}

bool ApplyAttributeWord(const std::string& path, std::int32_t word) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return false;
    }
    mode_t mode = info.st_mode & 07777;
    if (word & kAttributeReadOnly) {
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    } else {
        mode |= S_IWUSR;
    }
    return chmod(path.c_str(), mode) == 0;
}

}  // namespace zolvane::platform
