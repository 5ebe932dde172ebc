#include "SimulatedTarget.h"

#include "TestFiles.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace zandor::testing {

namespace {

constexpr int kStartLimitMs = 10000;  // the simulator prints "ready" within this
constexpr int kStopLimitMs = 10000;   // and writes its dump and exits within this
const QString kSimulatorName = QStringLiteral("zandor-sim");

}  // namespace

QString SimulatorPath()
{
    const QString fromEnvironment = qEnvironmentVariable("ZANDOR_SIM");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // Test executables live in <build>/tests/<folder>/ or one level deeper, benchmarks in
    // <build>/bench/.
    const QDir here(QCoreApplication::applicationDirPath());
    for (const char* relative : {"../../sim/", "../sim/", "../../../sim/"}) {
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

SimulatedTarget::SimulatedTarget(QStringList extraArgs) : extraArgs_(std::move(extraArgs)) {}

SimulatedTarget::~SimulatedTarget()
{
    stop();
}

QString SimulatedTarget::devicePath() const
{
    return dir_.filePath(QStringLiteral("tty"));
}

bool SimulatedTarget::start()
{
    const QStringList files{"--link", devicePath(), "--log", dir_.filePath("sim.log"),
                            "--dump", dir_.filePath("memory.txt")};
    // Standard input stays a pipe: if this process dies, the simulator sees it close and ends.
    process_.start(SimulatorPath(), files + extraArgs_);
    const QDeadlineTimer deadline(kStartLimitMs);
    QByteArray output;
    while (process_.waitForReadyRead(int(deadline.remainingTime()))) {
        while (process_.canReadLine()) {
            const QByteArray line = process_.readLine();
            if (line.startsWith("ready "))
                return true;
            output += line;
        }
    }
    error_ = QStringLiteral("%1 did not get ready (%2): %3 %4")
                 .arg(SimulatorPath(), process_.errorString(), QString::fromLocal8Bit(output),
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

QByteArray SimulatedTarget::dump() const
{
    return ReadTestFile(dir_.filePath("memory.txt"));
}

QMap<quint32, quint8> SimulatedTarget::memory() const
{
    QMap<quint32, quint8> memory;
    // One line per run of bytes: its start address and its bytes, in hexadecimal.
    for (const QByteArray& line : dump().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        bool ok = false;
        const quint32 start = fields.value(0).toUInt(&ok, 16);
        const QByteArray bytes = QByteArray::fromHex(fields.value(1));
        for (int i = 0; ok && i < bytes.size(); ++i) {
            if (quint8(bytes[i]) != kErasedFlashByte)
                memory.insert(start + quint32(i), quint8(bytes[i]));
        }
    }
    return memory;
}

QStringList SimulatedTarget::log() const
{
    const QString text = QString::fromLatin1(ReadTestFile(dir_.filePath("sim.log")));
    return text.split('\n', Qt::SkipEmptyParts);
}

}  // namespace zandor::testing
