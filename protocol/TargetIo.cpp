#include "TargetIo.h"

#include "ReplyCodes.h"
#include "SerialFormat.h"
#include "TargetOperations.h"
#include "platform/TimeUnits.h"

#include <algorithm>

namespace zandor::protocol {

bool WriteToTarget(Target& target, const QByteArray& bytes)
{
    if (!target.port.write(bytes))
        return false;
    target.bytesSinceWait += bytes.size();
    return true;
}

qint64 WireMilliseconds(const profiles::ProfileData& profile, qint64 bytes)
{
    const qint64 bitTimes = bytes * kBitsPerWireByte * qint64(platform::kMillisecondsPerSecond);
    const qint64 baud = BaudRateOf(profile);
    return (bitTimes + baud - 1) / baud;
}

ReplyWait WaitForReplyBytes(Target& target, int limitTicks)
{
    // The target cannot answer before what we wrote has crossed the line.
    const qint64 wireMs = WireMilliseconds(target.profile, target.bytesSinceWait);
    target.bytesSinceWait = 0;
    target.replyDeadlineMs =
        target.pump.nowMilliseconds() + qint64(std::max(limitTicks, 0)) * kTickMilliseconds + wireMs;

    for (;;) {
        if (target.port.hasFailed())
            return ReplyWait::PortFailed;
        if (target.port.pendingCount() > 0)
            return ReplyWait::BytesPending;
        if (limitTicks <= 0)
            return ReplyWait::TimedOut;
        const qint64 left = target.replyDeadlineMs - target.pump.nowMilliseconds();
        if (left <= 0)
            return ReplyWait::TimedOut;
        target.pump.waitForEvents(static_cast<int>(left));
    }
}

namespace {

std::optional<StepEndEvent> RefusedThere(Target& target, const QByteArray& late)
{
    if (!target.lastAnswered || !HoldsRefusal(late))
        return std::nullopt;
    StepEndEvent end = *target.lastAnswered;
    end.outcome = Outcome::Refused;
    end.reply = late;
    target.observer.onReply({end.phase, late});
    return end;
}

}  // namespace

std::optional<StepEndEvent> TakeLateRefusal(Target& target)
{
    return RefusedThere(target, target.port.readAllPending());
}

std::optional<StepEndEvent> DrainLateRefusal(Target& target)
{
    const qint64 deadlineMs =
        target.pump.nowMilliseconds() + WireMilliseconds(target.profile, kLateReplyBytes) + kLateReplyGraceMs;
    QByteArray late;
    for (;;) {
        if (target.port.pendingCount() > 0) {
            late += target.port.readAllPending();
            if (HoldsRefusal(late))
                break;
        }
        const qint64 left = deadlineMs - target.pump.nowMilliseconds();
        if (left <= 0 || target.port.hasFailed())
            break;
        target.pump.waitForEvents(static_cast<int>(left));
    }
    return RefusedThere(target, late);
}

Outcome WriteFailure(const Target& target)
{
    return target.port.hasFailed() ? Outcome::LineFailed : Outcome::NotAcknowledged;
}

}  // namespace zandor::protocol
