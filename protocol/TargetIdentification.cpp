#include "Module1.h"

#include "ReplyCodes.h"
#include "TargetIo.h"
#include "profiles/MemoryFiles.h"

namespace zandor::protocol {

namespace {

std::uint8_t ExpectedIdentification(const profiles::ProfileData& profile)
{
    return profiles::IsST10F168(profile) ? kBootstrapIdST10F168 : kBootstrapIdC167;
}

Outcome Identify(Target& target, QByteArray* wrongReply)
{
    // A late answer to an earlier attempt must not pass for this one.
    target.port.readAllPending();
    if (!WriteToTarget(target, QByteArray(1, kBootstrapRequest)))
        return target.port.hasFailed() ? Outcome::LineFailed : Outcome::NoTarget;
    switch (WaitForReplyBytes(target, kIdentifyLimitTicks)) {
    case ReplyWait::PortFailed:
        return Outcome::LineFailed;
    case ReplyWait::TimedOut:
        return Outcome::NoTarget;
    case ReplyWait::BytesPending:
        break;
    }
    const QByteArray reply = target.port.readAllPending();
    if (reply.isEmpty())
        return Outcome::NoTarget;
    if (static_cast<std::uint8_t>(reply.at(0)) != ExpectedIdentification(target.profile)) {
        target.observer.onReply({Phase::Identify, reply});
        *wrongReply = reply;
        return Outcome::WrongTarget;
    }
    return Outcome::Done;
}

}  // namespace

Outcome IdentifyBootstrap(Target& target)
{
    StepEvent step;  // no status text: the window keeps what it shows
    step.phase = Phase::Identify;
    target.observer.onStep(step);
    StepEndEvent end;
    end.phase = Phase::Identify;
    end.limitTicks = kIdentifyLimitTicks;
    end.outcome = Identify(target, &end.reply);
    target.observer.onStepEnd(end);
    return end.outcome;
}

Outcome IdentifyTarget(Target& target, int loaderMemoryKind)
{
    const Outcome identified = IdentifyBootstrap(target);
    if (identified == Outcome::Done)
        SendLoader(target, loaderMemoryKind, kFirstLoad);
    return identified;
}

}  // namespace zandor::protocol
