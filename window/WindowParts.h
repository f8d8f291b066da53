// Small pieces every window of the program is made of: controls placed at their layout's
// bounds under their layout's names, fonts in pixels, and the frame of the small windows.
#pragma once

#include <QString>
#include <QWidget>

namespace zolvane::gui {

// A control of the layout: its name is also its object name, its bounds are relative to the
// parent.
template <typename Control>
Control* MakeControl(QWidget* parent, const char* name, int left, int top, int width,
                     int height) {
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(left, top, width, height);
    return control;
}

void SetFontPixels(QWidget* widget, int pixels, bool bold = false);
void SetTextColour(QWidget* widget, const QColor& colour);
// A label in black at the given size, sized to its text.
void SetLabelFont(QWidget* label, int pixels, bool bold = false);

// A small top-level window of a job, a dialog to the window system: its caption, a fixed
// client area, a close box and a minimise box but no maximise box, the program's icon, and
// its font size in pixels.
void SetUpJobWindow(QWidget* window, const QString& caption, int width, int height,
                    int fontPixels);

// Has the window manager keep `window` above `owner` (above the nearest shown window it stays
// above when `owner` is hidden), so that a click on a greyed window cannot bury it. Only the
// native windows are tied: a Qt parent would grey `window` along with `owner`. X11 is told
// only for a dialog (Qt::Dialog). Call it before `window` is first shown.
void KeepAbove(QWidget* window, const QWidget* owner);

}  // namespace zolvane::gui
