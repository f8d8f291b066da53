// The page control: tabs drawn just as wide as their captions, so that all four pages fit
// the window's fixed width without scroll buttons.
#pragma once

#include <QTabBar>
#include <QTabWidget>

namespace zolvane::gui {

class TightTabBar : public QTabBar {
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override;
};

class PageControl : public QTabWidget {
public:
    explicit PageControl(QWidget* parent = nullptr);
};

}  // namespace zolvane::gui
