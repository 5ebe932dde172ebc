#include "Module1.h"

#include "ReplyCodes.h"
#include "TargetIo.h"

namespace zandor::protocol {

namespace {

std::uint8_t ExpectedIdentification(const profiles::ProfileData& profile)
{
    return profile.ProcessorCode == QLatin1String(kProcessorCodeST10F168) ? kBootstrapIdST10F168
                                                                          : kBootstrapIdC167;
}

}  // namespace

bool IdentifyTarget(Target& target, int loaderMemoryKind)
{
    // A late answer to an earlier attempt must not pass for this one.
    target.port.readAllPending();
    if (!WriteToTarget(target, QByteArray(1, kBootstrapRequest)))
        return false;
    if (WaitForReplyBytes(target, kIdentifyLimitTicks) != ReplyWait::BytesPending)
        return false;
    const QByteArray reply = target.port.readAllPending();
    if (reply.isEmpty())
        return false;
    if (static_cast<std::uint8_t>(reply.at(0)) != ExpectedIdentification(target.profile)) {
        ShowTargetReply(target.report, reply);
        return false;
    }
    SendLoader(target, loaderMemoryKind, kFirstLoad);
    return true;
}

}  // namespace zandor::protocol
