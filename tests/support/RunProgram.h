// Runs a program of ours as a child process, as a user would from a shell without a
// terminal: stdin from /dev/null, stdout and stderr captured.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <string>
#include <vector>

namespace zolvane::test {

// The signals zolvane-cli takes as the user's cancel, as it takes Ctrl-C.
inline constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct ProgramResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

struct RunningProgram {
    pid_t pid = -1;
    std::string outPath;
    std::string errPath;
    ProgramResult wait();
};

RunningProgram StartProgram(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDir);
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& workingDir);

}  // namespace zolvane::test
