#include "window/Activation.h"

#include <QCoreApplication>
#include <QVariant>
#include <QWidget>

namespace zolvane::gui {
namespace {

constexpr const char* kReleased = "zolvaneReleased";

}  // namespace

void DisableWindow(QWidget* window) {
    window->setProperty(kReleased, false);
    window->setEnabled(false);
}

void ReleaseWindow(QWidget* window) {
    if (window == nullptr) {
        return;
    }
    window->setEnabled(true);
    window->setProperty(kReleased, true);
    window->raise();
    window->activateWindow();
}

// A window the program never disabled counts as active while it is enabled.
bool IsActiveWindow(const QWidget* window) {
    if (!window->isEnabled()) {
        return false;
    }
    const QVariant released = window->property(kReleased);
    return !released.isValid() || released.toBool();
}

void WaitUntilActive(const QWidget* window) {
    QCoreApplication::processEvents();
    while (!IsActiveWindow(window)) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

}  // namespace zolvane::gui
