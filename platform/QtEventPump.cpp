#include "QtEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace zandor::platform {

QtEventPump::QtEventPump() { clock_.start(); }

void QtEventPump::waitForEvents(int maxMilliseconds)
{
    if (maxMilliseconds <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // Pending events are handled at once; only when there are none does the dispatcher
    // sleep, until port data, a timer of the program or this wake-up timer arrives.
    // A precise timer: a coarse one may wake up to 5% late and stretch short waits.
    const int timerId = wakeUp_.startTimer(maxMilliseconds, Qt::PreciseTimer);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (timerId != 0)
        wakeUp_.killTimer(timerId);
}

qint64 QtEventPump::nowMilliseconds() { return clock_.elapsed(); }

}  // namespace zandor::platform
