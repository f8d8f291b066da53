#include "platform/Console.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <iterator>

namespace zolvane::platform {
namespace {

// The ways a user asks a run to stop: the interrupt key, a kill, the terminal closing.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr std::size_t kStopSignalCount = std::size(kStopSignals);

std::atomic<bool> interrupted{false};
// Which signals we took over, and what they did before; a signal ignored when we started
// (nohup, a background job) stays ignored.
volatile sig_atomic_t watched[kStopSignalCount] = {};
struct sigaction previous[kStopSignalCount];
// The self-pipe behind InterruptNotice: written by the handler, read by an event loop.
int notice[2] = {-1, -1};

void OnStop(int) {
    interrupted = true;
    if (notice[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = write(notice[1], &byte, 1);
    }
    // From here any second signal ends the program the usual way.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (std::size_t i = 0; i < kStopSignalCount; ++i) {
        if (watched[i]) {
            sigaction(kStopSignals[i], &fallback, nullptr);
        }
    }
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
    if (notice[0] < 0 && pipe2(notice, O_CLOEXEC | O_NONBLOCK) != 0) {
        notice[0] = notice[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = OnStop;
    action.sa_flags = 0;  // no SA_RESTART: a blocked read returns
    // A second signal that comes while the first is handled waits, then ends the program.
    sigemptyset(&action.sa_mask);
    for (const int stop : kStopSignals) {
        sigaddset(&action.sa_mask, stop);
    }
    for (std::size_t i = 0; i < kStopSignalCount; ++i) {
        if (sigaction(kStopSignals[i], nullptr, &previous[i]) != 0 ||
            previous[i].sa_handler == SIG_IGN) {
            watched[i] = 0;
            continue;
        }
        watched[i] = 1;
        sigaction(kStopSignals[i], &action, nullptr);
    }
}

bool Interrupted() {
    return interrupted;
}

int InterruptNotice() {
    return notice[0];
}

void StopWatchingInterrupt() {
    interrupted = false;
    char drained[16];
    while (notice[0] >= 0 && read(notice[0], drained, sizeof drained) > 0) {
    }
    for (std::size_t i = 0; i < kStopSignalCount; ++i) {
        if (watched[i]) {
            watched[i] = 0;
            sigaction(kStopSignals[i], &previous[i], nullptr);
        }
    }
}

}  // namespace zolvane::platform
