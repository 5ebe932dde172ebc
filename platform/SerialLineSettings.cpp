#include "SerialLineSettings.h"

#include <QStringList>

namespace zandor::platform {

namespace {
constexpr int kSettingsParts = 4;  // baud, parity, data bits, stop bits
constexpr int kMinDataBits = 5;
constexpr int kMaxDataBits = 8;
}  // namespace

std::optional<SerialLineSettings> ParseSerialLineSettings(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != kSettingsParts)
        return std::nullopt;

    SerialLineSettings line;
    bool ok = false;
    line.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || line.baudRate <= 0)
        return std::nullopt;

    const QString parity = parts[1].trimmed().toUpper();
    if (parity == QLatin1String("N"))
        line.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("E"))
        line.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("O"))
        line.parity = QSerialPort::OddParity;
    else
        return std::nullopt;

    const int dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || dataBits < kMinDataBits || dataBits > kMaxDataBits)
        return std::nullopt;
    line.dataBits = static_cast<QSerialPort::DataBits>(dataBits);

    const QString stopBits = parts[3].trimmed();
    if (stopBits == QLatin1String("1"))
        line.stopBits = QSerialPort::OneStop;
    else if (stopBits == QLatin1String("1.5"))
        line.stopBits = QSerialPort::OneAndHalfStop;
    else if (stopBits == QLatin1String("2"))
        line.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return line;
}

std::optional<QSerialPort::FlowControl> FlowControlForHandshaking(int code)
{
    switch (code) {
    case 0:
        return QSerialPort::NoFlowControl;
    case 1:
        return QSerialPort::SoftwareControl;
    case 2:
        return QSerialPort::HardwareControl;
    case 3:
        // XON/XOFF together with RTS/CTS: QSerialPort offers one flow control at a
        // time, so the hardware lines are used; they also protect binary data, where
        // XON/XOFF bytes could be taken for flow control.
        return QSerialPort::HardwareControl;
    default:
        return std::nullopt;
    }
}

QString DefaultDeviceForPort(int portNumber)
{
    if (portNumber < 1)
        return QString();
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

}  // namespace zandor::platform
