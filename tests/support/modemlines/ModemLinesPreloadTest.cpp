#include "platform/DescriptorModemLines.h"
#include "sim/ModemLineText.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace zandor;

namespace {

struct PseudoTerminal {
    PseudoTerminal()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
            path = ::ptsname(master);
            slave = ::open(path.c_str(), O_RDWR | O_NOCTTY);
        }
    }
    ~PseudoTerminal()
    {
        ::close(slave);
        ::close(master);
    }
    int master = -1;
    int slave = -1;
    std::string path;
};

std::vector<sim::OutputChange> Changes(const QString& path)
{
    std::vector<sim::OutputChange> changes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return changes;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const auto change = sim::ParseOutputChange(line.toStdString());
        EXPECT_TRUE(change) << line.constData();
        if (change)
            changes.push_back(*change);
    }
    return changes;
}

class ModemLinesPreload : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(std::getenv("LD_PRELOAD"), nullptr) << "run through ctest, which preloads the library";
        ASSERT_GE(pty.slave, 0);
        changes = dir.filePath(QStringLiteral("changes"));
        inputs = dir.filePath(QStringLiteral("inputs"));
        ::setenv(sim::kModemDeviceVariable, pty.path.c_str(), 1);
        ::setenv(sim::kModemChangesVariable, QFile::encodeName(changes).constData(), 1);
        ::setenv(sim::kModemInputsVariable, QFile::encodeName(inputs).constData(), 1);
    }

    PseudoTerminal pty;
    QTemporaryDir dir;
    QString changes;
    QString inputs;
};

}  // namespace

TEST_F(ModemLinesPreload, TheSimulatorsDeviceGetsModemLinesAndEachChangeIsReportedWithItsTime)
{
    platform::DescriptorModemLines lines(pty.slave, QString::fromStdString(pty.path));
    QString reason;
    ASSERT_TRUE(lines.setDtr(true, &reason)) << reason.toStdString();
    ASSERT_TRUE(lines.setRts(true, &reason));
    ASSERT_TRUE(lines.setRts(false, &reason));
    int bits = 0;
    ASSERT_EQ(::ioctl(pty.slave, TIOCMGET, &bits), 0);
    EXPECT_EQ(bits & (TIOCM_DTR | TIOCM_RTS), TIOCM_DTR);
    bits = TIOCM_RTS | TIOCM_DSR;  // TIOCMSET sets both outputs at once; inputs are not ours to set
    ASSERT_EQ(::ioctl(pty.slave, TIOCMSET, &bits), 0);

    const auto reported = Changes(changes);
    ASSERT_EQ(reported.size(), 4u);
    const std::pair<bool, bool> expected[] = {{true, false}, {true, true}, {true, false}, {false, true}};
    for (std::size_t i = 0; i < reported.size(); ++i) {
        EXPECT_EQ(std::make_pair(reported[i].dtr, reported[i].rts), expected[i]) << i;
        if (i > 0) {
            EXPECT_GE(reported[i].timeNs, reported[i - 1].timeNs);
        }
    }

    // The simulator drives the presence lines through its file.
    EXPECT_EQ(lines.readInputs(&reason)->dsr, false);
    QFile file(inputs);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(sim::FormatDrivenInputs({true, false, true}).c_str());
    file.close();
    const auto driven = lines.readInputs(&reason);
    ASSERT_TRUE(driven);
    EXPECT_TRUE(driven->dsr && !driven->dcd && driven->cts);
    ASSERT_EQ(::ioctl(pty.slave, TIOCMGET, &bits), 0);
    EXPECT_EQ(bits, TIOCM_RTS | TIOCM_DSR | TIOCM_CTS);
}

TEST_F(ModemLinesPreload, OtherDevicesAndOtherRequestsGoToTheKernelUnchanged)
{
    PseudoTerminal other;
    ASSERT_GE(other.slave, 0);
    int bits = TIOCM_DTR;
    errno = 0;
    EXPECT_EQ(::ioctl(other.slave, TIOCMBIS, &bits), -1);
    EXPECT_EQ(errno, ENOTTY);  // a pseudo-terminal has no modem lines of its own

    ASSERT_EQ(::write(pty.master, "abc\n", 4), 4);  // a whole line: the terminal is in line mode
    pollfd readable{pty.slave, POLLIN, 0};
    ASSERT_EQ(::poll(&readable, 1, 2000), 1);
    int pending = 0;
    ASSERT_EQ(::ioctl(pty.slave, FIONREAD, &pending), 0);
    EXPECT_EQ(pending, 4);
    EXPECT_FALSE(QFile::exists(changes));  // nothing reported for requests we do not simulate
}
