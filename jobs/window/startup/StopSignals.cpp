#include "jobs/window/startup/StopSignals.h"

#include <QSocketNotifier>
#include <unistd.h>

#include "window/MessageBoxes.h"
#include "mainwindow/TForm1.h"
#include "platform/Console.h"

namespace zolvane::gui {

// The signal only raises a flag and writes to a pipe; the rest happens here, in the event
// loop, where windows may be touched.
void WatchStopSignals(TForm1& window) {
    platform::WatchInterrupt();
    const int notice = platform::InterruptNotice();
    if (notice < 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(notice, QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [notifier, &window] {
        char drained[16];
        while (read(static_cast<int>(notifier->socket()), drained, sizeof drained) > 0) {
        }
        notifier->setEnabled(false);
        StopAsking();
        window.requestStop();
    });
}

}  // namespace zolvane::gui
