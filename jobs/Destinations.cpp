#include "jobs/Destinations.h"

#include "platform/Paths.h"

namespace zolvane {

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && folder.back() != platform::kPathSeparator) {
        folder += platform::kPathSeparator;
    }
    return folder;
}

std::string InFolder(const std::string& folder, const std::string& name) {
    return WithSeparator(folder) + name;
}

std::string SplitDestination(const SplitPlacement& placement, const std::string& sourceName) {
    if (placement.automatic) {
        return InFolder(placement.drive, sourceName);
    }
    if (placement.folderChosen) {
        // A chosen folder that is empty is the root, never the current folder by accident.
        return InFolder(placement.folder.empty() ? std::string(1, platform::kPathSeparator)
                                                 : placement.folder,
                        sourceName);
    }
    return InFolder(placement.beside, sourceName);
}

std::string JoinDestination(bool folderChosen, const std::string& folder,
                            const std::string& piecesFolder) {
    const std::string& chosen = folderChosen ? folder : piecesFolder;
    return chosen.empty() ? std::string(1, platform::kPathSeparator) : WithSeparator(chosen);
}

}  // namespace zolvane
