#include "PortChecks.h"

#include "LowLatency.h"
#include "PortOpenError.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace zandor::platform {

namespace {

const QString kModemManager = QStringLiteral("ModemManager");
constexpr int kMaxGroups = 256;  // supplementary groups of one user looked at

// Where this user stands towards the group that owns a device.
struct Membership {
    bool inSession = false;   // this process has the group now
    bool inDatabase = false;  // the group database lists the user (counts from the next login)
};

Membership MembershipOf(gid_t group)
{
    Membership member;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> session(count > 0 ? count : 0);
    if (count > 0 && ::getgroups(count, session.data()) == count) {
        for (gid_t id : session)
            member.inSession = member.inSession || id == group;
    }
    member.inSession = member.inSession || ::getegid() == group;

    const struct passwd* user = ::getpwuid(::getuid());
    if (user) {
        std::vector<gid_t> listed(kMaxGroups);
        int listedCount = kMaxGroups;
        if (::getgrouplist(user->pw_name, user->pw_gid, listed.data(), &listedCount) >= 0) {
            for (int i = 0; i < listedCount; ++i)
                member.inDatabase = member.inDatabase || listed[i] == group;
        }
    }
    return member;
}

// Whether `device` is a terminal, for a device QSerialPort would not open: by a plain
// open where that is allowed, else by its file type.
bool IsTerminalDevice(const QString& device, const struct stat& info)
{
    const int descriptor =
        ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return S_ISCHR(info.st_mode);
    const bool isTerminal = ::isatty(descriptor) == 1;
    ::close(descriptor);
    return isTerminal;
}

PortCheck DeviceCheck(bool exists, bool isTerminal)
{
    if (!exists) {
        return {QStringLiteral("device"), CheckStatus::Fail, QStringLiteral("does not exist"),
                QStringLiteral("plug the adapter in, or choose the device it appears as")};
    }
    if (!isTerminal) {
        return {QStringLiteral("device"), CheckStatus::Fail,
                QStringLiteral("is not a terminal device"),
                QStringLiteral("choose the adapter's device, such as /dev/ttyUSB0")};
    }
    return {QStringLiteral("device"), CheckStatus::Pass, QStringLiteral("is a terminal device"),
            QString()};
}

PortCheck AccessCheck(const QString& device)
{
    PortCheck check{QStringLiteral("access"), CheckStatus::Pass,
                    QStringLiteral("this user may read and write it"), QString()};
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0)
        return check;
    const QString group = OwningGroup(device);
    const struct group* entry = ::getgrnam(QFile::encodeName(group).constData());
    const Membership member = entry ? MembershipOf(entry->gr_gid) : Membership{};
    check.status = CheckStatus::Fail;
    check.detail = QStringLiteral("this user may not read and write it (group %1)").arg(group);
    if (member.inSession) {
        check.fix = QStringLiteral("the group %1 lacks read and write rights on it: ask the "
                                   "administrator for a udev rule that grants them")
                        .arg(group);
    } else if (member.inDatabase) {
        check.fix = QStringLiteral("log in again: your user joined the group %1 after this "
                                   "session began")
                        .arg(group);
    } else {
        check.fix = QStringLiteral("add your user to the group %1, then log in again").arg(group);
    }
    return check;
}

PortCheck InUseCheck(const QString& device, QSerialPort::SerialPortError error,
                     const QString& systemText)
{
    PortCheck check{QStringLiteral("in use"), CheckStatus::Pass,
                    QStringLiteral("no other program holds it"), QString()};
    if (error == QSerialPort::NoError)
        return check;
    switch (ClassifyPortOpenFailure(ObservePortOpenFacts(error, device))) {
    case PortOpenProblem::InUse:
        check.status = CheckStatus::Fail;
        check.detail = QStringLiteral("is in use by another program");
        check.fix = QStringLiteral("close the program that holds it (fuser -v %1 names it)")
                        .arg(device);
        break;
    case PortOpenProblem::PermissionDenied:
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("cannot be checked without read and write rights");
        break;
    default:
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("cannot be opened: %1").arg(systemText);
        break;
    }
    return check;
}

PortCheck LowLatencyCheck(bool opened, LowLatencyState state)
{
    PortCheck check{QStringLiteral("low latency"), CheckStatus::Pass, QString(), QString()};
    if (!opened) {
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("cannot be checked: the device could not be opened");
    } else if (state == LowLatencyState::Unsupported) {
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("the driver has no low-latency mode");
        check.fix = QStringLiteral(
            "the adapter's driver has no low-latency mode; expect slower programming");
    } else {
        check.detail = state == LowLatencyState::On
                           ? QStringLiteral("on")
                           : QStringLiteral("available; the program turns it on while it "
                                            "uses the port");
    }
    return check;
}

PortCheck ModemManagerCheck()
{
    if (!IsProcessRunning(kModemManager)) {
        return {kModemManager, CheckStatus::Pass, QStringLiteral("is not running"), QString()};
    }
    return {kModemManager, CheckStatus::Warn,
            QStringLiteral("is running: it may probe a newly plugged adapter, sending it bytes "
                           "and holding it for some seconds"),
            QStringLiteral("stop or disable it (sudo systemctl disable --now ModemManager), or "
                           "add a udev rule that sets ID_MM_DEVICE_IGNORE=1 for the adapter")};
}

}  // namespace

QString CheckStatusName(CheckStatus status)
{
    switch (status) {
    case CheckStatus::Pass:
        return QStringLiteral("pass");
    case CheckStatus::Warn:
        return QStringLiteral("warn");
    case CheckStatus::Fail:
        return QStringLiteral("fail");
    }
    return QString();
}

bool IsProcessRunning(const QString& name, const QString& procFolder)
{
    const QStringList entries = QDir(procFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool isPid = false;
        entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        QFile comm(procFolder + QLatin1Char('/') + entry + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly)
            && QString::fromLocal8Bit(comm.readAll()).trimmed() == name)
            return true;
    }
    return false;
}

QList<PortCheck> CheckPort(const QString& device)
{
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
        return {DeviceCheck(false, false), ModemManagerCheck()};

    // One brief open answers three questions: is it a terminal, does anyone hold it, and
    // does its driver have a low-latency mode.
    QSerialPort port;
    port.setPortName(device);
    const bool opened = port.open(QIODevice::ReadWrite);
    const QSerialPort::SerialPortError error = opened ? QSerialPort::NoError : port.error();
    const QString systemText = port.errorString();
    bool isTerminal = false;
    LowLatencyState lowLatency = LowLatencyState::Unsupported;
    if (opened) {
        isTerminal = ::isatty(port.handle()) == 1;
        lowLatency = QueryLowLatency(port.handle());
        port.close();
    } else {
        isTerminal = IsTerminalDevice(device, info);
    }
    return {DeviceCheck(true, isTerminal), AccessCheck(device),
            InUseCheck(device, error, systemText), LowLatencyCheck(opened, lowLatency),
            ModemManagerCheck()};
}

}  // namespace zandor::platform
