#include "protocol/LineSequenceRun.h"
#include "support/FakeEventPump.h"
#include "support/RecordingModemLines.h"

#include <gtest/gtest.h>

using namespace zandor;
using zandor::testing::RecordingModemLines;

namespace {

// A pump whose waits end early, as they do whenever an event (port data, a repaint) arrives.
class EarlyPump : public zandor::testing::FakeEventPump {
public:
    void waitForEvents(int maxMilliseconds) override
    {
        ++calls;
        longest = std::max(longest, maxMilliseconds);
        zandor::testing::FakeEventPump::waitForEvents(std::min(maxMilliseconds, 7));
    }
    int calls = 0;
    int longest = 0;
};

}  // namespace

// A line the port cannot set and a stop during a wait: ResetSequenceTest, through the identification.
TEST(LineSequenceRun, LinesChangeInOrderAndEachWaitLastsItsTimeHoweverEventsFall)
{
    EarlyPump pump;  // clock starts at 1000 ms
    RecordingModemLines lines(pump);
    const auto steps = profiles::ParseLineSequence(QStringLiteral("dtr=on rts=on wait=50 rts=off wait=0 wait=100 dtr=off"));
    const auto outcome = protocol::RunLineSequence(*steps, lines, pump);
    EXPECT_EQ(outcome.result, protocol::LineSequenceOutcome::Result::Done);
    EXPECT_EQ(outcome.stepsDone, steps->size());
    EXPECT_EQ(lines.changes, QStringList({"1000 dtr=1", "1000 rts=1", "1050 rts=0", "1150 dtr=0"}));
    EXPECT_EQ(pump.calls, 8 + 15);   // 50 ms and 100 ms in waits of 7 ms at most; wait=0 never waits
    EXPECT_LE(pump.longest, 100);   // never asked to sleep past the wait's end
}
