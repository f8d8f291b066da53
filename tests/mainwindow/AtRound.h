// Acting in the middle of a job: the job runs inside one call, handling events between its
// blocks, so a user's click arrives as a queued call that waits for the job's event rounds.
#pragma once

#include <QCoreApplication>
#include <functional>

namespace zolvane::test {

// Runs `action` at the `round`-th round of event handling from now; a job's first round
// comes after its first block.
inline void AtRound(int round, std::function<void()> action) {
    QMetaObject::invokeMethod(
        qApp,
        [round, action = std::move(action)]() mutable {
            if (round <= 1) {
                action();
            } else {
                AtRound(round - 1, std::move(action));
            }
        },
        Qt::QueuedConnection);
}

}  // namespace zolvane::test
