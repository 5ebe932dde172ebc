#include "platform/PortChecks.h"
#include "platform/PortOpenError.h"
#include "platform/SerialPortList.h"
#include "support/TestFiles.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zandor::platform;

using P = PortOpenProblem;
using E = QSerialPort;
using zandor::testing::WriteTestFile;

TEST(PortOpenError, ReasonNamesThePortAndSaysWhyWithTheFix)
{
    const QString usb = QStringLiteral("/dev/ttyUSB0");
    const std::pair<PortOpenFailure, const char*> table[] = {
        {{P::PermissionDenied, 1, usb, "dialout"},
         "COM1 = /dev/ttyUSB0: permission denied: "
         "add your user to the group dialout, then log in again"},
        {{P::BadSettings, 2, "/dev/ttyS1", "38400,X,8,1"},
         "COM2 = /dev/ttyS1: serial settings '38400,X,8,1' are not valid: expected baud rate, "
         "parity (N, E or O), data bits (5 to 8) and stop bits (1, 1.5 or 2), as in 38400,N,8,1"},
    };
    for (const auto& [failure, text] : table)
        EXPECT_EQ(DescribePortOpenFailure(failure), QString::fromUtf8(text));
}

TEST(PortOpenError, ClassifiesBySerialErrorAndWhatThePathIs)
{
    // {error, exists, char device, may read and write} -> problem
    const std::pair<PortOpenFacts, P> table[] = {
        {{E::DeviceNotFoundError, true, true, true}, P::NotFound},
        {{E::UnknownError, false, false, false}, P::NotFound},
        {{E::UnknownError, true, false, true}, P::NotASerialDevice},
        {{E::PermissionError, true, true, false}, P::PermissionDenied},
        {{E::PermissionError, true, true, true}, P::InUse},  // a lock file or exclusive mode
        {{E::OpenError, true, true, true}, P::InUse},
        {{E::UnsupportedOperationError, true, true, true}, P::Other},
        {{E::UnknownError, true, true, true, false}, P::NotASerialDevice},  // /dev/null
    };
    for (const auto& [facts, problem] : table)
        EXPECT_EQ(ClassifyPortOpenFailure(facts), problem) << facts.error;
}

TEST(SerialPortList, ByIdLinksAndMappingsFollowLinksToTheSameDevice)
{
    QTemporaryDir dir;
    const QString dev = QFileInfo(dir.path()).canonicalFilePath() + "/dev";
    const QString byId = dev + "/by-id";
    ASSERT_TRUE(QDir().mkpath(byId));
    for (const char* name : {"/ttyUSB0", "/ttyUSB1", "/ttyX"})
        ASSERT_TRUE(WriteTestFile(dev + name));
    ASSERT_TRUE(QFile::link(dev + "/ttyUSB1", byId + "/usb-Maker_B-if00-port0"));
    ASSERT_TRUE(QFile::link(dev + "/ttyUSB0", byId + "/usb-Maker_A-if00-port0"));
    ASSERT_TRUE(QFile::link(dev + "/ttyX", dev + "/ttyLINK"));

    EXPECT_EQ(ByIdLinkFor(dev + "/ttyUSB0", byId), byId + "/usb-Maker_A-if00-port0");
    EXPECT_EQ(ByIdLinkFor(dev + "/ttyX", byId), QString());
    EXPECT_EQ(ByIdLinkFor(dev + "/ttyUSB0", dir.filePath("none")), QString());

    const QMap<int, QString> mappings{{1, byId + "/usb-Maker_A-if00-port0"}, {2, dev + "/ttyUSB1"},
                                      {3, dev + "/ttyUSB0"}, {4, dev + "/ttyLINK"},
                                      {5, dev + "/ttyGONE"}, {6, "/dev/zandor-no-such-tty"}};
    EXPECT_EQ(PortsNaming(dev + "/ttyUSB0", mappings), (QList<int>{1, 3}));
    EXPECT_EQ(PortsNaming("/dev/zandor-no-such-tty", mappings), QList<int>{6});  // as written

    // ttyUSB1 was detected; ttyX only through the link COM4 names; the others do not exist.
    // Unmapped numbers name their usual device: /dev/ttyS6 is COM7, /dev/ttyS0 is not COM1.
    SerialPortEntry detected;
    detected.device = dev + "/ttyUSB1";
    detected.description = "Bench adapter";
    SerialPortEntry builtIn[2];
    builtIn[0].device = "/dev/ttyS0";
    builtIn[1].device = "/dev/ttyS6";
    const QList<SerialPortEntry> list =
        CompletePortList({detected, builtIn[0], builtIn[1]}, mappings, byId);
    QStringList devices;
    for (const SerialPortEntry& entry : list)
        devices << entry.device;
    ASSERT_EQ(devices, (QStringList{"/dev/ttyS0", "/dev/ttyS6", dev + "/ttyUSB0",
                                    dev + "/ttyUSB1", dev + "/ttyX"}));
    EXPECT_EQ(list[0].comPorts, QList<int>{});
    EXPECT_EQ(list[1].comPorts, QList<int>{7});
    EXPECT_EQ(list[2].comPorts, (QList<int>{1, 3}));
    EXPECT_EQ(list[3].byId, byId + "/usb-Maker_B-if00-port0");
    EXPECT_EQ(list[3].description, "Bench adapter");
    EXPECT_EQ(list[4].comPorts, QList<int>{4});
}

TEST(PortChecks, APseudoTerminalNobodyHoldsIsUsableWithoutLowLatency)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    const QString slave = QString::fromLocal8Bit(ptsname(master));
    const auto statuses = [&slave] {
        QStringList found;
        for (const PortCheck& check : CheckPort(slave))
            found << check.name + "=" + CheckStatusName(check.status);
        return found;
    };
    // No latency timer on a pseudo-terminal: nothing to warn about.
    EXPECT_EQ(statuses().mid(0, 4),
              (QStringList{"device=pass", "access=pass", "in use=pass", "low latency=pass"}));
    // A terminal program's advisory lock means the line is taken.
    const int other = ::open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_TRUE(other >= 0 && ::flock(other, LOCK_EX) == 0);
    EXPECT_EQ(statuses().value(2), "in use=fail");
    ::close(other);
    ::close(master);

    const QList<PortCheck> missing = CheckPort("/dev/zandor-no-such-device");
    ASSERT_EQ(missing.size(), 2);
    EXPECT_EQ(missing[0].status, CheckStatus::Fail);
    EXPECT_EQ(missing[1].name, "ModemManager");
}

TEST(PortChecks, FindsAProcessByItsName)
{
    QTemporaryDir proc;
    ASSERT_TRUE(WriteTestFile(proc.filePath("412/comm"), "ModemManager\n"));
    ASSERT_TRUE(WriteTestFile(proc.filePath("self/comm"), "bash\n"));
    EXPECT_TRUE(IsProcessRunning("ModemManager", proc.path()));
    EXPECT_FALSE(IsProcessRunning("bash", proc.path()));  // not a process number
    EXPECT_FALSE(IsProcessRunning("Modem", proc.path()));

    // A process holds a device when one of its descriptors leads to it, under any name.
    ASSERT_TRUE(WriteTestFile(proc.filePath("device")) && WriteTestFile(proc.filePath("other")));
    ASSERT_TRUE(QDir().mkpath(proc.filePath("412/fd")) && QDir().mkpath(proc.filePath("77/fd")));
    ASSERT_TRUE(QFile::link(proc.filePath("other"), proc.filePath("412/fd/3")));
    ASSERT_TRUE(QFile::link(proc.filePath("device"), proc.filePath("77/fd/5")));
    ASSERT_TRUE(WriteTestFile(proc.filePath("77/comm"), "cat\n"));
    ASSERT_TRUE(QFile::link(proc.filePath("device"), proc.filePath("by-id")));
    EXPECT_EQ(ProcessesHolding(proc.filePath("by-id"), proc.path()), QStringList{"cat (pid 77)"});
}

namespace {

// A child process that keeps what it inherited (less the master when `dropMaster`) until
// the parent closes `release`'s write end; its pid once it is ready.
pid_t HoldUntilReleased(const int release[2], int master, bool dropMaster)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(release[1]);
        if (dropMaster)
            ::close(master);
        ::close(ready[0]);
        ::close(ready[1]);  // the parent reads the end of the pipe: the descriptors are as meant
        char byte = 0;
        while (::read(release[0], &byte, 1) > 0) {
        }
        ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    while (pid > 0 && ::read(ready[0], &byte, 1) > 0) {
    }
    ::close(ready[0]);
    return pid;
}

}  // namespace

TEST(PortChecks, TheProcessAtAPseudoTerminalsMasterIsTheLinesOtherEndNotAHolder)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
    const QString slavePath = QString::fromLocal8Bit(::ptsname(master));
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::link(slavePath, dir.filePath("board")));  // as the simulator's --link
    int release[2];
    ASSERT_EQ(::pipe(release), 0);
    const pid_t bothSides = HoldUntilReleased(release, master, false);
    const pid_t slaveOnly = HoldUntilReleased(release, master, true);
    ASSERT_TRUE(bothSides > 0 && slaveOnly > 0);
    ::close(release[0]);

    // This process holds both sides too, and is never listed anyway.
    const QStringList holders = ProcessesHolding(dir.filePath("board"));
    ::close(release[1]);
    ::waitpid(bothSides, nullptr, 0);
    ::waitpid(slaveOnly, nullptr, 0);
    ::close(slave);
    ::close(master);
    ASSERT_EQ(holders.size(), 1) << holders.join(", ").toStdString();
    EXPECT_TRUE(holders[0].endsWith(QStringLiteral("(pid %1)").arg(slaveOnly))) << holders[0].toStdString();
}
