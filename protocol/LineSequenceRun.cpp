#include "LineSequenceRun.h"

namespace zandor::protocol {

namespace {

// Waits on the pump until `milliseconds` have passed on its clock; false when stopped.
bool Wait(int milliseconds, platform::IEventPump& pump, const std::function<bool()>& stopRequested)
{
    const qint64 deadline = pump.nowMilliseconds() + milliseconds;
    for (qint64 left = milliseconds; left > 0; left = deadline - pump.nowMilliseconds()) {
        pump.waitForEvents(int(left));
        if (stopRequested && stopRequested())
            return false;
    }
    return true;
}

}  // namespace

LineSequenceOutcome RunLineSequence(const profiles::LineSequence& steps, platform::IModemLines& lines,
                                    platform::IEventPump& pump, const std::function<bool()>& stopRequested)
{
    LineSequenceOutcome outcome;
    for (const profiles::LineStep& step : steps) {
        if (step.kind == profiles::LineStep::Kind::Wait) {
            if (!Wait(step.milliseconds, pump, stopRequested)) {
                outcome.result = LineSequenceOutcome::Result::Interrupted;
                return outcome;
            }
        } else {
            QString reason;
            const bool set = step.line == profiles::SequenceLine::Dtr ? lines.setDtr(step.asserted, &reason)
                                                                      : lines.setRts(step.asserted, &reason);
            if (!set) {
                outcome.result = LineSequenceOutcome::Result::LineFailed;
                outcome.reason = QStringLiteral("The sequence stopped at its step \"%1\": %2")
                                     .arg(profiles::LineStepText(step), reason);
                return outcome;
            }
        }
        ++outcome.stepsDone;
    }
    return outcome;
}

}  // namespace zandor::protocol
