// File identity as device and inode numbers.
#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace zolvane::platform {
namespace {

bool SameIdentity(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           SameIdentity(first, second);
}

bool SameFile(std::FILE* stream, const std::string& path) {
    struct stat open {}, named {};
    return stream != nullptr && fstat(fileno(stream), &open) == 0 &&
           stat(path.c_str(), &named) == 0 && SameIdentity(open, named);
}

}  // namespace zolvane::platform
