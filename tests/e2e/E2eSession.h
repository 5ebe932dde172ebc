#pragma once

// One programming session against the simulated board: the real protocol, the real serial
// port on the simulator's pseudo-terminal, the real event pump and a recording reporter.

#include "app/WindowProtocolView.h"
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
#include <QRegularExpression>
#include <QTimer>

namespace zandor::testing {

inline QByteArray SampleBytes(const QString& name)
{
    QFile file(QDir(SamplesDir()).filePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class E2eSession {
public:
    explicit E2eSession(QStringList simulatorArgs = {})
        : sim(std::move(simulatorArgs)), port([this](int) { return sim.devicePath(); }),
          target(port, view, pump, profile)
    {
    }

    // Starts the simulator and opens the port on it: the reason when that failed, else "".
    QString start()
    {
        if (!sim.start())
            return sim.errorText();
        platform::PortSettings settings;
        settings.settings = profile.COMSettings;
        QString why;
        return port.open(settings, &why) ? QString() : QStringLiteral("cannot open the port: ") + why;
    }

    // The profile's application file of the memory, read, checked and downloaded.
    bool program(int memoryKind)
    {
        const protocol::ApplicationLoad load = protocol::LoadApplicationImage(profile, memoryKind);
        return load.image && protocol::SendApplication(target, *load.image, memoryKind) == protocol::Outcome::Done;
    }

    void useBinary(const QString& offset)
    {
        profile.C167ApplFile = QStringLiteral("Appl.bin");
        profile.C167ApplFileOffset = offset;
    }

    // The simulator's log lines that begin with `word`.
    QStringList logLines(const QString& word) const
    {
        return sim.log().filter(QRegularExpression(QStringLiteral("^%1( |$)").arg(word)));
    }

    SimulatedTarget sim;
    profiles::ProfileData profile;
    RecordingReporter reporter;
    app::WindowProtocolView view{reporter};
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

inline QMap<quint32, quint8> ImageOf(const QByteArray& bytes, quint32 offset)
{
    QMap<quint32, quint8> image;
    for (int i = 0; i < bytes.size(); ++i)
        image.insert(offset + quint32(i), quint8(bytes[i]));
    return image;
}

// The image a sample S-record file describes, decoded independently of the protocol's codec.
inline QMap<quint32, quint8> ImageOfSRecordFile(const QString& name)
{
    QMap<quint32, quint8> image;
    for (const QByteArray& raw : SampleBytes(name).split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.size() < 4 || line[0] != 'S' || line[1] < '1' || line[1] > '3')
            continue;
        const int addressBytes = line[1] - '0' + 1;
        const QByteArray bytes = QByteArray::fromHex(line.mid(2));
        quint32 address = 0;
        for (int i = 1; i <= addressBytes; ++i)
            address = (address << 8) | quint8(bytes[i]);
        image.insert(ImageOf(bytes.mid(1 + addressBytes, quint8(bytes[0]) - addressBytes - 1), address));
    }
    return image;
}

}  // namespace zandor::testing
