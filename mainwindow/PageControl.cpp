#include "mainwindow/PageControl.h"

namespace zolvane::gui {
namespace {

// Room either side of a caption, as a page control of the classic look leaves it.
constexpr int kCaptionMargin = 4;

}  // namespace

QSize TightTabBar::tabSizeHint(int index) const {
    QSize size = QTabBar::tabSizeHint(index);
    size.setWidth(fontMetrics().horizontalAdvance(tabText(index)) + 2 * kCaptionMargin);
    return size;
}

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new TightTabBar(this));
    tabBar()->setUsesScrollButtons(false);
    tabBar()->setExpanding(false);
}

}  // namespace zolvane::gui
