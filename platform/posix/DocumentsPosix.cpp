// The desktop's opener is xdg-open, which ends once it has started the program for the file
// and says by its exit status when it could not ("no method available": no browser at all).
#include "platform/Documents.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

extern char** environ;

namespace zolvane::platform {
namespace {

// An opener that runs the browser itself instead of handing it over (xdg-open's generic
// method with a browser not yet running) only ends with the browser: after this long the
// browser is taken as started, and the opener is left to end in its own time.
constexpr int kPatienceMs = 3000;

std::mutex gOpenerLock;
std::string gOpener = "xdg-open";

std::string Opener() {
    const std::lock_guard<std::mutex> lock(gOpenerLock);
    return gOpener;
}

// True when the process has ended within the patience, with its wait status.
bool EndsInTime(pid_t child, int& status) {
    const int handle = static_cast<int>(syscall(SYS_pidfd_open, child, 0));
    if (handle >= 0) {
        pollfd ended{handle, POLLIN, 0};
        int ready;
        while ((ready = poll(&ended, 1, kPatienceMs)) < 0 && errno == EINTR) {
        }
        close(handle);
        if (ready == 0) {
            return false;
        }
    }
    // Without a process descriptor (an old kernel) the wait is the opener's whole run.
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            status = 0;
            break;
        }
    }
    return true;
}

}  // namespace

std::string SetDocumentOpener(const std::string& program) {
    const std::lock_guard<std::mutex> lock(gOpenerLock);
    std::string before = gOpener;
    gOpener = program;
    return before;
}

std::string OpenDocument(const std::string& path) {
    const std::string opener = Opener();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The browser it starts has no business with the program's input.
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    char* const arguments[] = {const_cast<char*>(opener.c_str()), const_cast<char*>(path.c_str()),
                               nullptr};
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, opener.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return opener + ": " + std::generic_category().message(spawned);
    }
    int status = 0;
    if (!EndsInTime(child, status)) {
        std::thread([child] {
            int ignored;
            while (waitpid(child, &ignored, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        return {};
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return {};
    }
    if (WIFSIGNALED(status)) {
        return opener + ": ended by signal " + std::to_string(WTERMSIG(status));
    }
    return opener + ": exit status " + std::to_string(WEXITSTATUS(status));
}

}  // namespace zolvane::platform
