// The commands of zolvane-cli; each takes the words after its name and returns the exit code.
#pragma once

#include <string>
#include <vector>

namespace zolvane::cli {

int RunSplit(const std::vector<std::string>& words);
int RunInfo(const std::vector<std::string>& words);
int RunJoin(const std::vector<std::string>& words);
int RunPack(const std::vector<std::string>& words);

// Prints a usage error and the usage, returns kExitUsage.
int UsageError(const std::string& problem);

}  // namespace zolvane::cli
