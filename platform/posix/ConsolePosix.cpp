#include "platform/Console.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>

namespace zolvane::platform {
namespace {

std::atomic<bool> interrupted{false};

void OnInterrupt(int) {
    interrupted = true;
}

}  // namespace

bool IsTerminal(StandardStream stream) {
    switch (stream) {
    case StandardStream::Input:
        return isatty(STDIN_FILENO) == 1;
    case StandardStream::Output:
        return isatty(STDOUT_FILENO) == 1;
    case StandardStream::Error:
        return isatty(STDERR_FILENO) == 1;
    }
    return false;
}

void WatchInterrupt() {
    interrupted = false;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;  // no SA_RESTART: a blocked read returns
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() {
    return interrupted;
}

void StopWatchingInterrupt() {
    signal(SIGINT, SIG_DFL);
}

}  // namespace zolvane::platform
