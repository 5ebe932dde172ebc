#include "TargetIo.h"

#include "ReplyCodes.h"

#include <algorithm>

namespace zandor::protocol {

namespace {

constexpr qint64 kMillisecondsPerSecond = 1000;

int BaudRate(const profiles::ProfileData& profile)
{
    // "38400,N,8,1": the baud rate is the first field.
    bool ok = false;
    const int baud = profile.COMSettings.section(QLatin1Char(','), 0, 0).trimmed().toInt(&ok);
    return ok && baud > 0 ? baud : kFallbackBaudRate;
}

}  // namespace

bool WriteToTarget(Target& target, const QByteArray& bytes)
{
    if (!target.port.write(bytes))
        return false;
    target.bytesSinceWait += bytes.size();
    return true;
}

qint64 WireMilliseconds(const profiles::ProfileData& profile, qint64 bytes)
{
    const qint64 bitTimes = bytes * kBitsPerWireByte * kMillisecondsPerSecond;
    const qint64 baud = BaudRate(profile);
    return (bitTimes + baud - 1) / baud;
}

ReplyWait WaitForReplyBytes(Target& target, int limitTicks)
{
    // The target cannot answer before what we wrote has crossed the line.
    const qint64 wireMs = WireMilliseconds(target.profile, target.bytesSinceWait);
    target.bytesSinceWait = 0;
    TimeoutTicks = limitTicks;

    const qint64 start = target.pump.nowMilliseconds();
    const qint64 fullMs = qint64(std::max(limitTicks, 0)) * kTickMilliseconds + wireMs;
    // Timer1 ticks are not aligned with the start of the wait: the countdown may reach 0
    // up to one tick early, never earlier than this.
    const qint64 earliestMs = qint64(std::max(limitTicks - 1, 0)) * kTickMilliseconds + wireMs;

    for (;;) {
        if (target.port.hasFailed())
            return ReplyWait::PortFailed;
        if (target.port.pendingCount() > 0)
            return ReplyWait::BytesPending;
        if (limitTicks <= 0)
            return ReplyWait::TimedOut;
        const qint64 elapsed = target.pump.nowMilliseconds() - start;
        if (elapsed >= fullMs || (TimeoutTicks <= 0 && elapsed >= earliestMs))
            return ReplyWait::TimedOut;
        const qint64 endMs = TimeoutTicks <= 0 ? earliestMs : fullMs;
        target.pump.waitForEvents(static_cast<int>(std::max<qint64>(endMs - elapsed, 1)));
    }
}

Outcome WriteFailure(const Target& target)
{
    return target.port.hasFailed() ? Outcome::LineFailed : Outcome::NotAcknowledged;
}

}  // namespace zandor::protocol
