#include "cli/Arguments.h"

namespace zolvane::cli {

Arguments ParseArguments(const std::vector<std::string>& words,
                         const std::set<std::string>& valueOptions,
                         const std::set<std::string>& flagOptions) {
    Arguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        // An empty name would turn into the current folder, or the root once a separator
        // is added: never a file the user meant.
        if (word.empty()) {
            parsed.error = "空の引数は指定できません";
            return parsed;
        }
        if (optionsEnded || word.size() < 2 || word.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (flagOptions.count(name) != 0 && equals == std::string::npos) {
            parsed.flags.insert(name);
        } else if (valueOptions.count(name) != 0) {
            if (equals != std::string::npos) {
                parsed.values[name] = word.substr(equals + 1);
            } else if (i + 1 < words.size()) {
                parsed.values[name] = words[++i];
            } else {
                parsed.error = name + " には値が必要です";
                return parsed;
            }
            if (parsed.values[name].empty()) {
                parsed.error = name + " に空の値は指定できません";
                return parsed;
            }
        } else {
            parsed.error = "不明なオプションです: " + word;
            return parsed;
        }
    }
    return parsed;
}

}  // namespace zolvane::cli
