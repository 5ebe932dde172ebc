#pragma once

#include "IEventPump.h"

#include <QElapsedTimer>
#include <QObject>

namespace zandor::platform {

// Lets the Qt event loop run inside a protocol wait. The wait sleeps in the event
// dispatcher (poll on the port's descriptor and the timers), so it costs no CPU while
// nothing happens.
class QtEventPump : public IEventPump {
public:
    QtEventPump();

    void waitForEvents(int maxMilliseconds) override;
    qint64 nowMilliseconds() override;

private:
    // Receives the wake-up timers. Each wait arms its own timer id on it, so a wait
    // nested inside an event handler cannot disarm the wake-up of the wait around it.
    QObject wakeUp_;
    QElapsedTimer clock_;
};

}  // namespace zandor::platform
