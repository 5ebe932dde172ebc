#include "MainTabStrip.h"

#include <QStyle>
#include <QStyleOptionTabWidgetFrame>

namespace zandor::app {

TabStrip::TabStrip(QWidget* parent) : QTabWidget(parent) {}

QRect TabStrip::clientArea() const
{
    QStyleOptionTabWidgetFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_TabWidgetTabContents, &option, this);
    return contents.translated(pos());
}

int TabStrip::selectedTabNumber() const
{
    return currentIndex() + 1;
}

}  // namespace zandor::app
