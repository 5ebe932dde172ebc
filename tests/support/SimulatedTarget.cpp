#include "SimulatedTarget.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace zandor::testing {

namespace {

constexpr int kStartLimitMs = 10000;  // the simulator prints "ready" within this
constexpr int kStopLimitMs = 10000;   // and writes its dump and exits within this
const QString kSimulatorName = QStringLiteral("zandor-sim");
const QString kReadyWord = QStringLiteral("ready ");

}  // namespace

QString SimulatorPath()
{
    const QString fromEnvironment = qEnvironmentVariable("ZANDOR_SIM");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // Test executables live in <build>/tests/<folder>/, benchmarks in <build>/bench/.
    const QDir here(QCoreApplication::applicationDirPath());
    for (const QString& relative : {QStringLiteral("../../sim/"), QStringLiteral("../sim/"),
                                    QStringLiteral("../../../sim/")}) {
        const QString candidate = here.absoluteFilePath(relative + kSimulatorName);
        if (QFileInfo(candidate).isExecutable())
            return QDir::cleanPath(candidate);
    }
    return kSimulatorName;
}

QString SamplesDir()
{
    const QString fromEnvironment = qEnvironmentVariable("ZANDOR_SAMPLES");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // This file is tests/support/SimulatedTarget.cpp in the source tree.
    return QDir::cleanPath(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
                           QStringLiteral("/../../samples"));
}

SimulatedTarget::SimulatedTarget(QStringList extraArgs) : extraArgs_(std::move(extraArgs))
{
}

SimulatedTarget::~SimulatedTarget()
{
    stop();
}

QString SimulatedTarget::devicePath() const
{
    return dir_.filePath(QStringLiteral("tty"));
}

bool SimulatedTarget::isRunning() const
{
    return process_.state() != QProcess::NotRunning;
}

bool SimulatedTarget::start()
{
    if (!dir_.isValid()) {
        error_ = QStringLiteral("no temporary folder: ") + dir_.errorString();
        return false;
    }
    QStringList arguments{QStringLiteral("--link"), devicePath(),
                          QStringLiteral("--log"), dir_.filePath(QStringLiteral("sim.log")),
                          QStringLiteral("--dump"), dir_.filePath(QStringLiteral("memory.txt"))};
    arguments += extraArgs_;
    // Standard input stays a pipe: if this process dies, the simulator sees it close and ends.
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.start(SimulatorPath(), arguments);
    if (!process_.waitForStarted(kStartLimitMs)) {
        error_ = QStringLiteral("cannot start %1: %2").arg(SimulatorPath(), process_.errorString());
        return false;
    }
    const QDeadlineTimer deadline(kStartLimitMs);
    QByteArray output;
    while (!deadline.hasExpired()) {
        if (!process_.canReadLine() && !process_.waitForReadyRead(int(deadline.remainingTime())))
            break;
        while (process_.canReadLine()) {
            const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
            if (line.startsWith(kReadyWord))
                return true;
            output += line.toLocal8Bit() + '\n';
        }
    }
    error_ = QStringLiteral("the simulator did not get ready: %1 %2")
                 .arg(QString::fromLocal8Bit(output),
                      QString::fromLocal8Bit(process_.readAllStandardError()));
    stop();
    return false;
}

void SimulatedTarget::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(kStopLimitMs)) {
        process_.kill();
        process_.waitForFinished(kStopLimitMs);
    }
}

QMap<quint32, quint8> SimulatedTarget::memory() const
{
    QMap<quint32, quint8> memory;
    QFile file(dir_.filePath(QStringLiteral("memory.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return memory;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        const int blank = line.indexOf(' ');
        if (blank <= 0)
            continue;
        bool ok = false;
        const quint32 start = line.left(blank).toUInt(&ok, 16);
        if (!ok)
            continue;
        const QByteArray bytes = QByteArray::fromHex(line.mid(blank + 1));
        for (int i = 0; i < bytes.size(); ++i)
            memory.insert(start + quint32(i), quint8(bytes[i]));
    }
    return memory;
}

QStringList SimulatedTarget::log() const
{
    QFile file(dir_.filePath(QStringLiteral("sim.log")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace zandor::testing
