// The system services that removable media go through on a Linux desktop: the system bus,
// udev and UDisks2. Tests in several processes share them: a service found running is used
// and left alone; one that a test had to start is stopped, by its recorded process, when the
// last test that needs it is done.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"

namespace zolvane::test {

class DiskService {
public:
    enum class Mode {
        WithUDisks,
        // The bus and udev only, for plain mounts; tests that need UDisks2 wait meanwhile.
        WithoutUDisks,
    };

    explicit DiskService(Mode mode = Mode::WithUDisks);
    ~DiskService();
    DiskService(const DiskService&) = delete;
    DiskService& operator=(const DiskService&) = delete;

    // Empty when the services are there as asked; otherwise why not, for GTEST_SKIP.
    const std::string& problem() const { return problem_; }

private:
    Mode mode_;
    int usersFd_ = -1;
    std::string problem_;
};

// The full path of a system tool (also udevd's and udisksd's private folders), or empty.
std::string FindTool(const std::string& name);
// Runs a system tool found by FindTool; exit code 127 when there is no such tool.
ProgramResult RunTool(const std::string& name, const std::vector<std::string>& args);
// Asks `condition` every 50 ms until it holds (true) or `limit` has passed (false): the
// services answer a change only after a while.
bool WaitFor(const std::function<bool()>& condition, std::chrono::steady_clock::duration limit);

// Whether some process owns UDisks2's name on the system bus. Asking never starts it.
bool UDisksOnBus();

}  // namespace zolvane::test
