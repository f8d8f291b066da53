// Unpacking an archive into a folder. Member names are never trusted: every output path
// is built inside the destination, and absolute names, ".." and links are refused.
#pragma once

#include <string>

namespace zolvane::archiver {

struct ExtractRequest {
    std::string archivePath;
    std::string destination;
    std::string mask = "*.*";  // matched against each member's file name
    bool keepFolders = true;   // recreate stored folders; otherwise unpack flat
};

struct ExtractResult {
    std::string error;  // empty when every member was unpacked
    int files = 0;
    int folders = 0;
};

ExtractResult ExtractArchive(const ExtractRequest& request);

// Member names as UTF-8: kept when they are valid UTF-8, else read as Shift-JIS (code
// page 932), the encoding of old Japanese archives; bytes neither can read become '_'.
std::string NameAsUtf8(const std::string& raw);

}  // namespace zolvane::archiver
