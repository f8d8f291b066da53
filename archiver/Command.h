// The archiver's command lines: a command letter, switches, then quoted items.
#pragma once

#include <string>

namespace zolvane::archiver {

struct Command {
    enum class Kind { Add, Extract };
    Kind kind = Kind::Add;
    bool recursive = false;    // r1: subfolders too
    bool keepFolders = false;  // x1: store or restore folder names
    bool check = false;        // c1, unpacking only: find what would be replaced, write nothing
    std::string archive;
    std::string name;         // add: a file name or masks
    std::string destination;  // extract: the folder
    std::string mask;         // extract: which members, "*.*" when none is given
};

// Returns an empty text when text is a command we run, else what is wrong with it.
std::string ParseCommand(const std::string& text, Command& command);

}  // namespace zolvane::archiver
