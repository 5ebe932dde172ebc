#include "TargetOperations.h"

#include "ReplyCodes.h"
#include "SRecordCodec.h"
#include "TargetIo.h"

namespace zandor::protocol {

namespace {

// The label under which a loader reply character is explained, or nullptr.
const char* ReplyLabel(char first)
{
    switch (first) {
    case kAcknowledge:
        return "Acknowledge Received :";
    case kChipEraseFailed:
        return "Chip Erase Failed :";
    case kChecksumError:
        return "Checksum Error :";
    case kChipProgramFailure:
        return "Chip Program Failure :";
    case kChipReadFailure:
        return "Chip Read Failure :";
    default:
        return nullptr;
    }
}

QByteArray WithChecksum(const QByteArray& head)
{
    QByteArray record = head;
    record.append(static_cast<char>(BinaryRecordChecksum(head)));
    return record;
}

}  // namespace

bool SendRecord(Target& target, const QByteArray& head)
{
    return WriteToTarget(target, WithChecksum(head));
}

Ack WaitForAck(Target& target, int limitTicks, Phase phase)
{
    switch (WaitForReplyBytes(target, limitTicks)) {
    case ReplyWait::PortFailed:
        return {AckResult::PortFailed, {}};
    case ReplyWait::TimedOut:
        return {AckResult::TimedOut, {}};
    case ReplyWait::BytesPending:
        break;
    }
    // Only the first byte is judged; later bytes of the same read are dropped.
    const QByteArray reply = target.port.readAllPending();
    if (reply.isEmpty())
        return {AckResult::TimedOut, {}};
    if (reply.at(0) == kAcknowledge)
        return {AckResult::Acknowledged, reply};
    target.observer.onReply({phase, reply});
    return {AckResult::Refused, reply};
}

Outcome OutcomeOf(const Ack& ack)
{
    switch (ack.result) {
    case AckResult::Acknowledged:
        return Outcome::Done;
    case AckResult::Refused:
        return Outcome::Refused;
    case AckResult::PortFailed:
        return Outcome::LineFailed;
    case AckResult::TimedOut:
        break;
    }
    return Outcome::NotAcknowledged;
}

QString TargetReplyText(const QByteArray& reply)
{
    if (reply.isEmpty())
        return QStringLiteral("Communication Error  ()");
    const char first = reply.at(0);
    const QString hex = QString::number(static_cast<std::uint8_t>(first), 16).toUpper();
    // One character per received byte, non-printing bytes included.
    const QString shown = QString::fromLatin1(reply);
    if (const char* label = ReplyLabel(first))
        return QStringLiteral("%1 (%2 %3)").arg(QLatin1String(label), hex, shown);
    return QStringLiteral("Communication Error %1 (%2)").arg(hex, shown);
}

}  // namespace zandor::protocol
