#include "PortChecks.h"

#include "LowLatency.h"
#include "PortOpenError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#include <algorithm>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <vector>

namespace zandor::platform {

namespace {

const QString kModemManager = QStringLiteral("ModemManager");
constexpr int kMaxGroups = 256;  // supplementary groups of one user looked at
constexpr unsigned kUsbSerialMajor = 188;  // Linux device major of USB-serial adapters (ttyUSB)

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
    if (!GroupMayReadWrite(device)) {
        // No group membership helps here: the device itself grants its group nothing.
        check.status = CheckStatus::Fail;
        check.detail = QStringLiteral("this user may not read and write it, and its group has "
                                      "no rights on it either");
        check.fix = NoGroupRightsFix();
        return check;
    }
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

// What the brief open of the device found out.
struct OpenFindings {
    bool opened = false;
    QSerialPort::SerialPortError error = QSerialPort::NoError;
    QString systemText;
    bool lockedByOther = false;  // another program holds an advisory lock (flock) on it
    QStringList holders;         // other processes that have it open, as far as we may see
    LowLatencyState lowLatency = LowLatencyState::Unsupported;
    bool usbSerial = false;      // a USB-serial adapter: replies wait for its latency timer
};

PortCheck InUseCheck(const QString& device, const OpenFindings& found)
{
    PortCheck check{QStringLiteral("in use"), CheckStatus::Pass,
                    QStringLiteral("no other program holds it"), QString()};
    const QString fix =
        QStringLiteral("close the program that holds it (fuser -v %1 names it)").arg(device);
    if (found.opened && found.lockedByOther) {
        check.status = CheckStatus::Fail;
        check.detail = QStringLiteral("is in use by another program");
        check.fix = fix;
    } else if (found.opened && !found.holders.isEmpty()) {
        // Nothing stops us from opening it, but whoever else reads it takes the board's replies.
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("is open in another program: %1").arg(found.holders.join(", "));
        check.fix = QStringLiteral("close it before programming: it may read the board's replies");
    }
    if (found.opened)
        return check;
    switch (ClassifyPortOpenFailure(ObservePortOpenFacts(found.error, device))) {
    case PortOpenProblem::InUse:
        check.status = CheckStatus::Fail;
        check.detail = QStringLiteral("is in use by another program");
        check.fix = fix;
        break;
    case PortOpenProblem::PermissionDenied:
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("cannot be checked without read and write rights");
        break;
    default:
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("cannot be opened: %1").arg(found.systemText);
        break;
    }
    return check;
}

PortCheck LowLatencyCheck(const OpenFindings& found)
{
    PortCheck check{QStringLiteral("low latency"), CheckStatus::Pass, QString(), QString()};
    if (!found.opened) {
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("cannot be checked: the device could not be opened");
    } else if (found.lowLatency == LowLatencyState::Unsupported && !found.usbSerial) {
        check.detail = QStringLiteral("not needed: the device has no latency timer to shorten");
    } else if (found.lowLatency == LowLatencyState::Unsupported) {
        check.status = CheckStatus::Warn;
        check.detail = QStringLiteral("the adapter's driver has no low-latency mode");
        check.fix = QStringLiteral("expect each reply to wait for the adapter's latency timer "
                                   "(up to twice the programming time at 38400 baud); an "
                                   "adapter whose driver offers low latency avoids it");
    } else {
        check.detail = found.lowLatency == LowLatencyState::On
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

namespace {

// The folders of the running processes (those named by a number) under `procFolder`.
QStringList ProcessFolders(const QString& procFolder)
{
    QStringList folders;
    for (const QString& entry : QDir(procFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        entry.toLongLong(&isPid);
        if (isPid)
            folders << procFolder + QLatin1Char('/') + entry;
    }
    return folders;
}

const QString kPtsFolder = QStringLiteral("/dev/pts/");
const QStringList kMasterDevices = {QStringLiteral("/dev/ptmx"), QStringLiteral("/dev/pts/ptmx")};
const QByteArray kTtyIndexField = "tty-index:";  // in fdinfo of a master descriptor (Linux 4.13 on)

// N for the slave /dev/pts/N; -1 for any other device.
int PseudoTerminalIndex(const QString& device)
{
    if (!device.startsWith(kPtsFolder))
        return -1;
    bool ok = false;
    const int index = device.mid(kPtsFolder.size()).toInt(&ok);
    return ok ? index : -1;
}

// Whether the descriptor `fd` of the process at `folder` is the master of /dev/pts/`index`.
bool HoldsMasterOf(const QString& folder, const QFileInfo& fd, int index)
{
    if (!kMasterDevices.contains(fd.symLinkTarget()))
        return false;
    QFile info(folder + QStringLiteral("/fdinfo/") + fd.fileName());
    if (!info.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : info.readAll().split('\n')) {
        if (line.startsWith(kTtyIndexField))
            return line.mid(kTtyIndexField.size()).trimmed().toInt() == index;
    }
    return false;
}

QString ProcessName(const QString& folder)
{
    QFile comm(folder + QStringLiteral("/comm"));
    return comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
}

}  // namespace

bool IsProcessRunning(const QString& name, const QString& procFolder)
{
    const QStringList folders = ProcessFolders(procFolder);
    return std::any_of(folders.cbegin(), folders.cend(),
                       [&name](const QString& folder) { return ProcessName(folder) == name; });
}

QList<PortCheck> CheckPort(const QString& device)
{
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
        return {DeviceCheck(false, false), ModemManagerCheck()};

    // One brief open answers the rest: is it a terminal, does anyone hold it, and does its
    // driver have a low-latency mode.
    OpenFindings found;
    found.usbSerial = S_ISCHR(info.st_mode) && major(info.st_rdev) == kUsbSerialMajor;
    QSerialPort port;
    port.setPortName(device);
    found.opened = port.open(QIODevice::ReadWrite);
    found.error = found.opened ? QSerialPort::NoError : port.error();
    found.systemText = port.errorString();
    bool isTerminal = false;
    if (found.opened) {
        isTerminal = ::isatty(port.handle()) == 1;
        found.lowLatency = QueryLowLatency(port.handle());
        found.lockedByOther = LockedByAnotherProgram(port.handle());
        port.close();
        found.holders = ProcessesHolding(device);
    } else {
        isTerminal = IsTerminalDevice(device);
    }
    return {DeviceCheck(true, isTerminal), AccessCheck(device), InUseCheck(device, found),
            LowLatencyCheck(found), ModemManagerCheck()};
}

QStringList ProcessesHolding(const QString& device, const QString& procFolder)
{
    QStringList holders;
    const QString real = QFileInfo(device).canonicalFilePath();
    if (real.isEmpty())
        return holders;
    const int ptsIndex = PseudoTerminalIndex(real);
    const QString self = procFolder + QLatin1Char('/') + QString::number(::getpid());
    for (const QString& folder : ProcessFolders(procFolder)) {
        if (folder == self)
            continue;
        // Another user's descriptors cannot be read without privileges: those are not seen.
        const QFileInfoList descriptors = QDir(folder + QStringLiteral("/fd"))
                                              .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        const bool holds = std::any_of(descriptors.cbegin(), descriptors.cend(),
                                       [&real](const QFileInfo& fd) { return fd.symLinkTarget() == real; });
        // The process at the master side is the line's other end (a simulated board, a
        // terminal emulator): it keeps the slave open to read the master, not to compete.
        const bool otherEnd = ptsIndex >= 0
                              && std::any_of(descriptors.cbegin(), descriptors.cend(), [&](const QFileInfo& fd) {
                                     return HoldsMasterOf(folder, fd, ptsIndex);
                                 });
        if (holds && !otherEnd) {
            const QString name = ProcessName(folder);
            holders << QStringLiteral("%1 (pid %2)")
                           .arg(name.isEmpty() ? QStringLiteral("a process") : name, folder.section(QLatin1Char('/'), -1));
        }
    }
    return holders;
}

}  // namespace zandor::platform
