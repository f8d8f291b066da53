// The join engine: rebuilds a file from its numbered pieces.
#pragma once

#include <string>

#include "join/JoinOperations.h"
#include "platform/Drives.h"

namespace zolvane {

// Joins the set that selectedPath belongs to (any member, or any file of the same folder
// and stem) into destinationFolder, which ends with the path separator. Every outcome is
// told through ops.message. Returns 0 when the file was rebuilt (and, for an archive,
// unpacked), -1 otherwise. The pieces are only read.
int JoinFile(const std::string& selectedPath, const std::string& destinationFolder,
             JoinOperations& ops, platform::DriveQueries& drives = platform::SystemDrives());

// The archiver command that unpacks an archive into a folder (which ends with the path
// separator); with `checkOnly` it asks only which files the unpack would replace.
std::string UnpackCommand(const std::string& archivePath, const std::string& folder,
                          bool checkOnly = false);

}  // namespace zolvane
