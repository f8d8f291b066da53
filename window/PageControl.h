// The page control: tabs drawn just as wide as their captions need, so that all four pages
// fit the window's fixed width without scroll buttons.
#pragma once

#include <QTabWidget>

namespace zolvane::gui {

class PageControl : public QTabWidget {
public:
    explicit PageControl(QWidget* parent = nullptr);
};

}  // namespace zolvane::gui
