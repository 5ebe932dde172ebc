#include "platform/QtEventPump.h"

#include <QTimer>
#include <gtest/gtest.h>

TEST(QtEventPump, DeliversTimersAndPostedCallsAndKeepsAClock)
{
    zandor::platform::QtEventPump pump;
    int fired = 0;
    QTimer::singleShot(30, [&] { ++fired; });
    QTimer::singleShot(0, [&] { ++fired; });
    const qint64 start = pump.nowMilliseconds();
    for (int round = 0; round < 200 && fired < 2; ++round)
        pump.waitForEvents(round % 2 ? 20 : 0);  // a zero wait processes what is pending
    EXPECT_EQ(fired, 2);
    EXPECT_GE(pump.nowMilliseconds() - start, 30);  // the timer fired, so its interval has passed
}
