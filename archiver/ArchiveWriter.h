// Adding members to an archive: creating it, appending over its end byte, or rewriting
// it beside itself when a member is replaced, so that a failure never damages what was
// there before.
#pragma once

#include <string>
#include <vector>

#include "archiver/FileSelection.h"

namespace zolvane::archiver {

struct AddResult {
    std::string error;  // empty on success
    int files = 0;
    int folders = 0;
    int replaced = 0;
};

AddResult AddToArchive(const std::string& archivePath, const std::vector<SelectedItem>& items);

}  // namespace zolvane::archiver
