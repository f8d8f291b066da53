#include "tests/cli/PtyProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zolvane::test {
namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

PtyProgram::PtyProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir, bool errorOnTerminal)
    : errorOnTerminal_(errorOnTerminal) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    const std::string slave = ptsname(master_);
    static int counter = 0;
    const std::string stem =
        "/tmp/zolvane-pty-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    outPath_ = stem + ".out";
    errPath_ = stem + ".err";
    pid_ = fork();
    if (pid_ == 0) {
        setsid();  // the slave becomes this session's controlling terminal
        const int terminal = open(slave.c_str(), O_RDWR);
        const int out = open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err =
            errorOnTerminal ? terminal : open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (terminal < 0 || out < 0 || err < 0 || chdir(workingDir.c_str()) != 0) {
            _exit(127);
        }
        dup2(terminal, 0);
        dup2(out, 1);
        dup2(err, 2);
        close(master_);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
}

PtyProgram::~PtyProgram() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    close(master_);
    unlink(outPath_.c_str());
    unlink(errPath_.c_str());
}

// Closed once the program has let go of the terminal: nothing more can come.
PtyProgram::Read PtyProgram::readSome(int milliseconds) {
    pollfd ready{master_, POLLIN, 0};
    if (poll(&ready, 1, milliseconds) <= 0) {
        return Read::Idle;
    }
    char buffer[4096];
    const ssize_t got = read(master_, buffer, sizeof buffer);
    if (got <= 0) {
        return Read::Closed;
    }
    screen_.append(buffer, static_cast<std::size_t>(got));
    return Read::Data;
}

bool PtyProgram::waitFor(const std::string& text, std::chrono::seconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (screen_.find(text) == std::string::npos) {
        if (std::chrono::steady_clock::now() > deadline || readSome(50) == Read::Closed) {
            return screen_.find(text) != std::string::npos;
        }
    }
    return true;
}

void PtyProgram::type(const std::string& line) {
    const std::string typed = line + "\n";
    if (write(master_, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) {
        throw std::runtime_error("cannot type on the pseudo-terminal");
    }
}

ProgramResult PtyProgram::finish(std::chrono::seconds timeout) {
    ProgramResult result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        readSome(20);
    }
    pid_ = -1;
    while (readSome(50) == Read::Data) {
    }
    result.out = Slurp(outPath_);
    result.err = errorOnTerminal_ ? screen_ : Slurp(errPath_);
    return result;
}

}  // namespace zolvane::test
