#include "tests/cli/PtyProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace zolvane::test {

namespace {

// Runs the program with its stdin (and stderr) on a new terminal; `onScreen` gets each piece
// of output as it comes and may type a reply.
ProgramResult RunWith(const std::string& program, const std::vector<std::string>& args,
                      const std::string& workingDir, const std::string& typed,
                      bool errorOnTerminal, int seconds,
                      const std::function<std::string(const std::string&)>& onScreen) {
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
    auto type = [&](const std::string& text) {
        if (write(master, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            screen += "(typing failed)\n";
        }
    };
    type(typed);
    std::string unanswered;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
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
            unanswered.append(buffer, static_cast<std::size_t>(got));
        }
        if (!ended && onScreen && !unanswered.empty()) {
            const std::string reply = onScreen(unanswered);
            if (!reply.empty()) {
                unanswered.clear();
                type(reply);
            }
        }
    }
    close(master);
    ProgramResult result = running.wait();
    if (errorOnTerminal) {
        result.err = screen;
    }
    return result;
}

}  // namespace

ProgramResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDir, const std::string& typed,
                            bool errorOnTerminal) {
    return RunWith(program, args, workingDir, typed, errorOnTerminal, 20, nullptr);
}

ProgramResult Converse(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir,
                       const std::function<std::string(const std::string&)>& answer,
                       int seconds) {
    return RunWith(program, args, workingDir, "", true, seconds, answer);
}

}  // namespace zolvane::test
