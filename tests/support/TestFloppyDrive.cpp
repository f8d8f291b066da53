#include "tests/support/TestFloppyDrive.h"

#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/DiskService.h"

namespace zolvane::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far above the devices that `losetup -f` and `mount -o loop` hand out, so that a test
// mounting an image in parallel never takes our device in the moment of a swap.
constexpr int kFirstIndex = 200;
constexpr int kLastIndex = 999;
constexpr auto kMediumWait = 10s;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\n");
    const auto last = text.find_last_not_of(" \t\n");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The mount table writes spaces and the like as octal escapes.
std::string Unescaped(const std::string& field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            text += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

struct MountEntry {
    std::string point;
    std::string options;
};

std::vector<MountEntry> MountsOf(const std::string& device) {
    std::vector<MountEntry> mounts;
    std::ifstream table("/proc/self/mounts");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string source, point, type, options;
        if (fields >> source >> point >> type >> options && source == device) {
            mounts.push_back({Unescaped(point), options});
        }
    }
    return mounts;
}

std::string UdevProperty(const std::string& device, const std::string& name) {
    const ProgramResult info = RunTool("udevadm", {"info", "--query=property", "--name=" + device});
    std::istringstream lines(info.out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(name + "=", 0) == 0) {
            return line.substr(name.size() + 1);
        }
    }
    return "";
}

int LoopControl(unsigned long request, int index) {
    const int control = open("/dev/loop-control", O_RDWR | O_CLOEXEC);
    if (control < 0) {
        return -1;
    }
    const int result = ioctl(control, request, index);
    const int error = errno;
    close(control);
    errno = error;
    return result;
}

}  // namespace

TestFloppyDrive::TestFloppyDrive() {
    if (geteuid() != 0) {
        problem_ = "needs root to attach loop devices";
        return;
    }
    std::error_code error;
    imageFolder_ = fs::canonical(folder_.path(), error).string();
    for (int index = kFirstIndex; index <= kLastIndex && index_ < 0; ++index) {
        if (LoopControl(LOOP_CTL_ADD, index) == index) {
            index_ = index;
        } else if (errno != EEXIST) {
            problem_ = std::string("cannot add a loop device: ") + std::strerror(errno);
            return;
        }
    }
    if (index_ < 0) {
        problem_ = "no free loop device number";
        return;
    }
    device_ = "/dev/loop" + std::to_string(index_);
    if (!WaitFor([&] { return fs::exists(device_); }, kMediumWait)) {
        problem_ = device_ + " did not appear";
        return;
    }
    // A loop device is never removable for the kernel and UDisks2 hides those root made as
    // system disks; this rule makes ours look like a drive a user plugged in.
    rulePath_ = "/run/udev/rules.d/99-zolvane-test-loop" + std::to_string(index_) + ".rules";
    fs::create_directories("/run/udev/rules.d", error);
    std::ofstream rule(rulePath_, std::ios::trunc);
    rule << "SUBSYSTEM==\"block\", KERNEL==\"loop" << index_ << "\", ATTR{loop/backing_file}==\""
         << imageFolder_ << "/*.img\", ENV{UDISKS_SYSTEM}=\"0\", ENV{UDISKS_AUTO}=\"1\"\n";
    rule.close();
    if (!rule || RunTool("udevadm", {"control", "--reload"}).exitCode != 0) {
        problem_ = "cannot install the udev rule " + rulePath_ + " (is udevd running?)";
    }
}

TestFloppyDrive::~TestFloppyDrive() {
    if (index_ >= 0) {
        eject();
        // udev may still hold the device open after the detach for a moment.
        const auto removed = [&] { return LoopControl(LOOP_CTL_REMOVE, index_) == 0; };
        if (!WaitFor(removed, kMediumWait)) {
            ADD_FAILURE() << "cannot remove " << device_ << ": " << problem_;
        }
    }
    if (!rulePath_.empty()) {
        unlink(rulePath_.c_str());
        RunTool("udevadm", {"control", "--reload"});
    }
}

bool TestFloppyDrive::fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
}

std::string TestFloppyDrive::makeDisk(const std::string& label, const Files& files) {
    const std::string name = "disk-" + std::to_string(++disks_);
    const std::string image = imageFolder_ + "/" + name + ".img";
    const std::string contents = imageFolder_ + "/" + name;
    std::error_code error;
    fs::create_directories(contents, error);
    for (const auto& [path, bytes] : files) {
        fs::create_directories((fs::path(contents) / path).parent_path(), error);
        WriteBytes(contents + "/" + path, bytes);
    }
    WriteBytes(image, {});
    fs::resize_file(image, kBytes, error);
    const ProgramResult format =
        RunTool("mkfs.ext2", {"-q", "-F", "-L", label, "-d", contents, image});
    fs::remove_all(contents, error);
    if (format.exitCode != 0) {
        fail("mkfs.ext2 failed on " + image + ": " + format.err);
        return "";
    }
    return image;
}

bool TestFloppyDrive::insert(const std::string& image) {
    if (index_ < 0 || !eject()) {
        return false;
    }
    const std::string uuid = Trimmed(RunTool("blkid", {"-o", "value", "-s", "UUID", image}).out);
    if (uuid.empty()) {
        return fail("blkid finds no file system in " + image);
    }
    ProgramResult attach;
    const auto attached = [&] {
        attach = RunTool("losetup", {device_, image});
        return attach.exitCode == 0;
    };
    // A detach is only done when the last opener lets go, and udev may still be reading.
    if (!WaitFor(attached, kMediumWait)) {
        return fail("losetup " + device_ + " " + image + " failed: " + attach.err);
    }
    return waitForMedium(uuid);
}

bool TestFloppyDrive::eject() {
    if (index_ < 0 || !unmount()) {
        return false;
    }
    const std::string backing = "/sys/block/loop" + std::to_string(index_) + "/loop/backing_file";
    if (!fs::exists(backing)) {
        return true;
    }
    const ProgramResult detach = RunTool("losetup", {"-d", device_});
    if (detach.exitCode != 0) {
        return fail("losetup -d " + device_ + " failed: " + detach.err);
    }
    if (!WaitFor([&] { return !fs::exists(backing); }, kMediumWait)) {
        return fail(device_ + " stays attached; something holds it open");
    }
    return waitForMedium("");
}

// The file system's UUID tells this disk from the one before, even under the same label.
bool TestFloppyDrive::waitForMedium(const std::string& uuid) {
    const bool udisks = UDisksOnBus();
    const auto seen = [&] {
        return UdevProperty(device_, "ID_FS_UUID") == uuid &&
               (!udisks || udisksProperty("IdUUID") == uuid);
    };
    if (WaitFor(seen, kMediumWait)) {
        return true;
    }
    const std::string wanted = uuid.empty() ? "no disk" : "the disk " + uuid;
    std::string seenBy = "udev shows ID_FS_UUID='" + UdevProperty(device_, "ID_FS_UUID") +
                         "' ID_FS_LABEL='" + UdevProperty(device_, "ID_FS_LABEL") + "'";
    if (udisks) {
        seenBy += ", UDisks2 IdUUID='" + udisksProperty("IdUUID") + "' IdLabel='" +
                  udisksProperty("IdLabel") + "'";
    }
    return fail("after 10 s " + device_ + " still does not show " + wanted + ": " + seenBy);
}

std::string TestFloppyDrive::mountWithUDisks() {
    if (index_ < 0) {
        return "";
    }
    const ProgramResult mount =
        RunTool("udisksctl", {"mount", "--no-user-interaction", "--block-device", device_});
    if (mount.exitCode != 0) {
        fail("udisksctl mount " + device_ + " failed: " + mount.err);
        return "";
    }
    return mountPoint();
}

bool TestFloppyDrive::mountAt(const std::string& folder) {
    if (index_ < 0) {
        return false;
    }
    if (mount(device_.c_str(), folder.c_str(), "ext2", 0, nullptr) != 0) {
        return fail("mounting " + device_ + " at " + folder + " failed: " + std::strerror(errno));
    }
    return true;
}

bool TestFloppyDrive::unmount() {
    // A mount point may hold stacked mounts; the bound only stops a loop on a stuck one.
    for (int round = 0; round < 16; ++round) {
        const auto mounts = MountsOf(device_);
        if (mounts.empty()) {
            return true;
        }
        const MountEntry& top = mounts.back();
        // UDisks2 removes the folder it made only when it unmounts itself.
        if (top.options.find("uhelper=udisks2") != std::string::npos && UDisksOnBus() &&
            RunTool("udisksctl", {"unmount", "--no-user-interaction", "--block-device", device_})
                    .exitCode == 0) {
            continue;
        }
        if (umount2(top.point.c_str(), 0) != 0) {
            umount2(top.point.c_str(), MNT_DETACH);
        }
    }
    return MountsOf(device_).empty() || fail(device_ + " stays mounted at " + mountPoint());
}

std::string TestFloppyDrive::mountPoint() const {
    const auto mounts = MountsOf(device_);
    return mounts.empty() ? "" : mounts.front().point;
}

std::string TestFloppyDrive::udisksProperty(const std::string& name) const {
    const ProgramResult info = RunTool("udisksctl", {"info", "--block-device", device_});
    std::istringstream lines(info.out);
    std::string line;
    while (std::getline(lines, line)) {
        line = Trimmed(line);
        if (line.rfind(name + ":", 0) == 0) {
            return Trimmed(line.substr(name.size() + 1));
        }
    }
    return "";
}

}  // namespace zolvane::test
