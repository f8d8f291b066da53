#include "window/WindowParts.h"

#include <QLabel>
#include <QWindow>

#include "window/AppIcon.h"

namespace zolvane::gui {

void SetFontPixels(QWidget* widget, int pixels, bool bold) {
    QFont font = widget->font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    widget->setFont(font);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void SetLabelFont(QWidget* label, int pixels, bool bold) {
    SetFontPixels(label, pixels, bold);
    SetTextColour(label, Qt::black);
    label->adjustSize();
}

void SetUpJobWindow(QWidget* window, const QString& caption, int width, int height,
                    int fontPixels) {
    window->setWindowTitle(caption);
    window->setWindowIcon(AppIcon());
    // Only a dialog is kept above the window it is transient for (see KeepAbove).
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint);
    window->setFixedSize(width, height);
    SetFontPixels(window, fontPixels);
}

void KeepAbove(QWidget* window, const QWidget* owner) {
    QWindow* above = owner != nullptr ? owner->windowHandle() : nullptr;
    while (above != nullptr && !above->isVisible()) {
        above = above->transientParent();
    }
    window->winId();  // makes the native window the window manager is told about
    window->windowHandle()->setTransientParent(above);
}

}  // namespace zolvane::gui
