// The archiver library, loaded at run time when it is there. Without it everything else
// works; packing and unpacking are simply not offered.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "archiver/Unlha32.h"
#include "platform/SharedLibrary.h"

namespace zolvane {

class ArchiverLibrary {
public:
    // The size of the report buffer a command gets unless it asks for more.
    static constexpr unsigned long kOutputSize = 1024;
    // Enough for a report that lists an archive's members one a line.
    static constexpr unsigned long kLongOutputSize = 64 * 1024;

    ArchiverLibrary() = default;
    ~ArchiverLibrary() { Release(); }
    ArchiverLibrary(const ArchiverLibrary&) = delete;
    ArchiverLibrary& operator=(const ArchiverLibrary&) = delete;

    // Loads "Unlha32" from the first of `folders` that has it, else from the system's search
    // path. A missing library or entry is no error.
    void Load(const std::vector<std::string>& folders = DefaultFolders());

    // Where the library is looked for: beside the program (the build tree), then the
    // program's private library folder of an installed layout (bin/../lib/zolvane).
    static std::vector<std::string> DefaultFolders();
    void Release();

    // 1 from the library's busy entry. False when it is not loaded.
    bool busy() const;
    // One command: 0 success, anything else failure (-1 when the library is not loaded).
    int run(const std::string& command, void* ownerWindow = nullptr) const;
    // The same, keeping the library's report of what it did or why it failed.
    int run(const std::string& command, std::string& report, void* ownerWindow = nullptr) const;
    // The same with a report buffer of outputSize bytes (at least 1).
    int runWithReport(const std::string& command, std::string& report, unsigned long outputSize,
                      void* ownerWindow = nullptr) const;

    std::unique_ptr<platform::SharedLibrary> ArchiverModule;
    UnlhaGetRunningFunction UnlhaGetRunningProc = nullptr;
    UnlhaFunction UnlhaProc = nullptr;
    bool ArchiverReady = false;
};

// The command that adds one file, or every file matching a mask, to an archive.
std::string AddToArchiveCommand(const std::string& archivePath, const std::string& nameOrMask,
                                bool recursive);

}  // namespace zolvane
