// Block devices from sysfs, udev's database (through sd-device) and, for the last word on
// removable media, UDisks2.
#include "platform/posix/BlockDevices.h"

#include <sys/stat.h>
#include <systemd/sd-device.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/posix/UDisks2.h"

namespace zolvane::platform::block {
namespace {

namespace fs = std::filesystem;

std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n')) {
        line.pop_back();
    }
    return line;
}

// A udev property of the device; empty when udev does not run or did not set it.
std::string UdevProperty(const std::string& kernelName, const char* key) {
    sd_device* device = nullptr;
    if (sd_device_new_from_subsystem_sysname(&device, "block", kernelName.c_str()) < 0) {
        return {};
    }
    const char* value = nullptr;
    std::string text;
    if (sd_device_get_property_value(device, key, &value) >= 0 && value != nullptr) {
        text = value;
    }
    sd_device_unref(device);
    return text;
}

bool IsBlockDevice(const fs::path& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISBLK(info.st_mode);
}

// Disks that never hold a user's medium: memory and compressed swap.
bool Ignored(const std::string& disk) {
    return disk.rfind("ram", 0) == 0 || disk.rfind("zram", 0) == 0;
}

}  // namespace

std::vector<std::string> Disks() {
    std::vector<std::string> disks;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/sys/block", error)) {
        const std::string name = entry.path().filename().string();
        if (!Ignored(name)) {
            disks.push_back(name);
        }
    }
    std::sort(disks.begin(), disks.end());
    return disks;
}

std::string DiskOf(const std::string& devicePath) {
    std::error_code error;
    const fs::path device = fs::canonical(devicePath, error);
    if (error || !IsBlockDevice(device)) {
        return {};
    }
    const fs::path entry = fs::canonical("/sys/class/block" / device.filename(), error);
    if (error) {
        return {};
    }
    if (fs::exists(entry / "partition", error)) {
        return entry.parent_path().filename().string();
    }
    return entry.filename().string();
}

std::vector<std::string> DiskAndPartitions(const std::string& disk) {
    std::vector<std::string> names{disk};
    std::vector<std::string> partitions;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/sys/block/" + disk, error)) {
        if (fs::exists(entry.path() / "partition", error)) {
            partitions.push_back(entry.path().filename().string());
        }
    }
    std::sort(partitions.begin(), partitions.end());
    names.insert(names.end(), partitions.begin(), partitions.end());
    return names;
}

bool HasMedium(const std::string& disk) {
    const std::string size = ReadLine("/sys/block/" + disk + "/size");
    return !size.empty() && size != "0";
}

bool TakesRemovableMedia(const std::string& disk) {
    const std::string hint = UdevProperty(disk, "UDISKS_SYSTEM");
    if (hint == "0") {
        return true;
    }
    if (hint == "1") {
        return false;
    }
    if (ReadLine("/sys/block/" + disk + "/removable") == "1") {
        return true;
    }
    const std::string bus = UdevProperty(disk, "ID_BUS");
    if (bus == "usb" || bus == "ieee1394" || UdevProperty(disk, "ID_DRIVE_FLASH_SD") == "1") {
        return true;
    }
    // An unused loop device has nothing to ask the service about.
    if (disk.rfind("loop", 0) == 0 && !HasMedium(disk)) {
        return false;
    }
    for (const std::string& name : DiskAndPartitions(disk)) {
        if (const std::optional<bool> system = udisks2::IsSystemDevice(name)) {
            return !*system;
        }
    }
    return false;
}

std::string DriveNameOf(const std::string& disk) {
    const fs::path device = "/dev/" + disk;
    std::vector<std::string> links;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/dev/disk/by-id", error)) {
        std::error_code resolve;
        if (fs::canonical(entry.path(), resolve) == device && !resolve) {
            links.push_back(entry.path().string());
        }
    }
    if (links.empty()) {
        return device.string();
    }
    // The connection's own name ("usb-...") reads better than a world-wide number.
    std::sort(links.begin(), links.end(), [](const std::string& a, const std::string& b) {
        const bool aWwn = a.find("/wwn-") != std::string::npos;
        const bool bWwn = b.find("/wwn-") != std::string::npos;
        return aWwn != bWwn ? bWwn : a < b;
    });
    return links.front();
}

std::string ModelOf(const std::string& disk) {
    const fs::path device = "/sys/block/" + disk + "/device";
    std::string vendor = ReadLine(device / "vendor");
    const std::string model = ReadLine(device / "model");
    if (vendor.empty()) {
        return model;
    }
    return model.empty() ? vendor : vendor + " " + model;
}

}  // namespace zolvane::platform::block
