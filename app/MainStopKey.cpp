#include "MainStopKey.h"

#include <QApplication>
#include <QKeyEvent>

namespace zandor::app {

StopKey::StopKey()
{
    qApp->installEventFilter(this);
}

StopKey::~StopKey()
{
    qApp->removeEventFilter(this);
}

bool StopKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || QApplication::activeModalWidget())
        return QObject::eventFilter(watched, event);
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
        return QObject::eventFilter(watched, event);
    pressed_ = true;
    return true;  // a key press goes to the focus widget and on to its parents: taken once
}

}  // namespace zandor::app
