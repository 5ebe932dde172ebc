#include "PortOpenError.h"

#include "SerialLineSettings.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef Q_OS_UNIX
#include <grp.h>
#endif

namespace zandor::platform {

namespace {
// Serial devices belong to this group on Debian and most other distributions.
const QString kUsualSerialGroup = QStringLiteral("dialout");
}  // namespace

PortOpenProblem ClassifyPortOpenFailure(const PortOpenFacts& facts)
{
    if (facts.error == QSerialPort::DeviceNotFoundError || !facts.exists)
        return PortOpenProblem::NotFound;
    if (!facts.isCharDevice || !facts.isTerminal)
        return PortOpenProblem::NotASerialDevice;
    if (facts.error == QSerialPort::PermissionError)
        return facts.mayReadWrite ? PortOpenProblem::InUse : PortOpenProblem::PermissionDenied;
    if (facts.error == QSerialPort::OpenError)  // already open through this very object
        return PortOpenProblem::InUse;
    return PortOpenProblem::Other;
}

PortOpenFacts ObservePortOpenFacts(QSerialPort::SerialPortError error, const QString& device)
{
    PortOpenFacts facts;
    facts.error = error;
    const QByteArray path = QFile::encodeName(device);
    struct stat info {};
    facts.exists = ::stat(path.constData(), &info) == 0;
    facts.isCharDevice = facts.exists && S_ISCHR(info.st_mode);
    facts.mayReadWrite = ::access(path.constData(), R_OK | W_OK) == 0;
    facts.isTerminal = facts.isCharDevice && IsTerminalDevice(device);
    return facts;
}

bool LockedByAnotherProgram(int descriptor)
{
    return ::flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

bool IsTerminalDevice(const QString& device)
{
    const QByteArray path = QFile::encodeName(device);
    const int descriptor = ::open(path.constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        struct stat info {};
        return ::stat(path.constData(), &info) == 0 && S_ISCHR(info.st_mode);
    }
    const bool isTerminal = ::isatty(descriptor) == 1;
    ::close(descriptor);
    return isTerminal;
}

QString OwningGroup(const QString& device)
{
#ifdef Q_OS_UNIX
    // A group without read and write rights on the device would not help its members.
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0
        || (info.st_mode & kGroupReadWrite) != kGroupReadWrite)
        return kUsualSerialGroup;
    const struct group* owner = ::getgrgid(info.st_gid);
    return owner && owner->gr_name ? QString::fromLocal8Bit(owner->gr_name) : kUsualSerialGroup;
#else
    Q_UNUSED(device);
    return kUsualSerialGroup;
#endif
}

bool GroupMayReadWrite(const QString& device)
{
#ifdef Q_OS_UNIX
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    struct stat info {};
    return device.isEmpty() || ::stat(QFile::encodeName(device).constData(), &info) != 0
           || (info.st_mode & kGroupReadWrite) == kGroupReadWrite;
#else
    Q_UNUSED(device);
    return true;
#endif
}

QString NoGroupRightsFix()
{
    return QStringLiteral("ask the administrator for a udev rule that gives it the group %1 with read and "
                          "write rights (MODE=\"0660\")")
        .arg(kUsualSerialGroup);
}

QString PortLabel(int portNumber, const QString& device)
{
    if (device.isEmpty())
        return QStringLiteral("COM%1").arg(portNumber);
    if (portNumber == 0)
        return QStringLiteral("port %1").arg(device);
    return QStringLiteral("COM%1 = %2").arg(portNumber).arg(device);
}

QString DescribePortOpenFailure(const PortOpenFailure& failure)
{
    QString cause;
    switch (failure.problem) {
    case PortOpenProblem::BadPortNumber:
        cause = QStringLiteral("port number %1 is not valid: the first port is 1")
                    .arg(failure.detail);
        break;
    case PortOpenProblem::NoDevice:
        cause = QStringLiteral("no serial device is known for this port number: "
                               "choose one in the profile manager");
        break;
    case PortOpenProblem::BadHandshaking:
        cause = QStringLiteral("handshaking code %1 is not supported").arg(failure.detail);
        break;
    case PortOpenProblem::BadSettings:
        cause = QStringLiteral("serial settings '%1' are not valid: expected baud rate, parity "
                               "(N, E or O), data bits (5 to 8) and stop bits (1, 1.5 or 2), "
                               "as in 38400,N,8,1")
                    .arg(failure.detail);
        break;
    case PortOpenProblem::NotFound:
        cause = QStringLiteral("does not exist: is the adapter plugged in?");
        break;
    case PortOpenProblem::NotASerialDevice:
        cause = QStringLiteral("is not a serial device: choose the adapter's device, "
                               "such as /dev/ttyUSB0");
        break;
    case PortOpenProblem::PermissionDenied:
        if (!GroupMayReadWrite(failure.device)) {  // no group membership helps
            cause = QStringLiteral("permission denied, and its group has no rights on it either: ") +
                    NoGroupRightsFix();
            break;
        }
        cause = QStringLiteral("permission denied: add your user to the group %1, "
                               "then log in again")
                    .arg(failure.detail.isEmpty() ? kUsualSerialGroup : failure.detail);
        break;
    case PortOpenProblem::InUse:
        cause = QStringLiteral("is in use by another program");
        break;
    case PortOpenProblem::Other:
        cause = failure.detail.isEmpty()
                    ? QStringLiteral("cannot be opened")
                    : QStringLiteral("cannot be opened: %1").arg(failure.detail);
        break;
    }
    return PortLabel(failure.portNumber, failure.device) + QStringLiteral(": ") + cause;
}

std::optional<PortOpenFailure> RefusedPortSetting(const PortSettings& settings, int portNumber,
                                                  const QString& device)
{
    if (!FlowControlForHandshaking(settings.handshaking)) {
        return PortOpenFailure{PortOpenProblem::BadHandshaking, portNumber, device,
                               QString::number(settings.handshaking)};
    }
    if (!ParseSerialLineSettings(settings.settings))
        return PortOpenFailure{PortOpenProblem::BadSettings, portNumber, device, settings.settings};
    return std::nullopt;
}

}  // namespace zandor::platform
