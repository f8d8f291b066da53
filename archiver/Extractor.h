// Unpacking an archive into a folder, or finding what an unpack would replace there.
// Member names are never trusted: every output path is built inside the destination, and
// absolute names, ".." and links are refused.
#pragma once

#include <string>
#include <vector>

namespace zolvane::archiver {

struct ExtractRequest {
    std::string archivePath;
    std::string destination;
    std::string mask = "*.*";  // matched against each member's file name
    bool keepFolders = true;   // recreate stored folders; otherwise unpack flat
    // Write nothing and create nothing: only find the files the unpack would replace.
    bool checkOnly = false;
};

struct ExtractResult {
    std::string error;     // empty when every member was unpacked
    bool readable = true;  // false when the archive could not be read through
    int files = 0;
    int folders = 0;
    // With checkOnly: existing entries of the destination that the unpack would write
    // over, relative and '/'-separated, in archive order, each once.
    std::vector<std::string> wouldReplace;
};

ExtractResult ExtractArchive(const ExtractRequest& request);

// Member names as UTF-8: kept when they are valid UTF-8, else read as Shift-JIS (code
// page 932), the encoding of old Japanese archives; bytes neither can read become '_'.
std::string NameAsUtf8(const std::string& raw);

}  // namespace zolvane::archiver
