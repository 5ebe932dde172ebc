#include "QtSerialPort.h"

#include "SerialLineSettings.h"

namespace zandor::platform {

namespace {

const QString kGeneralSection = QStringLiteral("General");
// QSerialPort's read buffer size is the device's 16-bit input buffer size.
constexpr qint32 kMaxInBufferSize = 32767;

void SetReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
}

}  // namespace

QString DeviceNameForPort(ISettingsStore& store, int portNumber)
{
    if (portNumber < 1)
        return QString();
    const QString configured =
        store.readKey(kGeneralSection, QStringLiteral("COM%1").arg(portNumber), QString())
            .trimmed();
    return configured.isEmpty() ? DefaultDeviceForPort(portNumber) : configured;
}

QtSerialPort::QtSerialPort(DeviceForPort deviceForPort, QObject* parent)
    : QObject(parent), deviceForPort_(std::move(deviceForPort))
{
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() { close(); }

bool QtSerialPort::open(const PortSettings& settings, QString* reason)
{
    close();
    failed_ = false;
    received_.clear();

    // Everything is checked before the device is touched: a refused setting fails like
    // a failed open and is never replaced by a default behind the user's back.
    if (settings.portNumber < 1) {
        SetReason(reason, QStringLiteral("The port number %1 is not valid; the first port is 1.")
                              .arg(settings.portNumber));
        return false;
    }
    const auto flow = FlowControlForHandshaking(settings.handshaking);
    if (!flow) {
        SetReason(reason, QStringLiteral("The handshaking code %1 is not supported "
                                         "(0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both).")
                              .arg(settings.handshaking));
        return false;
    }
    const auto line = ParseSerialLineSettings(settings.settings);
    if (!line) {
        SetReason(reason, QStringLiteral("The serial settings '%1' are not valid; expected "
                                         "baud rate, parity (N, E or O), data bits (5 to 8) "
                                         "and stop bits (1, 1.5 or 2), as in 38400,N,8,1.")
                              .arg(settings.settings));
        return false;
    }
    const QString device = deviceForPort_ ? deviceForPort_(settings.portNumber) : QString();
    if (device.isEmpty()) {
        SetReason(reason, QStringLiteral("No serial device is known for port %1.")
                              .arg(settings.portNumber));
        return false;
    }

    port_.setPortName(device);
    port_.setBaudRate(line->baudRate);
    port_.setParity(line->parity);
    port_.setDataBits(line->dataBits);
    port_.setStopBits(line->stopBits);
    port_.setFlowControl(*flow);
    // The device's input buffer takes a 16-bit size; a larger one cannot be applied and
    // the port keeps its unlimited default. The output buffer size has no counterpart in
    // QSerialPort (its write buffer grows as needed), so it is not applied.
    const bool inSizeFits = settings.inBufferSize >= 1 && settings.inBufferSize <= kMaxInBufferSize;
    port_.setReadBufferSize(inSizeFits ? settings.inBufferSize : 0);
    nullDiscard_ = settings.nullDiscard;

    port_.clearError();
    if (!port_.open(QIODevice::ReadWrite)) {
        SetReason(reason, QStringLiteral("The serial device %1 (port %2) cannot be opened: %3")
                              .arg(device)
                              .arg(settings.portNumber)
                              .arg(port_.errorString()));
        port_.clearError();
        return false;
    }
    // A line without modem signals (a pseudo-terminal, some adapters) cannot raise DTR;
    // that does not stop the data from flowing, so it is not an error.
    if (!port_.setDataTerminalReady(settings.dtrEnable))
        port_.clearError();
    failed_ = false;
    return true;
}

void QtSerialPort::close()
{
    if (port_.isOpen())
        port_.close();
    received_.clear();
}

bool QtSerialPort::isOpen() const { return port_.isOpen() && !failed_; }

bool QtSerialPort::write(const QByteArray& bytes)
{
    if (!isOpen())
        return false;
    if (port_.write(bytes) != bytes.size())
        return false;
    // Hands as much as the driver takes to it now, without blocking; the rest follows
    // while the event loop runs.
    port_.flush();
    return !failed_;
}

void QtSerialPort::takeReceived()
{
    if (!port_.isOpen())
        return;
    QByteArray incoming = port_.readAll();
    if (nullDiscard_)
        incoming.replace('\0', QByteArray());
    received_ += incoming;
}

QByteArray QtSerialPort::readAllPending()
{
    takeReceived();
    QByteArray all;
    all.swap(received_);
    return all;
}

qint64 QtSerialPort::pendingCount()
{
    takeReceived();
    return received_.size();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error)
{
    if (!port_.isOpen())
        return;  // errors of an open attempt are reported by open()
    switch (error) {
    case QSerialPort::ResourceError:  // adapter unplugged, other end of a pty closed
    case QSerialPort::ReadError:      // a read that keeps failing would fire forever
    case QSerialPort::WriteError:
        break;
    default:
        return;
    }
    failed_ = true;
    // Close outside QSerialPort's own notifier callback that reported the error; until
    // then isOpen() already answers false and writes are refused.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (failed_ && port_.isOpen()) {
                takeReceived();  // keep what arrived before the line went away
                port_.close();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace zandor::platform
