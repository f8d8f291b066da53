#include "tests/support/DiskService.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

namespace zolvane::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Not a tmpfs on every machine, so nothing here trusts a record without checking the process.
const std::string kStateDir = "/run/zolvane-test-disks";
const std::string kStartedFile = kStateDir + "/started";
const std::string kBusSocket = "/run/dbus/system_bus_socket";
const std::string kBusPidFile = "/run/dbus/pid";
constexpr auto kStartWait = 10s;
constexpr auto kStopWait = 10s;
// Tests of the other mode run a few seconds each; this only guards against a hung one.
constexpr auto kOtherModeWait = 180s;

// Our own bus has no service activation: nothing can start udisksd or polkitd behind our
// back, so a test without UDisks2 really has none, and nothing outlives the bus.
const char* const kBusConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <pidfile>/run/dbus/pid</pidfile>
  <auth>EXTERNAL</auth>
  <listen>unix:path=/run/dbus/system_bus_socket</listen>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus.Introspectable"/>
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus.Properties"/>
  </policy>
  <includedir>/usr/share/dbus-1/system.d</includedir>
  <includedir>/etc/dbus-1/system.d</includedir>
</busconfig>
)";

// A process as recorded by the test that started it; the start time tells a reused PID.
struct Started {
    std::string name;
    pid_t pid = -1;
    std::string startTime;
};

struct ProcessState {
    char state = '?';
    std::string startTime;
    std::string comm;
};

std::optional<ProcessState> ReadProcess(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) {
        return std::nullopt;
    }
    // The name is in parentheses and may hold spaces or parentheses of its own.
    const auto open = line.find('(');
    const auto close = line.rfind(')');
    if (open == std::string::npos || close == std::string::npos) {
        return std::nullopt;
    }
    ProcessState process;
    process.comm = line.substr(open + 1, close - open - 1);
    std::istringstream fields(line.substr(close + 2));
    std::string field;
    for (int number = 3; fields >> field; ++number) {
        if (number == 3) {
            process.state = field[0];
        } else if (number == 22) {
            process.startTime = field;
            break;
        }
    }
    return process;
}

// Zombies count as gone: whoever inherits a daemon may reap it late.
bool Living(const ProcessState& process) {
    return process.state != 'Z' && process.state != 'X';
}

bool IsRunning(const Started& started) {
    const auto process = ReadProcess(started.pid);
    return process && Living(*process) && process->startTime == started.startTime;
}

bool AnyProcessNamed(const std::string& comm) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) {
            continue;
        }
        const auto process = ReadProcess(std::stoi(name));
        if (process && Living(*process) && process->comm == comm) {
            return true;
        }
    }
    return false;
}

bool BusAnswers() {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, kBusSocket.c_str(), sizeof(address.sun_path) - 1);
    const bool answers = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return answers;
}

bool UdevAnswers() {
    return RunTool("udevadm", {"control", "--ping", "--timeout=1"}).exitCode == 0;
}

// Starts a daemon outside this process's session with its output in a log, so that it may
// outlive this test for the next one and ctest never waits on a pipe it inherited.
pid_t SpawnDaemon(const std::vector<std::string>& command, const std::string& logPath) {
    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        pid_t daemon = fork();
        if (daemon == 0) {
            const int in = open("/dev/null", O_RDONLY);
            const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(in, 0);
            dup2(log, 1);
            dup2(log, 2);
            // Above all, no lock of ours may live on in a daemon.
            close_range(3, ~0u, 0);
            execv(argv[0], argv.data());
            _exit(127);
        }
        (void)!write(pipeFds[1], &daemon, sizeof(daemon));
        _exit(0);
    }
    close(pipeFds[1]);
    pid_t daemon = -1;
    if (child < 0 || read(pipeFds[0], &daemon, sizeof(daemon)) != sizeof(daemon)) {
        daemon = -1;
    }
    close(pipeFds[0]);
    if (child > 0) {
        waitpid(child, nullptr, 0);
    }
    return daemon;
}

std::vector<Started> ReadStarted() {
    std::vector<Started> records;
    std::ifstream in(kStartedFile);
    Started started;
    while (in >> started.name >> started.pid >> started.startTime) {
        records.push_back(started);
    }
    return records;
}

void WriteStarted(const std::vector<Started>& records) {
    std::ofstream out(kStartedFile, std::ios::trunc);
    for (const Started& started : records) {
        out << started.name << ' ' << started.pid << ' ' << started.startTime << '\n';
    }
}

int OpenLockFile(const std::string& name) {
    return open((kStateDir + "/" + name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
}

const char* UsersFile(DiskService::Mode mode) {
    return mode == DiskService::Mode::WithUDisks ? "users-udisks" : "users-plain";
}

// Every live DiskService holds a shared lock on its mode's file, so the kernel keeps the count
// and a crashed test leaves no user behind.
bool HasUsers(DiskService::Mode mode) {
    const int fd = OpenLockFile(UsersFile(mode));
    const bool used = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return used;
}

void RemoveStaleBusFiles(pid_t busPid) {
    std::ifstream in(kBusPidFile);
    pid_t recorded = -1;
    if (!(in >> recorded)) {
        return;
    }
    const auto process = ReadProcess(recorded);
    // dbus-daemon leaves both behind when stopped, and refuses to start over its pid file.
    if (recorded == busPid || !process || !Living(*process)) {
        unlink(kBusPidFile.c_str());
        if (!BusAnswers()) {
            unlink(kBusSocket.c_str());
        }
    }
}

void Stop(const Started& started) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        if (!IsRunning(started)) {
            break;
        }
        kill(started.pid, signal);
        WaitFor([&] { return !IsRunning(started); }, kStopWait);
    }
    if (started.name == "bus") {
        RemoveStaleBusFiles(started.pid);
    }
}

// Stops what tests started and no test needs any more: after the last user of each, and
// whatever a crashed test left. Called with the control lock held.
void StopUnused() {
    const bool udisksUsers = HasUsers(DiskService::Mode::WithUDisks);
    const bool anyUsers = udisksUsers || HasUsers(DiskService::Mode::WithoutUDisks);
    std::vector<Started> kept;
    const auto records = ReadStarted();
    // UDisks2 before udev before the bus they talk on.
    for (const char* name : {"udisksd", "udevd", "bus"}) {
        for (const Started& started : records) {
            if (started.name != name) {
                continue;
            }
            const bool needed = started.name == "udisksd" ? udisksUsers : anyUsers;
            if (!needed) {
                Stop(started);
            } else if (IsRunning(started)) {
                kept.push_back(started);
            }
        }
    }
    WriteStarted(kept);
}

struct Daemon {
    std::string name;
    std::vector<std::string> command;
    bool (*running)();
    bool (*ready)();
};

std::string Start(const Daemon& daemon) {
    if (daemon.running()) {
        return "";
    }
    if (daemon.name == "bus") {
        RemoveStaleBusFiles(-1);
    }
    const std::string log = kStateDir + "/" + daemon.name + ".log";
    const pid_t pid = SpawnDaemon(daemon.command, log);
    const auto process = pid > 0 ? ReadProcess(pid) : std::nullopt;
    if (!process) {
        return "could not start " + daemon.command[0] + " (see " + log + ")";
    }
    auto records = ReadStarted();
    const Started started{daemon.name, pid, process->startTime};
    records.push_back(started);
    WriteStarted(records);
    if (!WaitFor([&] { return daemon.ready() || !IsRunning(started); }, kStartWait) ||
        !daemon.ready()) {
        return daemon.command[0] + " did not come up (see " + log + ")";
    }
    return "";
}

std::string StartAll(DiskService::Mode mode) {
    if (mode == DiskService::Mode::WithoutUDisks && AnyProcessNamed("udisksd")) {
        return "UDisks2 (udisksd) runs outside these tests, so a test without it cannot run";
    }
    {
        std::ofstream config(kStateDir + "/system-bus.conf", std::ios::trunc);
        config << kBusConfig;
    }
    std::vector<Daemon> daemons = {
        {"bus",
         {FindTool("dbus-daemon"), "--nofork", "--config-file=" + kStateDir + "/system-bus.conf"},
         BusAnswers,
         BusAnswers},
        {"udevd",
         {FindTool("systemd-udevd")},
         [] { return AnyProcessNamed("systemd-udevd"); },
         UdevAnswers},
    };
    if (mode == DiskService::Mode::WithUDisks) {
        daemons.push_back({"udisksd",
                           {FindTool("udisksd")},
                           [] { return AnyProcessNamed("udisksd"); },
                           UDisksOnBus});
    }
    for (const Daemon& daemon : daemons) {
        std::string problem = Start(daemon);
        if (!problem.empty()) {
            return problem;
        }
    }
    if (mode == DiskService::Mode::WithUDisks && !UDisksOnBus()) {
        return "udisksd runs but does not answer on the system bus";
    }
    return "";
}

std::string MissingTool(DiskService::Mode mode) {
    const std::vector<std::pair<const char*, const char*>> tools = {
        {"dbus-daemon", "dbus"}, {"dbus-send", "dbus"},   {"systemd-udevd", "udev"},
        {"udevadm", "udev"},     {"udisksd", "udisks2"},  {"udisksctl", "udisks2"},
        {"losetup", "mount"},    {"blkid", "util-linux"}, {"mkfs.ext2", "e2fsprogs"},
    };
    for (const auto& [tool, package] : tools) {
        const bool needed =
            mode == DiskService::Mode::WithUDisks || std::string(package) != "udisks2";
        if (needed && FindTool(tool).empty()) {
            return std::string(tool) + " is missing (package " + package + ")";
        }
    }
    return "";
}

// One process holding both modes at once would wait for itself.
int heldInProcess[2] = {0, 0};

int& Held(DiskService::Mode mode) {
    return heldInProcess[mode == DiskService::Mode::WithUDisks ? 0 : 1];
}

DiskService::Mode Other(DiskService::Mode mode) {
    return mode == DiskService::Mode::WithUDisks ? DiskService::Mode::WithoutUDisks
                                                 : DiskService::Mode::WithUDisks;
}

// The control lock, once no test of the other mode runs; -1 after waiting too long.
int LockControlForMode(DiskService::Mode mode) {
    const auto deadline = Clock::now() + kOtherModeWait;
    while (Clock::now() < deadline) {
        const int fd = OpenLockFile("lock");
        if (fd < 0 || flock(fd, LOCK_EX) != 0) {
            close(fd);
            return -1;
        }
        if (!HasUsers(Other(mode))) {
            return fd;
        }
        close(fd);
        std::this_thread::sleep_for(100ms);
    }
    return -1;
}

}  // namespace

std::string FindTool(const std::string& name) {
    for (const char* folder :
         {"/usr/sbin", "/usr/bin", "/sbin", "/bin", "/usr/libexec/udisks2", "/lib/systemd"}) {
        const std::string path = std::string(folder) + "/" + name;
        if (access(path.c_str(), X_OK) == 0) {
            return path;
        }
    }
    return "";
}

ProgramResult RunTool(const std::string& name, const std::vector<std::string>& args) {
    const std::string path = FindTool(name);
    if (path.empty()) {
        return {127, "", name + ": not found"};
    }
    return RunProgram(path, args, "/");
}

bool UDisksOnBus() {
    const ProgramResult reply =
        RunTool("dbus-send", {"--system", "--print-reply", "--dest=org.freedesktop.DBus",
                              "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                              "string:org.freedesktop.UDisks2"});
    return reply.exitCode == 0 && reply.out.find("boolean true") != std::string::npos;
}

DiskService::DiskService(Mode mode) : mode_(mode) {
    if (geteuid() != 0) {
        problem_ = "needs root to run the system bus, udev and UDisks2";
        return;
    }
    problem_ = MissingTool(mode);
    if (!problem_.empty()) {
        return;
    }
    if (Held(Other(mode)) > 0) {
        problem_ = "this process already holds the disk services in the other mode";
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(kStateDir, ignored);
    const int control = LockControlForMode(mode);
    if (control < 0) {
        problem_ = "tests of the other disk service mode did not finish in time";
        return;
    }
    StopUnused();
    problem_ = StartAll(mode);
    if (problem_.empty()) {
        usersFd_ = OpenLockFile(UsersFile(mode));
        flock(usersFd_, LOCK_SH);
        ++Held(mode);
    } else {
        StopUnused();
    }
    close(control);
}

DiskService::~DiskService() {
    if (usersFd_ < 0) {
        return;
    }
    const int control = OpenLockFile("lock");
    flock(control, LOCK_EX);
    close(usersFd_);
    --Held(mode_);
    StopUnused();
    close(control);
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::steady_clock::duration limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace zolvane::test
