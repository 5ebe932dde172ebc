#pragma once

#include <QRect>
#include <QTabWidget>

namespace zandor::app {

// The tab strip of the main window. Its pages stay empty: the frames that belong to the
// tabs are siblings laid over the strip's client area, so that the window decides which
// frame is shown and which lies on top.
class TabStrip : public QTabWidget {
public:
    explicit TabStrip(QWidget* parent = nullptr);

    // The client area (below the tabs, inside the border) in the parent's coordinates.
    // Valid before the strip is first shown, unlike the pages' own geometry.
    QRect clientArea() const;
    // The selected tab counted from 1, as the window's frames are numbered; 0 for none.
    int selectedTabNumber() const;
};

}  // namespace zandor::app
