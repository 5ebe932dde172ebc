#include "WindowRunReasons.h"

#include "protocol/TargetOperations.h"
#include "protocol/Target.h"

#include <QDir>
#include <QFileInfo>

namespace zandor::app {

namespace {
constexpr double kMillisecondsPerSecond = 1000.0;

QString SecondsOfTicks(int ticks)
{
    return QString::number(ticks * protocol::kTickMilliseconds / kMillisecondsPerSecond, 'f', 1)
           + QStringLiteral(" s");
}

// "bank 2", "record 433", "the loader": what the step was busy with when it failed.
QString Subject(const protocol::StepEndEvent& end)
{
    switch (end.phase) {
    case protocol::Phase::Erase:
        return QStringLiteral("bank %1").arg(end.bank);
    case protocol::Phase::Download:
        return QStringLiteral("record %1 of %2").arg(end.record).arg(end.records);
    case protocol::Phase::Identify:
        return QStringLiteral("the identification");
    default:
        return QStringLiteral("the loader");
    }
}
}  // namespace

QString FileFaultWithFolder(const QString& faultText, const QString& file)
{
    if (file.isEmpty() || !QFileInfo(file).isRelative())
        return faultText;
    QString text = faultText;
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    // Started from a desktop menu the current folder is the home folder, not the one that
    // holds the profile's files: the folder tells the user where the name went.
    return text + QStringLiteral(" (relative names are looked up in %1).")
                      .arg(QDir::toNativeSeparators(QDir::currentPath()));
}

QString StoppedRunText(const protocol::StepEndEvent& end)
{
    switch (end.phase) {
    case protocol::Phase::Download:
        return QStringLiteral("record %1 of %2: the memory is partly programmed")
            .arg(end.acknowledgedRecords)
            .arg(end.records);
    case protocol::Phase::Erase:
        return QStringLiteral("bank %1: the memory is partly erased").arg(end.bank);
    default:
        return QStringLiteral("nothing was erased or programmed");
    }
}

QString StepFailureText(const protocol::StepEndEvent& end)
{
    using protocol::Outcome;
    switch (end.outcome) {
    case Outcome::Done:
    case Outcome::BadInput:
    case Outcome::Interrupted:
        return QString();
    case Outcome::NoTarget:
    case Outcome::NotAcknowledged:
        return QStringLiteral("%1: no answer within %2").arg(Subject(end), SecondsOfTicks(end.limitTicks));
    case Outcome::WrongTarget:
        return QStringLiteral("%1: the board answered %2h, not the profile's processor")
            .arg(Subject(end), QString::fromLatin1(end.reply.left(1).toHex().toUpper()));
    case Outcome::Refused:
        return QStringLiteral("%1 refused: %2").arg(Subject(end), protocol::TargetReplyText(end.reply));
    case Outcome::LineFailed:
        return QStringLiteral("%1: the line went away: is the adapter still plugged in?").arg(Subject(end));
    }
    return QString();
}

}  // namespace zandor::app
