// Where a job's output goes, as plain rules both front ends follow.
#pragma once

#include <string>

namespace zolvane {

// The folder with a separator at its end, unless it has one; an empty folder stays empty
// (the current folder).
std::string WithSeparator(std::string folder);

// The folder, a separator unless it ends in one, and the name; the bare name for an empty
// folder.
std::string InFolder(const std::string& folder, const std::string& name);

// How the user placed a split's pieces.
struct SplitPlacement {
    bool automatic = false;     // automatic sizing: the root of the disk in this drive
    std::string drive;          // the drive's name
    bool folderChosen = false;  // a destination folder of the user's
    std::string folder;
    std::string beside;         // otherwise here: the source's folder, or empty for the current one
};

// The split engine's destination path: a folder and the source's file name. On the
// automatic drive (a path that begins with a drive's name names a place on its medium), in
// the chosen folder, or beside.
std::string SplitDestination(const SplitPlacement& placement, const std::string& sourceName);

// The join engine's destination folder, ending in a separator: the chosen folder, or the
// folder of the pieces.
std::string JoinDestination(bool folderChosen, const std::string& folder,
                            const std::string& piecesFolder);

}  // namespace zolvane
