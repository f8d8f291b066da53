// Drives on Linux. A disk that takes removable media is a drive by its device, and its
// medium is wherever it is mounted now (desktops mount every disk at a folder of its own
// label). Other drives are the mounted volumes, by mount point; so are folders meant for a
// medium (fstab entries, folders under /media) while nothing is mounted there, which keeps
// them from passing for the system disk they lie on.
#include <mntent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <set>
#include <thread>
#include <vector>

#include "platform/Drives.h"
#include "platform/posix/BlockDevices.h"
#include "platform/posix/ExtFileRoom.h"
#include "platform/posix/UDisks2.h"

namespace zolvane::platform {
namespace {

namespace fs = std::filesystem;

// The magic number statfs reports for ext2, ext3 and ext4 alike.
constexpr decltype(statfs::f_type) kExtMagic = 0xEF53;

// How long a readiness test waits for the disk service to see the file system of a medium
// just put in (it reads a new disk about half a second after the swap).
constexpr auto kMediumSettleTime = std::chrono::seconds(3);

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
    for (MountEntry& entry : entries) {
        while (entry.root.size() > 1 && entry.root.back() == '/') {
            entry.root.pop_back();
        }
    }
    return entries;
}

std::vector<MountEntry> Mounts() {
    return ReadMountTable("/proc/self/mounts");
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

bool UnderMediaFolder(const std::string& path) {
    return StartsWith(path, "/media/") || StartsWith(path, "/run/media/");
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
    return path == root || (path.size() > root.size() && StartsWith(path, root) &&
                            path[root.size()] == '/');
}

// The part of `path` below `root`, which contains it.
std::string Below(const std::string& root, const std::string& path) {
    if (path.size() <= root.size()) {
        return {};
    }
    return path.substr(root == "/" ? 1 : root.size() + 1);
}

// The folder a desktop would mount a medium at for this path: /media/USER/LABEL,
// /media/LABEL or /run/media/USER/LABEL. Empty when the path lies elsewhere.
std::string MediaFolderOf(const std::string& path) {
    std::vector<std::string> parts;
    for (const fs::path& part : fs::path(path).relative_path()) {
        parts.push_back(part.string());
    }
    auto join = [&](std::size_t count) {
        std::string folder;
        for (std::size_t i = 0; i < count; ++i) {
            folder += "/" + parts[i];
        }
        return folder;
    };
    if (parts.size() >= 4 && parts[0] == "run" && parts[1] == "media") {
        return join(4);
    }
    if (parts.size() < 2 || parts[0] != "media") {
        return {};
    }
    // /media/USER/LABEL where the first name is a user's, else /media/LABEL.
    if (parts.size() >= 3 && getpwnam(parts[1].c_str()) != nullptr) {
        return join(3);
    }
    return join(2);
}

// An fstab device as a path: LABEL=, UUID= and the like through udev's links.
std::string FstabDevicePath(const std::string& device) {
    static const std::pair<const char*, const char*> kTags[] = {
        {"LABEL=", "/dev/disk/by-label/"},
        {"UUID=", "/dev/disk/by-uuid/"},
        {"PARTUUID=", "/dev/disk/by-partuuid/"},
        {"PARTLABEL=", "/dev/disk/by-partlabel/"}};
    for (const auto& [tag, folder] : kTags) {
        if (StartsWith(device, tag)) {
            return folder + device.substr(std::string(tag).size());
        }
    }
    return device;
}

// Whether the disk service made the mount. It notes that among the options only mount
// helpers see (libmount's table of them), not in the kernel's table.
bool MountedByDiskService(const MountEntry& entry) {
    if (HasOption(entry.options, "uhelper=udisks2")) {
        return true;
    }
    std::ifstream table("/run/mount/utab");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string field, source, target;
        bool byService = false;
        while (fields >> field) {
            if (StartsWith(field, "SRC=")) {
                source = field.substr(4);
            } else if (StartsWith(field, "TARGET=")) {
                target = field.substr(7);
            } else if (StartsWith(field, "OPTS=") || StartsWith(field, "ATTRS=")) {
                byService = byService || HasOption(field.substr(field.find('=') + 1),
                                                   "uhelper=udisks2");
            }
        }
        if (byService && source == entry.device && target == entry.root) {
            return true;
        }
    }
    return false;
}

bool Usable(const std::string& root) {
    struct statvfs info {};
    return statvfs(root.c_str(), &info) == 0;
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

bool MountedAt(const std::vector<MountEntry>& mounts, const std::string& root) {
    if (mounts.empty()) {
        return LooksMounted(root);
    }
    return std::any_of(mounts.begin(), mounts.end(),
                       [&](const MountEntry& entry) { return entry.root == root; });
}

// The disk of a drive named by its device; empty for a drive named by a mount point.
std::string DiskOfDrive(const std::string& drive) {
    return StartsWith(drive, "/dev/") ? block::DiskOf(drive) : std::string();
}

// A device path below /dev names a place on the medium of the disk it begins with.
std::string DeviceDrivePrefix(const std::string& path) {
    for (fs::path candidate = path; candidate.has_relative_path();
         candidate = candidate.parent_path()) {
        if (!block::DiskOf(candidate.string()).empty()) {
            return candidate.string();
        }
        if (candidate.parent_path() == candidate) {
            break;
        }
    }
    return {};
}

class PosixDrives final : public DriveQueries {
public:
    std::vector<std::string> listDrives() override {
        const std::vector<MountEntry> mounts = Mounts();
        std::vector<std::string> devices, media, fixed;
        std::set<std::string> removableDisks;
        for (const std::string& disk : block::Disks()) {
            if (!holdsSystem(disk, mounts) && block::TakesRemovableMedia(disk)) {
                removableDisks.insert(disk);
                devices.push_back(block::DriveNameOf(disk));
            }
        }
        auto add = [&](std::vector<std::string>& group, const std::string& name) {
            for (const auto* listed : {&devices, &media, &fixed}) {
                if (std::find(listed->begin(), listed->end(), name) != listed->end()) {
                    return;
                }
            }
            group.push_back(name);
        };
        for (const MountEntry& entry : mounts) {
            if (!HoldsFiles(entry) || removableDisks.count(block::DiskOf(entry.device)) != 0) {
                continue;
            }
            add(UnderMediaFolder(entry.root) ? media : fixed, entry.root);
        }
        // A folder meant for a medium is still a drive while nothing is mounted there, unless
        // its device is listed already.
        for (const MountEntry& entry : ReadMountTable("/etc/fstab")) {
            if (entry.type == "swap" || entry.root == "/" ||
                !(HasOption(entry.options, "noauto") || UnderMediaFolder(entry.root)) ||
                removableDisks.count(block::DiskOf(FstabDevicePath(entry.device))) != 0) {
                continue;
            }
            add(media, entry.root);
        }
        std::sort(devices.begin(), devices.end());
        std::sort(media.begin(), media.end());
        std::sort(fixed.begin(), fixed.end());  // "/" sorts first
        devices.insert(devices.end(), media.begin(), media.end());
        devices.insert(devices.end(), fixed.begin(), fixed.end());
        return devices;
    }

    std::string describe(const std::string& drive) override {
        const std::string disk = DiskOfDrive(drive);
        if (disk.empty()) {
            return drive;
        }
        for (const MountEntry& entry : Mounts()) {
            if (block::DiskOf(entry.device) == disk) {
                return entry.root;
            }
        }
        const std::string model = block::ModelOf(disk);
        return "/dev/" + disk + (model.empty() ? "" : " (" + model + ")");
    }

    std::string driveOf(const std::string& path) override { return placeOf(path).drive; }

    DrivePlace placeOf(const std::string& path) override {
        const std::string target = Normalised(path);
        if (StartsWith(target, "/dev/")) {
            const std::string device = DeviceDrivePrefix(target);
            if (!device.empty()) {
                return {block::DriveNameOf(block::DiskOf(device)), Below(device, target), true};
            }
            // A drive that is not connected now: its name is all but the file's, and it is not
            // ready until it is back. Nothing is ever written below /dev itself.
            const std::string absent = fs::path(target).parent_path().string();
            return {absent, Below(absent, target), true};
        }
        const std::vector<MountEntry> mounts = Mounts();
        const MountEntry* holder = nullptr;
        for (const MountEntry& entry : mounts) {
            if (Contains(entry.root, target) &&
                (holder == nullptr || entry.root.size() >= holder->root.size())) {
                holder = &entry;
            }
        }
        const std::string holderRoot = holder != nullptr ? holder->root : "/";
        // A folder meant for a medium with nothing mounted on it is that medium's drive, not
        // ready, never the disk the bare folder lies on.
        for (const MountEntry& entry : ReadMountTable("/etc/fstab")) {
            if (entry.root != "/" && entry.type != "swap" && Contains(entry.root, target) &&
                entry.root.size() > holderRoot.size()) {
                const std::string disk = block::DiskOf(FstabDevicePath(entry.device));
                if (!disk.empty() && block::TakesRemovableMedia(disk)) {
                    return {block::DriveNameOf(disk), Below(entry.root, target), true};
                }
                return {entry.root, Below(entry.root, target), true};
            }
        }
        const std::string mediaFolder = MediaFolderOf(target);
        if (!mediaFolder.empty() && mediaFolder.size() > holderRoot.size()) {
            return {mediaFolder, Below(mediaFolder, target), true};
        }
        if (holder != nullptr) {
            const std::string disk = block::DiskOf(holder->device);
            if (!disk.empty() && !holdsSystem(disk, mounts) && block::TakesRemovableMedia(disk)) {
                return {block::DriveNameOf(disk), Below(holderRoot, target), true};
            }
            if (UnderMediaFolder(holderRoot)) {
                return {holderRoot, Below(holderRoot, target), true};
            }
        }
        return {holderRoot, path, false};
    }

    Medium medium(const std::string& drive) override {
        const std::string disk = DiskOfDrive(drive);
        if (disk.empty() && StartsWith(drive, "/dev/")) {
            return {{}, drive + ": ドライブが接続されていません"};
        }
        if (disk.empty()) {
            const std::string root = Normalised(drive);
            if (MountedAt(Mounts(), root) && Usable(root)) {
                return {root, {}};
            }
            return {{}, root + ": ディスクがマウントされていません"};
        }
        if (!block::HasMedium(disk)) {
            return {{}, "/dev/" + disk + ": ディスクが入っていません"};
        }
        for (const MountEntry& entry : Mounts()) {
            if (block::DiskOf(entry.device) == disk && Usable(entry.root)) {
                return {entry.root, {}};
            }
        }
        return mount(disk);
    }

    bool isReady(const std::string& drive) override { return !medium(drive).root.empty(); }

    // What a user may take, not what root may: the blocks an ext file system reserves
    // stay out. FAT and tmpfs give a file exactly their free space.
    std::optional<std::int32_t> freeBytes(const std::string& drive) override {
        const Medium now = medium(drive);
        struct statvfs info {};
        if (now.root.empty() || statvfs(now.root.c_str(), &info) != 0) {
            return std::nullopt;
        }
        const std::uint64_t blockSize = info.f_frsize != 0 ? info.f_frsize : info.f_bsize;
        std::uint64_t blocks = info.f_bavail;
        if (info.f_files != 0 && info.f_favail == 0) {
            blocks = 0;  // no file can be made without an inode
        }
        struct statfs kind {};
        if (statfs(now.root.c_str(), &kind) == 0 && kind.f_type == kExtMagic) {
            blocks = ExtLargestFileBlocks(blocks, blockSize);
        }
        constexpr std::uint64_t kCap = std::numeric_limits<std::int32_t>::max();
        if (blockSize != 0 && blocks > kCap / blockSize) {
            return static_cast<std::int32_t>(kCap);
        }
        return static_cast<std::int32_t>(blocks * blockSize);
    }

    // Only what the disk service mounted is unmounted: a mount the user made by hand (or
    // fstab's) is the user's to undo.
    std::string release(const std::string& drive) override {
        const std::string disk = DiskOfDrive(drive);
        if (disk.empty()) {
            return {};
        }
        for (const MountEntry& entry : Mounts()) {
            if (block::DiskOf(entry.device) != disk || !MountedByDiskService(entry)) {
                continue;
            }
            const std::string name = fs::canonical(entry.device).filename().string();
            const std::string error = udisks2::Unmount(name);
            if (!error.empty()) {
                return entry.root + ": アンマウントできません: " + error;
            }
        }
        return {};
    }

private:
    // A disk that holds the running system is never a drive to swap disks in.
    static bool holdsSystem(const std::string& disk, const std::vector<MountEntry>& mounts) {
        return std::any_of(mounts.begin(), mounts.end(), [&](const MountEntry& entry) {
            return entry.root == "/" && block::DiskOf(entry.device) == disk;
        });
    }

    // Mounts the medium nothing has mounted, as the user, through the disk service.
    static Medium mount(const std::string& disk) {
        const std::string device = "/dev/" + disk;
        if (!udisks2::Available()) {
            return {{}, device + ": ディスクがマウントされていません。マウントしてください"
                                 " (UDisks2 が動いていないため自動ではマウントできません)"};
        }
        const auto giveUp = std::chrono::steady_clock::now() + kMediumSettleTime;
        for (;;) {
            for (const std::string& name : block::DiskAndPartitions(disk)) {
                if (!udisks2::HasFileSystem(name)) {
                    continue;
                }
                const udisks2::MountResult mounted = udisks2::Mount(name);
                if (mounted.mountPoint.empty()) {
                    return {{}, "/dev/" + name + ": マウントできません: " + mounted.error};
                }
                return {mounted.mountPoint, {}};
            }
            if (std::chrono::steady_clock::now() >= giveUp) {
                return {{}, device + ": ファイルシステムが見つかりません"};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
};

}  // namespace

DriveQueries& SystemDrives() {
    static PosixDrives drives;
    return drives;
}

}  // namespace zolvane::platform
