#include "archiver/FileSelection.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

namespace zolvane::archiver {
namespace {

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool WildMatch(const char* name, const char* mask) {
    // Greedy match with one backtrack point: linear enough for file names.
    const char* starMask = nullptr;
    const char* starName = nullptr;
    while (*name != '\0') {
        if (*mask == '*') {
            starMask = ++mask;
            starName = name;
        } else if (*mask == '?' || (*mask != '\0' && Fold(*mask) == Fold(*name))) {
            ++mask;
            ++name;
        } else if (starMask != nullptr) {
            mask = starMask;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*mask == '*') {
        ++mask;
    }
    return *mask == '\0';
}

bool HasWildcard(const std::string& text) {
    return text.find_first_of("*?") != std::string::npos;
}

std::string Trimmed(const std::string& text) {
    constexpr const char* kBlanks = " \t";
    auto first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// Blanks around the patterns of a list are dropped; a text without ';' is one name, taken
// as it is, since a file name may begin or end with a blank.
std::vector<std::string> SplitMasks(const std::string& text) {
    std::vector<std::string> masks;
    const bool list = text.find(';') != std::string::npos;
    std::size_t start = 0;
    for (;;) {
        auto semicolon = text.find(';', start);
        std::string part = text.substr(start, semicolon - start);
        if (list) {
            part = Trimmed(part);
        }
        if (!part.empty()) {
            masks.push_back(part);
        }
        if (semicolon == std::string::npos) {
            return masks;
        }
        start = semicolon + 1;
    }
}

// The name a member gets for a path on disk: no leading '/', no "." or ".." parts.
std::string StoredName(const std::string& diskPath, bool keepFolders) {
    std::string result;
    std::size_t start = 0;
    while (start <= diskPath.size()) {
        auto slash = diskPath.find('/', start);
        if (slash == std::string::npos) {
            slash = diskPath.size();
        }
        std::string part = diskPath.substr(start, slash - start);
        if (!part.empty() && part != "." && part != "..") {
            result = (keepFolders && !result.empty()) ? result + "/" + part : part;
        }
        start = slash + 1;
    }
    return result;
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

class Collector {
public:
    Collector(const SelectionOptions& options, std::vector<SelectedItem>& items)
        : options_(options), items_(items) {}

    // Adds the entries of folder whose names match mask; returns false on a read error,
    // which readError() then describes.
    bool addMatches(const std::string& folder, const std::string& mask,
                    std::vector<SelectedItem>& into) {
        std::vector<std::string> names;
        if (!listFolder(folder, names)) {
            readError_ = "cannot read folder " + (folder.empty() ? std::string(".") : folder) +
                         ": " + std::strerror(errno);
            return false;
        }
        for (const auto& name : names) {
            const std::string path = Join(folder, name);
            struct stat info {};
            if (stat(path.c_str(), &info) != 0) {
                continue;
            }
            const bool matches = MatchesMask(name, mask);
            if (S_ISREG(info.st_mode) && matches) {
                addFile(path, info, into);
            } else if (S_ISDIR(info.st_mode) && options_.recursive && !isLink(path)) {
                std::vector<SelectedItem> inside;
                if (!addMatches(path, mask, inside)) {
                    return false;
                }
                if (matches || !inside.empty()) {
                    addFolder(path, info, into);
                    into.insert(into.end(), inside.begin(), inside.end());
                }
            }
        }
        return true;
    }

    // A name without wildcards: a file, or with recursion a whole folder. A name that is
    // not there adds nothing; only what cannot be added is an error.
    std::string addNamed(const std::string& path) {
        struct stat info {};
        if (stat(path.c_str(), &info) != 0) {
            return {};
        }
        if (S_ISREG(info.st_mode)) {
            addFile(path, info, items_);
            return {};
        }
        if (S_ISDIR(info.st_mode) && options_.recursive) {
            addFolder(path, info, items_);
            return addMatches(path, "*", items_) ? std::string() : readError_;
        }
        return "not a file: " + path;
    }

    void commit(std::vector<SelectedItem>&& found) {
        items_.insert(items_.end(), found.begin(), found.end());
    }

    // Whether the pattern in hand found anything to add, counting what an earlier pattern
    // already took.
    void startPattern() { matched_ = false; }
    bool matched() const { return matched_; }
    const std::string& readError() const { return readError_; }

private:
    static bool isLink(const std::string& path) {
        struct stat info {};
        return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
    }

    // False with errno set when the folder cannot be opened or read to its end.
    static bool listFolder(const std::string& folder, std::vector<std::string>& names) {
        DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
        if (dir == nullptr) {
            return false;
        }
        for (;;) {
            errno = 0;  // readdir ends and fails alike with nullptr
            const dirent* entry = readdir(dir);
            if (entry == nullptr) {
                break;
            }
            std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        const int error = errno;
        closedir(dir);
        errno = error;
        std::sort(names.begin(), names.end());
        return error == 0;
    }

    bool isExcluded(const struct stat& info) const {
        return options_.hasExcluded && info.st_dev == options_.excludedDevice &&
               info.st_ino == options_.excludedInode;
    }

    void addFile(const std::string& path, const struct stat& info,
                 std::vector<SelectedItem>& into) {
        if (isExcluded(info)) {
            return;
        }
        push(path, info, false, into);
    }

    void addFolder(const std::string& path, const struct stat& info,
                   std::vector<SelectedItem>& into) {
        if (options_.keepFolders) {
            push(path, info, true, into);
        }
    }

    void push(const std::string& path, const struct stat& info, bool folder,
              std::vector<SelectedItem>& into) {
        std::string stored = StoredName(path, options_.keepFolders);
        if (stored.empty()) {
            return;
        }
        matched_ = true;
        if (!seen_.insert(stored).second) {
            return;
        }
        into.push_back({path, stored, folder, info});
    }

    const SelectionOptions& options_;
    std::vector<SelectedItem>& items_;
    std::set<std::string> seen_;
    bool matched_ = false;
    std::string readError_;
};

}  // namespace

bool MatchesMask(const std::string& name, const std::string& mask) {
    if (WildMatch(name.c_str(), mask.c_str())) {
        return true;
    }
    const bool endsWithDotStar = mask.size() >= 2 && mask.compare(mask.size() - 2, 2, ".*") == 0;
    if (endsWithDotStar && name.find('.') == std::string::npos) {
        return WildMatch(name.c_str(), mask.substr(0, mask.size() - 2).c_str());
    }
    return false;
}

std::string SelectFiles(const std::string& nameOrMasks, const SelectionOptions& options,
                        std::vector<SelectedItem>& items, std::vector<std::string>& unmatched) {
    unmatched.clear();
    const std::vector<std::string> masks = SplitMasks(nameOrMasks);
    if (masks.empty()) {
        return "no file name given";
    }
    Collector collector(options, items);
    for (const auto& mask : masks) {
        auto slash = mask.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : mask.substr(0, slash + 1);
        const std::string leaf = slash == std::string::npos ? mask : mask.substr(slash + 1);
        collector.startPattern();
        if (!HasWildcard(leaf)) {
            std::string error = collector.addNamed(mask);
            if (!error.empty()) {
                return error;
            }
        } else {
            std::vector<SelectedItem> found;
            if (!collector.addMatches(folder, leaf, found)) {
                return collector.readError();
            }
            collector.commit(std::move(found));
        }
        if (!collector.matched()) {
            unmatched.push_back(mask);
        }
    }
    if (items.empty()) {
        if (masks.size() == 1 && !HasWildcard(masks[0])) {
            return "no such file: " + masks[0];
        }
        return "no file matches " + nameOrMasks;
    }
    return {};
}

}  // namespace zolvane::archiver
