// Drives as mount points: the mounted volumes, and the fstab entries of removable
// media that are not mounted at the moment (an empty floppy drive is still a drive).
#include <mntent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include "platform/Drives.h"
#include "platform/posix/ExtFileRoom.h"

namespace zolvane::platform {
namespace {

namespace fs = std::filesystem;

// The magic number statfs reports for ext2, ext3 and ext4 alike.
constexpr decltype(statfs::f_type) kExtMagic = 0xEF53;

std::vector<std::string> ReadMountPoints(const char* table) {
    std::vector<std::string> points;
    std::FILE* file = setmntent(table, "r");
    if (file == nullptr) {
        return points;
    }
    while (const mntent* entry = getmntent(file)) {
        if (entry->mnt_dir != nullptr && entry->mnt_dir[0] == '/') {
            points.push_back(fs::path(entry->mnt_dir).lexically_normal().string());
        }
    }
    endmntent(file);
    return points;
}

struct MountEntry {
    std::string device;
    std::string root;
    std::string type;
    std::string options;
};

std::vector<MountEntry> ReadMountTable(const char* table) {
    std::vector<MountEntry> entries;
    std::FILE* file = setmntent(table, "r");
    if (file == nullptr) {
        return entries;
    }
    while (const mntent* entry = getmntent(file)) {
        if (entry->mnt_dir != nullptr && entry->mnt_dir[0] == '/') {
            entries.push_back({entry->mnt_fsname != nullptr ? entry->mnt_fsname : "",
                               fs::path(entry->mnt_dir).lexically_normal().string(),
                               entry->mnt_type != nullptr ? entry->mnt_type : "",
                               entry->mnt_opts != nullptr ? entry->mnt_opts : ""});
        }
    }
    endmntent(file);
    return entries;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool HasOption(const std::string& options, const std::string& option) {
    std::size_t start = 0;
    while (start <= options.size()) {
        const auto comma = options.find(',', start);
        const auto end = comma == std::string::npos ? options.size() : comma;
        if (options.compare(start, end - start, option) == 0) {
            return true;
        }
        start = end + 1;
    }
    return false;
}

// The kernel's word on a block device: /sys/block/NAME/removable, for a partition that of
// the disk that holds it.
bool RemovableDevice(const std::string& device) {
    if (StartsWith(device, "/dev/fd") || StartsWith(device, "/dev/sr") ||
        StartsWith(device, "/dev/cdrom")) {
        return true;
    }
    if (!StartsWith(device, "/dev/")) {
        return false;
    }
    std::error_code error;
    const fs::path resolved = fs::canonical(device, error);
    if (error) {
        return false;
    }
    const fs::path block = fs::canonical("/sys/class/block" / resolved.filename(), error);
    if (error) {
        return false;
    }
    for (const fs::path& candidate : {block, block.parent_path()}) {
        std::ifstream flag(candidate / "removable");
        char value = '0';
        if (flag >> value) {
            return value == '1';
        }
    }
    return false;
}

// Volumes that hold the user's files: block devices and network shares, not the kernel's
// own file systems, not read-only images of installed software, and not single files
// mounted over others (as containers do).
bool HoldsFiles(const MountEntry& entry) {
    if (entry.root == "/") {
        return true;
    }
    static const char* const kNetwork[] = {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs"};
    const bool network = std::find(std::begin(kNetwork), std::end(kNetwork), entry.type) !=
                         std::end(kNetwork);
    if (!network && !StartsWith(entry.device, "/dev/")) {
        return false;
    }
    if (entry.type == "squashfs" || entry.type == "swap") {
        return false;
    }
    for (const char* system : {"/proc", "/sys", "/dev", "/snap", "/boot/efi"}) {
        if (entry.root == system || StartsWith(entry.root, std::string(system) + "/")) {
            return false;
        }
    }
    if (StartsWith(entry.root, "/run/") && !StartsWith(entry.root, "/run/media/")) {
        return false;
    }
    std::error_code error;
    return fs::is_directory(entry.root, error);
}

bool RemovableEntry(const MountEntry& entry) {
    return StartsWith(entry.root, "/media/") || StartsWith(entry.root, "/run/media/") ||
           RemovableDevice(entry.device);
}

std::string Normalised(const std::string& path) {
    std::error_code error;
    fs::path absolute = fs::absolute(path.empty() ? fs::path(".") : fs::path(path), error);
    if (error) {
        absolute = fs::path(path);
    }
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

bool Contains(const std::string& root, const std::string& path) {
    if (root == "/") {
        return !path.empty() && path.front() == '/';
    }
    std::string trimmed = root;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    return path == trimmed ||
           (path.size() > trimmed.size() && path.compare(0, trimmed.size(), trimmed) == 0 &&
            path[trimmed.size()] == '/');
}

// When the mount table cannot be read, a root is mounted when it lies on another
// device than its parent folder.
bool LooksMounted(const std::string& root) {
    if (root == "/") {
        return true;
    }
    struct stat self {
    }, parent{};
    return stat(root.c_str(), &self) == 0 &&
           stat(fs::path(root).parent_path().c_str(), &parent) == 0 && self.st_dev != parent.st_dev;
}

class PosixDrives final : public DriveQueries {
public:
    std::vector<std::string> listDrives() override {
        std::vector<std::string> removable, fixed;
        auto add = [&](const std::string& root, bool isRemovable) {
            if (std::find(removable.begin(), removable.end(), root) == removable.end() &&
                std::find(fixed.begin(), fixed.end(), root) == fixed.end()) {
                (isRemovable ? removable : fixed).push_back(root);
            }
        };
        for (const MountEntry& entry : ReadMountTable("/proc/self/mounts")) {
            if (HoldsFiles(entry)) {
                add(entry.root, RemovableEntry(entry));
            }
        }
        // A removable drive without a medium is still a drive; the system names it in
        // fstab, to be mounted when a medium is put in.
        for (const MountEntry& entry : ReadMountTable("/etc/fstab")) {
            if (entry.type != "swap" && entry.root != "/" &&
                (HasOption(entry.options, "noauto") || RemovableEntry(entry))) {
                add(entry.root, true);
            }
        }
        std::sort(removable.begin(), removable.end());
        std::sort(fixed.begin(), fixed.end());  // "/" sorts first
        removable.insert(removable.end(), fixed.begin(), fixed.end());
        return removable;
    }

    std::string driveOf(const std::string& path) override {
        const std::string target = Normalised(path);
        std::string best = "/";
        for (const char* table : {"/proc/self/mounts", "/etc/fstab"}) {
            for (const std::string& point : ReadMountPoints(table)) {
                if (point.size() > best.size() && Contains(point, target)) {
                    best = point;
                }
            }
        }
        return best;
    }

    bool isReady(const std::string& drive) override {
        if (!isMounted(drive)) {
            return false;
        }
        struct statvfs info {};
        return statvfs(drive.c_str(), &info) == 0;
    }

    // What a user may take, not what root may: the blocks an ext file system reserves
    // stay out. FAT and tmpfs give a file exactly their free space.
    std::optional<std::int32_t> freeBytes(const std::string& drive) override {
        struct statvfs info {};
        if (!isMounted(drive) || statvfs(drive.c_str(), &info) != 0) {
            return std::nullopt;
        }
        const std::uint64_t blockSize = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
        std::uint64_t blocks = info.f_bavail;
        if (info.f_files != 0 && info.f_favail == 0) {
            blocks = 0;  // no file can be made without an inode
        }
        struct statfs kind {};
        if (statfs(drive.c_str(), &kind) == 0 && kind.f_type == kExtMagic) {
            blocks = ExtLargestFileBlocks(blocks, blockSize);
        }
        constexpr std::uint64_t kCap = std::numeric_limits<std::int32_t>::max();
        if (blockSize != 0 && blocks > kCap / blockSize) {
            return static_cast<std::int32_t>(kCap);
        }
        return static_cast<std::int32_t>(blocks * blockSize);
    }

private:
    static bool isMounted(const std::string& drive) {
        const std::string root = Normalised(drive);
        const std::vector<std::string> mounted = ReadMountPoints("/proc/self/mounts");
        if (mounted.empty()) {
            return LooksMounted(root);
        }
        for (const std::string& point : mounted) {
            if (point == root) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace

DriveQueries& SystemDrives() {
    static PosixDrives drives;
    return drives;
}

}  // namespace zolvane::platform
