#include "TargetOperations.h"

#include "ReplyCodes.h"
#include "SRecordCodec.h"
#include "TargetIo.h"

#include <algorithm>

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

// The byte a reply is explained by: its first, or behind a leading "*" the refusal that
// keeps it from being an acknowledgement.
char DecidingByte(const QByteArray& reply)
{
    if (reply.at(0) == kAcknowledge) {
        const auto refusal = std::find_if(reply.begin(), reply.end(), IsRefusal);
        if (refusal != reply.end())
            return *refusal;
    }
    return reply.at(0);
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

bool IsRefusal(char byte)
{
    return byte == kChipEraseFailed || byte == kChecksumError || byte == kChipProgramFailure
           || byte == kChipReadFailure;
}

bool HoldsRefusal(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), IsRefusal);
}

bool IsAcknowledgement(const QByteArray& reply)
{
    return !reply.isEmpty() && reply.at(0) == kAcknowledge && !HoldsRefusal(reply);
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
    // Everything read now is this reply. A stray "*" in front of a refusal must not pass
    // for an acknowledgement; other bytes after the "*" are ignored.
    const QByteArray reply = target.port.readAllPending();
    if (reply.isEmpty())
        return {AckResult::TimedOut, {}};
    if (IsAcknowledgement(reply))
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
    const char deciding = DecidingByte(reply);
    const QString hex = QString::number(static_cast<std::uint8_t>(deciding), 16).toUpper();
    // One character per received byte, non-printing bytes included.
    const QString shown = QString::fromLatin1(reply);
    if (const char* label = ReplyLabel(deciding))
        return QStringLiteral("%1 (%2 %3)").arg(QLatin1String(label), hex, shown);
    return QStringLiteral("Communication Error %1 (%2)").arg(hex, shown);
}

}  // namespace zandor::protocol
