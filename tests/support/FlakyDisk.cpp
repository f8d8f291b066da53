#include "tests/support/FlakyDisk.h"

#include <endian.h>
#include <fcntl.h>
#include <linux/loop.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

namespace zolvane::test {
namespace {

constexpr const char* kTool = ZOLVANE_FLAKYDISK;
// How long the FUSE server may take to come up or to go away: 200 polls of 25 ms.
constexpr int kPolls = 200;
constexpr useconds_t kPollMicroseconds = 25000;

// Runs a program found on PATH with no shell in between; its standard output goes to `out`
// when given, and is dropped otherwise, as is its standard error. Returns the exit code.
int Run(const std::vector<std::string>& args, std::string* out = nullptr) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return -1;
    }
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(devNull, 0);
        dup2(out != nullptr ? pipeFds[1] : devNull, 1);
        dup2(devNull, 2);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(devNull);
    close(pipeFds[1]);
    char buffer[256];
    for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
        if (out != nullptr) {
            out->append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(pipeFds[0]);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool OnPath(const std::string& program) {
    return Run({"sh", "-c", "command -v " + program}) == 0;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::uint32_t Le32(const unsigned char* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return le32toh(value);
}

// The first block that no ext2 block bitmap marks as in use, read from the image itself;
// -1 when the image holds no ext2 or has no free block.
long FirstFreeBlock(const std::string& image, long* blockBytes) {
    const int fd = open(image.c_str(), O_RDONLY | O_CLOEXEC);
    unsigned char super[1024];
    if (fd < 0 || pread(fd, super, sizeof super, 1024) != sizeof super ||
        (super[56] | super[57] << 8) != 0xEF53) {
        close(fd);
        return -1;
    }
    const long blocks = Le32(super + 4);
    const long firstData = Le32(super + 20);
    *blockBytes = 1024L << Le32(super + 24);
    const long perGroup = Le32(super + 32);
    const long groups = (blocks - firstData + perGroup - 1) / perGroup;
    std::vector<unsigned char> descriptors(static_cast<std::size_t>(groups) * 32);
    std::vector<unsigned char> bitmap(static_cast<std::size_t>(*blockBytes));
    long found = -1;
    if (pread(fd, descriptors.data(), descriptors.size(), (firstData + 1) * *blockBytes) ==
        static_cast<ssize_t>(descriptors.size())) {
        for (long group = 0; group < groups && found < 0; ++group) {
            const long at = Le32(descriptors.data() + group * 32) * *blockBytes;
            if (pread(fd, bitmap.data(), bitmap.size(), at) !=
                static_cast<ssize_t>(bitmap.size())) {
                break;
            }
            for (long bit = 0; bit < perGroup && found < 0; ++bit) {
                const long block = firstData + group * perGroup + bit;
                if (block < blocks &&
                    (bitmap[static_cast<std::size_t>(bit / 8)] & (1 << bit % 8)) == 0) {
                    found = block;
                }
            }
        }
    }
    close(fd);
    return found;
}

}  // namespace

FlakyDisk::FlakyDisk(std::string where, std::string label)
    : where_(std::move(where)), image_(temp_.file("floppy.img")), fuseDir_(temp_.file("served")) {
    if (geteuid() != 0) {
        problem_ = "needs root to mount a FUSE file system and a loop device";
    } else if (std::string(kTool).empty() || access(kTool, X_OK) != 0) {
        problem_ = "zolvane-flakydisk was not built (libfuse3-dev missing?)";
    } else if (access("/dev/fuse", R_OK | W_OK) != 0) {
        problem_ = "no /dev/fuse here";
    } else if (access("/dev/loop-control", R_OK | W_OK) != 0) {
        problem_ = "no loop devices here";
    } else if (!OnPath("losetup") || !OnPath("mkfs.ext2")) {
        problem_ = "losetup (util-linux) or mkfs.ext2 (e2fsprogs) is not installed";
    } else {
        start(label);
    }
}

FlakyDisk::~FlakyDisk() {
    if (mounted_ && umount2(where_.c_str(), 0) != 0) {
        umount2(where_.c_str(), MNT_DETACH);
    }
    if (!loop_.empty()) {
        // A device still in use (a lazy unmount) lets go of the image once it is free.
        const int fd = open(loop_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            ioctl(fd, LOOP_CLR_FD, 0);
            close(fd);
        }
    }
    stopServer();
}

bool FlakyDisk::start(const std::string& label) {
    if (truncate(image_.c_str(), 0) != 0) {
        WriteBytes(image_, {});
    }
    if (truncate(image_.c_str(), kBytes) != 0 || mkdir(fuseDir_.c_str(), 0700) != 0) {
        problem_ = "cannot make the image in " + temp_.path().string();
        return false;
    }
    if (!startServer()) {
        return false;
    }
    const std::string served = fuseDir_ + "/disk";
    // The loop device's own direct I/O keeps a second copy of the disk out of the page cache;
    // some kernels refuse it, and the served file is direct I/O anyway.
    std::string device;
    if (Run({"losetup", "-f", "--show", "--direct-io=on", served}, &device) != 0) {
        device.clear();
        if (Run({"losetup", "-f", "--show", served}, &device) != 0) {
            problem_ = "cannot attach a loop device to " + served;
            return false;
        }
    }
    loop_ = device.substr(0, device.find('\n'));
    std::vector<std::string> format = {"mkfs.ext2", "-q", "-F"};
    if (!label.empty()) {
        format.insert(format.end(), {"-L", label});
    }
    format.push_back(loop_);
    if (Run(format) != 0) {
        problem_ = "mkfs.ext2 failed on " + loop_;
        return false;
    }
    return remount();
}

bool FlakyDisk::startServer() {
    const std::string log = temp_.file("flakydisk.log");
    const std::vector<std::string> args = {
        kTool, image_, fuseDir_, "-f", "-s", "-o", "fsname=zolvane-flakydisk"};
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    server_ = fork();
    if (server_ == 0) {
        // A test run that dies must not leave the server behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        dup2(in, 0);
        dup2(out, 1);
        dup2(out, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(in);
    close(out);
    struct stat served {};
    for (int poll = 0; server_ > 0 && poll < kPolls; ++poll) {
        if (stat((fuseDir_ + "/disk").c_str(), &served) == 0 && served.st_size == kBytes) {
            return true;
        }
        if (waitpid(server_, nullptr, WNOHANG) == server_) {
            server_ = -1;
            break;
        }
        usleep(kPollMicroseconds);
    }
    problem_ = "zolvane-flakydisk did not come up: " + Slurp(log);
    return false;
}

void FlakyDisk::stopServer() {
    if (server_ > 0) {
        kill(server_, SIGTERM);
        bool gone = false;
        for (int poll = 0; poll < kPolls && !gone; ++poll) {
            gone = waitpid(server_, nullptr, WNOHANG) == server_;
            if (!gone) {
                usleep(kPollMicroseconds);
            }
        }
        if (!gone) {
            kill(server_, SIGKILL);
            waitpid(server_, nullptr, 0);
        }
        server_ = -1;
    }
    // The server unmounts itself when it ends well; this is for when it did not.
    umount2(fuseDir_.c_str(), MNT_DETACH);
}

bool FlakyDisk::command(const std::string& line) {
    const int fd = open((fuseDir_ + "/ctl").c_str(), O_WRONLY | O_CLOEXEC);
    const std::string text = line + "\n";
    const bool ok =
        fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    if (fd >= 0) {
        close(fd);
    }
    return ok;
}

bool FlakyDisk::failWrites(long firstSector, long lastSector) {
    return command("fail-write " + std::to_string(firstSector) + "-" + std::to_string(lastSector));
}

bool FlakyDisk::failReads(long firstSector, long lastSector) {
    return command("fail-read " + std::to_string(firstSector) + "-" + std::to_string(lastSector));
}

bool FlakyDisk::heal() {
    return command("heal");
}

long FlakyDisk::failFreeSpaceWrites() {
    // The bitmaps on the image are current only once the file system has written them.
    const int fd = open(where_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        syncfs(fd);
        close(fd);
    }
    long blockBytes = 0;
    const long block = FirstFreeBlock(image_, &blockBytes);
    const long sector = block * (blockBytes / kSectorBytes);
    return block >= 0 && failWrites(sector, kLastSector) ? sector : -1;
}

long FlakyDisk::counter(const std::string& name) const {
    std::istringstream state(Slurp(fuseDir_ + "/ctl"));
    std::string key;
    long value = 0;
    while (state >> key) {
        if (key == name && state >> value) {
            return value;
        }
    }
    return -1;
}

long FlakyDisk::failedWrites() const {
    return counter("failed-writes");
}

long FlakyDisk::failedReads() const {
    return counter("failed-reads");
}

bool FlakyDisk::unmount() {
    if (mounted_ && umount2(where_.c_str(), 0) != 0) {
        return false;
    }
    mounted_ = false;
    return true;
}

bool FlakyDisk::remount() {
    if (!unmount()) {
        problem_ = "cannot unmount " + where_;
        return false;
    }
    mounted_ = mount(loop_.c_str(), where_.c_str(), "ext2", 0, nullptr) == 0;
    if (!mounted_) {
        problem_ = "cannot mount " + loop_ + " at " + where_ + ": " + std::strerror(errno);
        return false;
    }
    problem_.clear();
    return true;
}

}  // namespace zolvane::test
