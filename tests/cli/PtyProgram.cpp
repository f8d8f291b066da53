#include "tests/cli/PtyProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace zolvane::test {

ProgramResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDir, const std::string& typed,
                            bool errorOnTerminal) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        return {-1, "", "no pseudo-terminal"};
    }
    // A shell puts the terminal in place, then becomes the program.
    std::vector<std::string> shell = {
        "-c", std::string("exec <\"$0\" ") + (errorOnTerminal ? "2>\"$0\" " : "") + "\"$@\"",
        ptsname(master), program};
    shell.insert(shell.end(), args.begin(), args.end());
    RunningProgram running = StartProgram("/bin/sh", shell, workingDir);
    std::string screen;
    if (write(master, typed.data(), typed.size()) != static_cast<ssize_t>(typed.size())) {
        screen = "(typing failed)\n";
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (bool ended = false; !ended;) {
        siginfo_t state{};
        ended = waitid(P_PID, static_cast<id_t>(running.pid), &state,
                       WEXITED | WNOHANG | WNOWAIT) == 0 &&
                state.si_pid == running.pid;
        if (!ended && std::chrono::steady_clock::now() > deadline) {
            kill(running.pid, SIGKILL);
            ended = true;
        }
        // Whatever the terminal shows; once the program has ended, the rest of it.
        pollfd ready{master, POLLIN, 0};
        char buffer[4096];
        ssize_t got = 0;
        while (poll(&ready, 1, ended ? 0 : 20) > 0 &&
               (got = read(master, buffer, sizeof buffer)) > 0) {
            screen.append(buffer, static_cast<std::size_t>(got));
        }
    }
    close(master);
    ProgramResult result = running.wait();
    if (errorOnTerminal) {
        result.err = screen;
    }
    return result;
}

}  // namespace zolvane::test
