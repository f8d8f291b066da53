// Which files an add command takes: one name, or masks such as "*.txt;*.doc", looked up
// relative to the current folder, optionally with subfolders.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

namespace zolvane::archiver {

struct SelectedItem {
    std::string diskPath;    // as opened, relative to the current folder or absolute
    std::string storedPath;  // the member's name: '/'-separated, relative
    bool folder = false;
    struct stat info {};
};

struct SelectionOptions {
    bool recursive = false;
    bool keepFolders = false;  // store paths; otherwise bare names
    // A file never to select, such as the archive itself (device and inode), when known.
    bool hasExcluded = false;
    dev_t excludedDevice = 0;
    ino_t excludedInode = 0;
};

// DOS-style wildcard match, ASCII letters without case: '*' any run, '?' one byte, and a
// trailing ".*" also matches names without a dot, so "*.*" matches every name.
bool MatchesMask(const std::string& name, const std::string& mask);

// Fills items in a stable order (folders before their contents), and unmatched with the
// patterns that found nothing to add, when others did. Returns an empty text on success,
// else why nothing can be added: nothing matched at all, or a name cannot be added.
std::string SelectFiles(const std::string& nameOrMasks, const SelectionOptions& options,
                        std::vector<SelectedItem>& items, std::vector<std::string>& unmatched);

}  // namespace zolvane::archiver
