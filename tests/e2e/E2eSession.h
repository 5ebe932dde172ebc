#pragma once

// One programming session against the simulated board: the real protocol code, the real
// serial port on the simulator's pseudo-terminal, the real event pump, and a reporter
// that records what the user would see.

#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "profiles/ProfileData.h"
#include "protocol/Module1.h"
#include "support/RecordingReporter.h"
#include "support/SimulatedTarget.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QStringList>
#include <QTimer>
#include <memory>

namespace zandor::testing {

class E2eSession {
public:
    explicit E2eSession(QStringList simulatorArgs = {})
        : sim(std::move(simulatorArgs)),
          port([this](int) { return sim.devicePath(); }),
          target(port, reporter, pump, profile)
    {
    }

    // Starts the simulator and opens the port on it. The profile may be edited before.
    bool start(QString* why)
    {
        if (!sim.start()) {
            *why = sim.errorText();
            return false;
        }
        platform::PortSettings settings;
        settings.settings = profile.COMSettings;
        return port.open(settings, why);
    }

    // The lines of the simulator's log that begin with `word`.
    QStringList logLines(const QString& word) const
    {
        QStringList found;
        for (const QString& line : sim.log())
            if (line == word || line.startsWith(word + QLatin1Char(' ')))
                found.append(line);
        return found;
    }

    SimulatedTarget sim;
    profiles::ProfileData profile;
    RecordingReporter reporter;
    platform::QtEventPump pump;
    platform::QtSerialPort port;
    protocol::Target target;
};

// True when the event loop still delivers events after a failure.
inline bool EventLoopAlive()
{
    bool delivered = false;
    QTimer::singleShot(0, [&delivered] { delivered = true; });
    for (int i = 0; i < 100 && !delivered; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return delivered;
}

// The image an S-record file describes, read independently of the protocol's codec.
inline QMap<quint32, quint8> ImageOfSRecordFile(const QString& path)
{
    QMap<quint32, quint8> image;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return image;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.size() < 4 || line[0] != 'S')
            continue;
        const int addressDigits = line[1] == '1' ? 4 : line[1] == '2' ? 6 : line[1] == '3' ? 8 : 0;
        if (addressDigits == 0)
            continue;
        const QByteArray bytes = QByteArray::fromHex(line.mid(2));
        const int addressBytes = addressDigits / 2;
        quint32 address = 0;
        for (int i = 0; i < addressBytes; ++i)
            address = (address << 8) | quint8(bytes[1 + i]);
        const int dataBytes = quint8(bytes[0]) - addressBytes - 1;
        for (int i = 0; i < dataBytes; ++i)
            image.insert(address + quint32(i), quint8(bytes[1 + addressBytes + i]));
    }
    return image;
}

inline QMap<quint32, quint8> ImageOfBinary(const QByteArray& bytes, quint32 offset)
{
    QMap<quint32, quint8> image;
    for (int i = 0; i < bytes.size(); ++i)
        image.insert(offset + quint32(i), quint8(bytes[i]));
    return image;
}

inline QByteArray SampleBytes(const QString& name)
{
    QFile file(QDir(SamplesDir()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace zandor::testing
