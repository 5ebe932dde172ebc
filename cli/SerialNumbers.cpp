#include "SerialNumbers.h"

#include "Interrupt.h"
#include "platform/SerialCounterFile.h"
#include "platform/TimeUnits.h"

#include <QEventLoop>
#include <QProcess>
#include <QTimer>

namespace zandor::cli {

namespace {

// A signal handler cannot wake an event loop: a Ctrl-C is looked for this often, in
// milliseconds, while CMD runs.
constexpr int kStopCheckIntervalMs = 100;
using platform::kMillisecondsPerSecond;

// After a kill, how long CMD's end is waited for, in milliseconds.
constexpr int kKillWaitMs = 1000;
// CMD's error output quoted in a message: at most this many characters.
constexpr int kQuotedErrorChars = 300;

QString Quoted(const QByteArray& errorOutput)
{
    const QString text = QString::fromLocal8Bit(errorOutput).trimmed();
    if (text.isEmpty())
        return QStringLiteral(" (it wrote no error output)");
    return QStringLiteral(": ") + (text.size() > kQuotedErrorChars ? text.left(kQuotedErrorChars) + QStringLiteral("...") : text);
}

}  // namespace

std::optional<std::uint64_t> RunSerialCommand(const QString& command, QString* fault, int limitMs)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    QEventLoop loop;
    bool timedOut = false;
    bool stopped = false;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] {
        timedOut = true;
        loop.quit();
    });
    QTimer stopCheck;
    QObject::connect(&stopCheck, &QTimer::timeout, [&] {
        if (InterruptRequested()) {
            stopped = true;
            loop.quit();
        }
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), command});
    limit.start(limitMs);
    stopCheck.start(kStopCheckIntervalMs);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    const QString name = QStringLiteral("--serial-command '%1'").arg(command);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(kKillWaitMs);
        *fault = stopped ? QStringLiteral("%1 was ended by the stop request: no number").arg(name)
                         : QStringLiteral("%1 gave no answer within %2 s%3")
                               .arg(name)
                               .arg(limitMs / double(kMillisecondsPerSecond))
                               .arg(Quoted(process.readAllStandardError()));
        return std::nullopt;
    }
    if (process.error() == QProcess::FailedToStart) {
        *fault = QStringLiteral("%1 could not be started: %2").arg(name, process.errorString());
        return std::nullopt;
    }
    const QByteArray errors = process.readAllStandardError();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        *fault = QStringLiteral("%1 failed (exit %2)%3")
                     .arg(name)
                     .arg(process.exitStatus() == QProcess::NormalExit ? QString::number(process.exitCode())
                                                                        : QStringLiteral("by a signal"))
                     .arg(Quoted(errors));
        return std::nullopt;
    }
    const QString first = QString::fromLocal8Bit(process.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed();
    bool ok = false;
    const qulonglong number = first.toULongLong(&ok, 10);
    if (!ok || first.startsWith(QLatin1Char('+'))) {
        *fault = first.isEmpty() ? QStringLiteral("%1 gave no number%2").arg(name, Quoted(errors))
                                 : QStringLiteral("%1 gave '%2', no decimal number%3").arg(name, first, Quoted(errors));
        return std::nullopt;
    }
    return number;
}

SerialTake TakeBoardSerial(const SerialPlan& plan, const protocol::ApplicationImage& image)
{
    SerialTake take;
    QString fault;
    take.number = plan.command.isEmpty() ? platform::TakeSerialNumber(plan.counterFile, plan.start, plan.step, &fault)
                                         : RunSerialCommand(plan.command, &fault);
    if (!take.number) {
        take.fault = fault;
        return take;
    }
    const std::optional<QByteArray> bytes = protocol::EncodeSerialNumber(*take.number, plan.format, &fault);
    if (bytes)
        take.image = protocol::WithSerialNumber(image, plan.address, *bytes, plan.placeholder, &fault);
    if (!take.image)
        take.fault = QStringLiteral("serial number %1: %2").arg(*take.number).arg(fault);
    return take;
}

}  // namespace zandor::cli
