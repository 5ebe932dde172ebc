#pragma once

#include "platform/IEventPump.h"

#include <functional>

namespace zandor::testing {

// An event pump on a simulated clock: each wait advances time by the whole allowed
// interval at once, so a 10 s timeout costs nothing. A hook runs on every wait, where a
// test can deliver target bytes "during" the wait.
class FakeEventPump : public platform::IEventPump {
public:
    void waitForEvents(int maxMilliseconds) override
    {
        ++waits_;
        now_ += maxMilliseconds > 0 ? maxMilliseconds : 1;
        if (onWait)
            onWait(now_);
    }
    qint64 nowMilliseconds() override { return now_; }

    int waits() const { return waits_; }
    std::function<void(qint64 now)> onWait;

private:
    qint64 now_ = 1000;
    int waits_ = 0;
};

}  // namespace zandor::testing
