#include "window/PageControl.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTabBar>

namespace zolvane::gui {
namespace {

// The program's style with less room beside each tab's caption. Both the tab's size and
// the caption's place come from this one figure, so nothing is cut.
class TightTabStyle : public QProxyStyle {
public:
    TightTabStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        if (metric == PM_TabBarTabHSpace) {
            return kCaptionRoom;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    static constexpr int kCaptionRoom = 12;  // 6 pixels either side
};

}  // namespace

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    auto* style = new TightTabStyle;
    style->setParent(this);
    tabBar()->setStyle(style);
    tabBar()->setUsesScrollButtons(false);
    tabBar()->setExpanding(false);
}

}  // namespace zolvane::gui
