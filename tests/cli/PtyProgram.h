// Runs a program of ours as a person at a terminal would: stdin, and stderr unless told
// otherwise, on a pseudo-terminal where `typed` waits from the start.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"

namespace zolvane::test {

// `err` is what the terminal showed, or the redirected stderr. A program still running
// after 20 seconds (waiting for an answer) is killed and gets exit code -1.
ProgramResult RunOnTerminal(const std::string& program, const std::vector<std::string>& args,
                            const std::string& workingDir, const std::string& typed,
                            bool errorOnTerminal = true);

// A conversation: whenever the terminal shows something, `answer` gets everything shown since
// its last answer and returns what the person types next (empty: nothing yet). Stops the
// program after `seconds`.
ProgramResult Converse(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir,
                       const std::function<std::string(const std::string&)>& answer,
                       int seconds = 60);

}  // namespace zolvane::test
