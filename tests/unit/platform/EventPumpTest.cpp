#include "platform/QtEventPump.h"

#include <QTimer>
#include <gtest/gtest.h>

using zandor::platform::QtEventPump;

TEST(QtEventPump, DeliversTimersAndPostedCallsAndKeepsAMonotonicClock)
{
    QtEventPump pump;
    bool posted = false;
    bool timed = false;
    QTimer::singleShot(0, [&] { posted = true; });
    QTimer::singleShot(30, [&] { timed = true; });

    const qint64 start = pump.nowMilliseconds();
    qint64 previous = start;
    for (int round = 0; round < 200 && !(posted && timed); ++round) {
        pump.waitForEvents(20);
        const qint64 now = pump.nowMilliseconds();
        EXPECT_GE(now, previous);
        previous = now;
    }
    EXPECT_TRUE(posted);
    EXPECT_TRUE(timed);
    // The timer fired, so at least its interval has passed on the pump's clock.
    EXPECT_GE(pump.nowMilliseconds() - start, 30);

    // A zero wait only processes what is pending.
    posted = false;
    QTimer::singleShot(0, [&] { posted = true; });
    for (int round = 0; round < 50 && !posted; ++round)
        pump.waitForEvents(0);
    EXPECT_TRUE(posted);
}
