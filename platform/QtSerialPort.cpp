#include "QtSerialPort.h"

#include "SerialLineSettings.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include <utility>

namespace zandor::platform {

namespace {

// QSerialPort's read buffer size is the device's 16-bit input buffer size.
constexpr qint32 kMaxInBufferSize = 32767;

void SetReason(QString* reason, const QString& text)
{
    if (reason)
        *reason = text;
}

}  // namespace

QtSerialPort::QtSerialPort(DeviceForPort deviceForPort, QObject* parent)
    : QtSerialPort(std::move(deviceForPort), SystemSerialDriverFlags(), parent)
{
}

QtSerialPort::QtSerialPort(DeviceForPort deviceForPort, SerialDriverFlags driverFlags,
                           QObject* parent)
    : QObject(parent), deviceForPort_(std::move(deviceForPort)),
      lowLatencyMode_(std::move(driverFlags))
{
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() { close(); }

bool QtSerialPort::refuse(const PortOpenFailure& failure, QString* reason)
{
    SetReason(reason, DescribePortOpenFailure(failure));
    return false;
}

bool QtSerialPort::open(const PortSettings& settings, QString* reason)
{
    close();
    failed_ = false;
    received_.clear();

    // A device given directly needs no port number; messages then name only the device.
    const bool direct = !settings.device.isEmpty();
    const int portNumber = direct ? 0 : settings.portNumber;
    if (!direct && settings.portNumber < 1) {
        return refuse({PortOpenProblem::BadPortNumber, portNumber, QString(),
                       QString::number(settings.portNumber)},
                      reason);
    }
    device_ = direct ? settings.device
                     : (deviceForPort_ ? deviceForPort_(settings.portNumber) : QString());
    if (device_.isEmpty())
        return refuse({PortOpenProblem::NoDevice, portNumber, QString(), QString()}, reason);

    // Everything is checked before the device is touched: a refused setting fails like
    // a failed open and is never replaced by a default behind the user's back.
    if (const auto refused = RefusedPortSetting(settings, portNumber, device_))
        return refuse(*refused, reason);
    const auto flow = FlowControlForHandshaking(settings.handshaking);
    const auto line = ParseSerialLineSettings(settings.settings);

    // Opened under the name its links lead to, so that a by-id link and its ttyUSB device
    // share one lock file: two programs cannot hold one adapter under two names.
    const QString realDevice = QFileInfo(device_).canonicalFilePath();
    port_.setPortName(realDevice.isEmpty() ? device_ : realDevice);
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
        const QSerialPort::SerialPortError error = port_.error();
        const QString systemText = port_.errorString();
        port_.clearError();
        const PortOpenProblem problem =
            ClassifyPortOpenFailure(ObservePortOpenFacts(error, device_));
        QString detail;
        if (problem == PortOpenProblem::PermissionDenied)
            detail = OwningGroup(device_);
        else if (problem == PortOpenProblem::Other)
            detail = systemText;
        return refuse({problem, portNumber, device_, detail}, reason);
    }
#ifdef Q_OS_UNIX
    // Terminal programs that take an advisory lock on the device (flock) do not use lock
    // files, and root passes the kernel's exclusive mode: their lock says the line is busy.
    // Ours keeps them out in turn while we program.
    if (LockedByAnotherProgram(port_.handle())) {
        port_.close();
        return refuse({PortOpenProblem::InUse, portNumber, device_, QString()}, reason);
    }
#endif
    if (!applyLineLevels(settings, reason)) {
        closeDevice();
        return false;
    }
#ifdef Q_OS_UNIX
    lowLatencyState_ = lowLatencyMode_.enable(port_.handle());
#endif
    // What the kernel still holds from before the open (the answer to a program killed
    // mid-download) answers nothing this program sends.
    port_.clear(QSerialPort::Input);
    failed_ = false;
    return true;
}

bool QtSerialPort::applyLineLevels(const PortSettings& settings, QString* reason)
{
    // The kernel asserts DTR and RTS when the device opens; on a board whose reset or boot
    // pin hangs on them that is a reset, so both take the profile's levels at once. RTS is
    // released unless the port drives it for RTS/CTS handshaking. A line without modem
    // signals (a pseudo-terminal, some adapters) cannot set them; that does not stop the
    // data from flowing, so it is not an error here: a sequence that needs them says so.
    if (!port_.setDataTerminalReady(settings.dtrEnable))
        port_.clearError();
    if (port_.flowControl() != QSerialPort::HardwareControl && !port_.setRequestToSend(false))
        port_.clearError();
#ifdef Q_OS_UNIX
    modemLines_.emplace(port_.handle(), device_);
    // After every setting above: QSerialPort keeps its own copy of the terminal settings,
    // and a setter called after this would write the flag back.
    keepLinesAtClose_ = settings.keepLinesAtClose;
    if (keepLinesAtClose_ && !ClearHangUpOnClose(port_.handle(), device_, reason))
        return false;
#else
    Q_UNUSED(reason);
#endif
    return true;
}

IModemLines* QtSerialPort::modemLines()
{
    return isOpen() && modemLines_ ? &*modemLines_ : nullptr;
}

void QtSerialPort::closeDevice()
{
    if (!port_.isOpen())
        return;
    lowLatencyMode_.restore();  // while the descriptor is still ours
    modemLines_.reset();
#ifdef Q_OS_UNIX
    // QSerialPort puts back the terminal settings it found at open before it closes, the
    // hang-up-on-close flag included, and the device's last close would then drop DTR and
    // RTS. A second descriptor keeps the device open past QSerialPort's close, so the flag
    // can be cleared again before the real last close.
    const int keeper = keepLinesAtClose_ ? ::dup(port_.handle()) : -1;
    port_.close();
    if (keeper >= 0) {
        ClearHangUpOnClose(keeper, device_, nullptr);
        ::close(keeper);
    }
#else
    port_.close();
#endif
    lowLatencyState_ = LowLatencyState::Unsupported;
}

void QtSerialPort::close()
{
    closeDevice();
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
                closeDevice();
            }
        },
        Qt::QueuedConnection);
}

}  // namespace zandor::platform
