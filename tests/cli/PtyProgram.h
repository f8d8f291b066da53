// Runs a program of ours with stdin and, when asked, stderr on a pseudo-terminal, so that
// it takes itself to be used by a person; stdout and a redirected stderr are captured.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"

namespace zolvane::test {

class PtyProgram {
public:
    // errorOnTerminal false sends stderr to a file, as `2> log` would.
    PtyProgram(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingDir, bool errorOnTerminal = true);
    ~PtyProgram();
    PtyProgram(const PtyProgram&) = delete;
    PtyProgram& operator=(const PtyProgram&) = delete;

    // Reads the terminal until `text` has appeared there; false after the timeout.
    bool waitFor(const std::string& text, std::chrono::seconds timeout = std::chrono::seconds(20));
    void type(const std::string& line);
    // Waits for the end (killing the program after the timeout, which gives exit code -1);
    // `err` is what the terminal showed, or the redirected stderr.
    ProgramResult finish(std::chrono::seconds timeout = std::chrono::seconds(20));

    const std::string& screen() const { return screen_; }

private:
    enum class Read { Data, Idle, Closed };
    Read readSome(int milliseconds);

    pid_t pid_ = -1;
    int master_ = -1;
    bool errorOnTerminal_;
    std::string outPath_;
    std::string errPath_;
    std::string screen_;
};

}  // namespace zolvane::test
