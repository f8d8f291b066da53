#include "platform/Processes.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace zolvane::platform {

long CurrentProcessId() {
    return static_cast<long>(getpid());
}

// A process of another user cannot be signalled but still runs.
bool ProcessRuns(long id) {
    return id > 0 && (kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM);
}

}  // namespace zolvane::platform
