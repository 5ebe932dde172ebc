#pragma once

#include <QtGlobal>

namespace zandor::platform {

// Lets the user-interface event loop run while the protocol waits for the target.
class IEventPump {
public:
    virtual ~IEventPump() = default;

    // Processes pending events; when there are none, sleeps until an event arrives (port
    // data, a timer tick, a repaint) or `maxMilliseconds` have passed. Never spins.
    virtual void waitForEvents(int maxMilliseconds) = 0;
    // A monotonic clock in milliseconds: waits measure their limit with it, so a tick the
    // event loop delivered late neither shortens nor stretches a wait.
    virtual qint64 nowMilliseconds() = 0;
};

}  // namespace zandor::platform
