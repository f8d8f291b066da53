#include "jobs/ArchiverLibrary.h"

namespace zolvane {

void ArchiverLibrary::Load(const std::vector<std::string>& folders) {
    Release();
    ArchiverModule = platform::LoadSharedLibrary("Unlha32", folders);
    if (!ArchiverModule) {
        return;
    }
    UnlhaGetRunningProc =
        reinterpret_cast<UnlhaGetRunningFunction>(ArchiverModule->entry("UnlhaGetRunning"));
    UnlhaProc = reinterpret_cast<UnlhaFunction>(ArchiverModule->entry("Unlha"));
    ArchiverReady = UnlhaGetRunningProc != nullptr && UnlhaProc != nullptr;
}

std::vector<std::string> ArchiverLibrary::DefaultFolders() {
    const std::string program = platform::ExecutableFolder();
    if (program.empty()) {
        return {};
    }
    return {program, program + "/../lib/zolvane"};
}

void ArchiverLibrary::Release() {
    ArchiverReady = false;
    UnlhaGetRunningProc = nullptr;
    UnlhaProc = nullptr;
    ArchiverModule.reset();
}

bool ArchiverLibrary::busy() const {
    return ArchiverReady && UnlhaGetRunningProc() == 1;
}

int ArchiverLibrary::run(const std::string& command, void* ownerWindow) const {
    std::string ignored;
    return run(command, ignored, ownerWindow);
}

int ArchiverLibrary::run(const std::string& command, std::string& report, void* ownerWindow) const {
    return runWithReport(command, report, kOutputSize, ownerWindow);
}

int ArchiverLibrary::runWithReport(const std::string& command, std::string& report,
                                   unsigned long outputSize, void* ownerWindow) const {
    report.clear();
    if (!ArchiverReady || outputSize == 0) {
        return -1;
    }
    std::vector<char> output(outputSize, '\0');
    const int result = UnlhaProc(ownerWindow, command.c_str(), output.data(), outputSize);
    output.back() = '\0';  // whatever the library left there
    report = output.data();
    return result;
}

std::string AddToArchiveCommand(const std::string& archivePath, const std::string& nameOrMask,
                                bool recursive) {
    return std::string(recursive ? "a -x1r1a1 " : "a -a1 ") + "\"" + archivePath + "\" \"" +
           nameOrMask + "\"";
}

}  // namespace zolvane
