#include "FailureText.h"

#include "ChipIdentification.h"
#include "ReplyCodes.h"
#include "SerialFormat.h"
#include "TargetOperations.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace zandor::protocol {

namespace {

constexpr double kMillisecondsPerSecond = 1000.0;
// Some derivatives measure the baud rate from the zero byte reliably only up to this rate.
constexpr int kReliablyMeasuredBaud = 19200;

QString Seconds(double seconds) { return QString::number(seconds, 'f', 1) + QStringLiteral(" s"); }

QString Seconds(int ticks) { return Seconds(ticks * kTickMilliseconds / kMillisecondsPerSecond); }

QString ByteText(std::uint8_t byte) { return QStringLiteral("%1").arg(uint(byte), 2, 16, QLatin1Char('0')).toUpper(); }

// "bank 2", "record 433 at 00006C00" / "record 433 of 1024": what the step was busy with;
// empty for the steps with a single answer.
QString Where(const StepEndEvent& end, Framing framing)
{
    switch (end.phase) {
    case Phase::Erase:
        return QStringLiteral("bank %1").arg(end.bank);
    case Phase::Download:
        if (framing == Framing::Window)
            return QStringLiteral("record %1 of %2").arg(end.record).arg(end.records);
        return end.hasAddress ? QStringLiteral("record %1 at %2").arg(end.record).arg(AddressText(end.address))
                              : QStringLiteral("record %1").arg(end.record);
    default:
        return QString();
    }
}

// The step as the front end names it: "erase: bank 2", "identify" on the command line;
// "bank 2", "the identification", "the loader" in the window.
QString Subject(const StepEndEvent& end, Framing framing)
{
    const QString where = Where(end, framing);
    if (framing == Framing::Window) {
        if (!where.isEmpty())
            return where;
        return end.phase == Phase::Identify ? QStringLiteral("the identification") : QStringLiteral("the loader");
    }
    return where.isEmpty() ? PhaseName(end.phase) : PhaseName(end.phase) + QStringLiteral(": ") + where;
}

QString NoAnswer(const StepEndEvent& end, const profiles::ProfileData* profile, const FailureContext& context)
{
    const QString head = QStringLiteral("%1: no answer within %2")
                             .arg(Subject(end, context.framing),
                                  context.probedSeconds > 0 ? Seconds(context.probedSeconds) : Seconds(end.limitTicks));
    if (!context.portHolders.isEmpty())
        return head + QStringLiteral(": the port is open in another program, %1, which may take the board's "
                                     "replies: close it")
                          .arg(context.portHolders.join(QStringLiteral(", ")));
    if (!profile)
        return head + QStringLiteral(": is the board reset into bootstrap mode and the cable on this port?");
    const QStringList checks = NoBoardChecklist(*profile);
    if (context.framing == Framing::Window)
        return head + QStringLiteral(". Check, most likely first:\n- ") + checks.join(QStringLiteral("\n- "));
    return head + QStringLiteral(": check, most likely first: ") + checks.join(QStringLiteral("; "));
}

// What the byte the board answered says, and what to try.
QString WrongChip(const StepEndEvent& end, const profiles::ProfileData* profile, const FailureContext& context)
{
    // The byte in hexadecimal only: as a character it may be a control code.
    const std::uint8_t byte = end.chip ? *end.chip : std::uint8_t(end.reply.isEmpty() ? 0 : end.reply.at(0));
    QString text = QStringLiteral("%1: the board answered %2h").arg(Subject(end, context.framing), ByteText(byte));
    if (profile)
        text += QStringLiteral(", not as a ") + ChipText(*profile);
    if (byte == std::uint8_t(kBootstrapRequest))
        return text + QStringLiteral(": that is our own zero byte coming back: the adapter echoes what it sends "
                                     "(a half-duplex one); use one that does not");
    const auto& table = ChipIdentifications();
    const bool known = std::any_of(table.begin(), table.end(),
                                   [byte](const ChipIdentification& row) { return row.byte == byte; });
    text += QStringLiteral(": that is ")
            + (profile ? RefusedIdentificationAdvice(byte, CpuTypeOf(*profile)) : IdentificationMeaning(byte));
    if (!known)
        text += QStringLiteral(": check the baud rate");
    return text;
}

}  // namespace

QString AddressText(std::uint32_t address)
{
    return QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0')).toUpper();
}

QString ChipText(const profiles::ProfileData& profile)
{
    const CpuType cpu = CpuTypeOf(profile);
    return QStringLiteral("%1 (%2h)")
        .arg(cpu == CpuType::ST10F168 ? QStringLiteral("ST10F168") : QStringLiteral("C167"),
             ByteText(AcceptedIdentification(cpu)));
}

QString ChipByteText(std::uint8_t byte) { return ByteText(byte); }

QString AnsweredChipText(std::uint8_t byte)
{
    return QStringLiteral("%1h (%2)").arg(ByteText(byte), IdentificationMeaning(byte));
}

QStringList NoBoardChecklist(const profiles::ProfileData& profile)
{
    QStringList checks{QStringLiteral("the board reset into bootstrap mode and the cable on this port")};
    const QString format = SerialFormatProblem(profile);
    if (!format.isEmpty())
        checks << QStringLiteral("the profile's serial format: %1 (the bootstrap loader measures the baud rate "
                                 "from a zero byte of 8 data bits)")
                      .arg(format);
    checks << QStringLiteral("the baud rate, %1: some derivatives measure it reliably only up to %2: try %2 or 9600")
                  .arg(BaudRateOf(profile))
                  .arg(kReliablyMeasuredBaud);
    checks << QStringLiteral("an adapter that echoes: a reply of 00h is our own zero byte coming back");
    return checks;
}

QString FailureText(const StepEndEvent& end, const profiles::ProfileData& profile, const FailureContext& context)
{
    switch (end.outcome) {
    case Outcome::NoTarget:
        return NoAnswer(end, &profile, context);
    case Outcome::WrongTarget:
        return WrongChip(end, &profile, context);
    default:
        return FailureText(end, context);
    }
}

QString FailureText(const StepEndEvent& end, const FailureContext& context)
{
    const QString subject = Subject(end, context.framing);
    switch (end.outcome) {
    case Outcome::Done:
        return QString();
    case Outcome::BadInput:
        return QStringLiteral("%1: the file cannot be sent").arg(PhaseName(end.phase));
    case Outcome::NoTarget:
        return NoAnswer(end, nullptr, context);
    case Outcome::WrongTarget:
        return WrongChip(end, nullptr, context);
    case Outcome::NotAcknowledged: {
        const QString text = QStringLiteral("%1 not acknowledged within %2").arg(subject, Seconds(end.limitTicks));
        if (end.phase == Phase::Loader || end.phase == Phase::PreLoader)
            return text + QStringLiteral(": check that the pre-loader and loader suit this board");
        return text;
    }
    case Outcome::Refused:
        return QStringLiteral("%1 refused: %2").arg(subject, TargetReplyText(end.reply));
    case Outcome::LineFailed:
        return QStringLiteral("%1: the line went away: is the adapter still plugged in?").arg(subject);
    case Outcome::Interrupted:
        return StoppedText(end, context.framing);
    }
    return QString();
}

QString StoppedText(const StepEndEvent& end, Framing framing)
{
    const bool window = framing == Framing::Window;
    switch (end.phase) {
    case Phase::Download:
        return (window ? QStringLiteral("record %1 of %2").arg(end.acknowledgedRecords).arg(end.records)
                       : QStringLiteral("interrupted after record %1 of %2 (%3)")
                             .arg(end.acknowledgedRecords)
                             .arg(end.records)
                             .arg(AddressText(end.lastAcknowledgedAddress)))
               + QStringLiteral(": the memory is partly programmed");
    case Phase::Erase:
        return (window ? QStringLiteral("bank %1") : QStringLiteral("interrupted after erasing bank %1")).arg(end.bank)
               + QStringLiteral(": the memory is partly erased");
    default:
        return window ? QStringLiteral("nothing was erased or programmed")
                      : QStringLiteral("interrupted: nothing was erased or programmed");
    }
}

QString RelativeNameFolder(const QString& file)
{
    if (file.isEmpty() || !QFileInfo(file).isRelative())
        return QString();
    // Started from a desktop menu the current folder is the home folder, not the one that
    // holds the profile's files: the folder tells the user where the name went.
    return QStringLiteral("relative names are looked up in %1")
        .arg(QDir::toNativeSeparators(QDir::currentPath()));
}

QString RelativeNameAdvice(const QString& file)
{
    if (RelativeNameFolder(file).isEmpty() || QFileInfo::exists(file))
        return QString();
    return RelativeNameFolder(file) + QStringLiteral(": run from the folder that holds the files, or give full paths");
}

}  // namespace zandor::protocol
