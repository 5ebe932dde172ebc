#include "FailureText.h"

#include "protocol/TargetOperations.h"
#include "protocol/Target.h"
#include "profiles/MemoryFiles.h"

namespace zandor::cli {

namespace {

QString Seconds(double seconds) { return QString::number(seconds, 'f', 1) + QStringLiteral(" s"); }

QString Seconds(int ticks) { return Seconds(ticks * protocol::kTickMilliseconds / 1000.0); }

// "bank 2", "record 433 at 00006C00", "the loader": what the step was busy with.
QString Where(const protocol::StepEndEvent& end)
{
    switch (end.phase) {
    case protocol::Phase::Erase:
        return QStringLiteral("bank %1").arg(end.bank);
    case protocol::Phase::Download:
        return end.hasAddress ? QStringLiteral("record %1 at %2").arg(end.record).arg(AddressText(end.address))
                              : QStringLiteral("record %1").arg(end.record);
    default:
        return QString();  // the loader's single acknowledgement
    }
}

// "erase: bank 2" or "loader": the phase and, where there is one, what it was busy with.
QString Subject(const protocol::StepEndEvent& end)
{
    const QString where = Where(end);
    return where.isEmpty() ? protocol::PhaseName(end.phase) : protocol::PhaseName(end.phase) + QStringLiteral(": ") + where;
}

QString Interrupted(const protocol::StepEndEvent& end)
{
    switch (end.phase) {
    case protocol::Phase::Download:
        return QStringLiteral("interrupted after record %1 of %2 (%3): the memory is partly programmed")
            .arg(end.acknowledgedRecords)
            .arg(end.records)
            .arg(AddressText(end.lastAcknowledgedAddress));
    case protocol::Phase::Erase:
        return QStringLiteral("interrupted after erasing bank %1: the memory is partly erased").arg(end.bank);
    default:
        return QStringLiteral("interrupted: nothing was erased or programmed");
    }
}

}  // namespace

QString AddressText(std::uint32_t address)
{
    return QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0')).toUpper();
}

QString ChipText(const profiles::ProfileData& profile)
{
    const uint byte = protocol::ExpectedIdentification(profile);
    return QStringLiteral("%1 (%2h)")
        .arg(profiles::IsST10F168(profile) ? profiles::kProcessorCodeST10F168 : QStringLiteral("C167"))
        .arg(QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper());
}

QString FailureText(const protocol::StepEndEvent& end, const FailureContext& context, const QStringList& portHolders)
{
    using protocol::Outcome;
    const QString phase = protocol::PhaseName(end.phase);
    switch (end.outcome) {
    case Outcome::Done:
        return QString();
    case Outcome::BadInput:
        return QStringLiteral("%1: the file cannot be sent").arg(phase);
    case Outcome::NoTarget:
        if (!portHolders.isEmpty())
            return QStringLiteral("%1: no answer within %2: the port is open in another program, %3, which may "
                                  "take the board's replies: close it")
                .arg(phase, context.probedSeconds > 0 ? Seconds(context.probedSeconds) : Seconds(end.limitTicks),
                     portHolders.join(QStringLiteral(", ")));
        return QStringLiteral("%1: no answer within %2: is the board reset into bootstrap mode and "
                              "the cable on this port?")
            .arg(phase, context.probedSeconds > 0 ? Seconds(context.probedSeconds) : Seconds(end.limitTicks));
    case Outcome::WrongTarget: {
        // The byte in hexadecimal only: as a character it may be a control code.
        const QString answered = QString::fromLatin1(end.reply.left(1).toHex().toUpper()) + QLatin1Char('h');
        return QStringLiteral("%1: the board answered %2%3: check the processor (--cpu) and the baud rate")
            .arg(phase, answered,
                 context.expectedChip.isEmpty() ? QString() : QStringLiteral(", not as a ") + context.expectedChip);
    }
    case Outcome::NotAcknowledged: {
        const QString text = QStringLiteral("%1 not acknowledged within %2").arg(Subject(end), Seconds(end.limitTicks));
        if (end.phase == protocol::Phase::Loader || end.phase == protocol::Phase::PreLoader)
            return text + QStringLiteral(": check that the pre-loader and loader suit this board");
        return text;
    }
    case Outcome::Refused:
        return QStringLiteral("%1 refused: %2").arg(Subject(end), protocol::TargetReplyText(end.reply));
    case Outcome::LineFailed:
        return QStringLiteral("%1: the line went away: is the adapter still plugged in?").arg(Subject(end));
    case Outcome::Interrupted:
        return Interrupted(end);
    }
    return QString();
}

}  // namespace zandor::cli
