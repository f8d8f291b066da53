#include "jobs/UnpackCheck.h"

#include "join/JoinFile.h"

namespace zolvane {

std::optional<ReplaceCheck> CheckUnpack(const ArchiverLibrary& archiver, const std::string& archive,
                                        const std::string& folder, std::string& report) {
    const int result = archiver.runWithReport(UnpackCommand(archive, folder, true), report,
                                              ArchiverLibrary::kLongOutputSize);
    if (result != 0) {
        return std::nullopt;
    }
    return ParseReplaceCheck(report);
}

}  // namespace zolvane
