// A small command-line parser: positionals, "--name value" / "--name=value", and flags.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace zolvane::cli {

struct Arguments {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;
    std::set<std::string> flags;
    std::string error;  // set when the line cannot be understood (empty words included)

    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
    const std::string* value(const std::string& name) const {
        const auto found = values.find(name);
        return found == values.end() ? nullptr : &found->second;
    }
};

Arguments ParseArguments(const std::vector<std::string>& words,
                         const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions);

// Process exit codes of every command.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

}  // namespace zolvane::cli
