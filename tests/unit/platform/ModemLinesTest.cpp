#include "platform/DescriptorModemLines.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using namespace zandor::platform;

namespace {

// A pseudo-terminal's slave side, open like a serial port.
struct PseudoTerminal {
    PseudoTerminal()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
    }
    int master = -1;
    int slave = -1;
};

}  // namespace

TEST(ModemLines, APseudoTerminalHasNoModemLinesAndEveryCallSaysSoNamingTheDevice)
{
    if (std::getenv("LD_PRELOAD"))
        GTEST_SKIP() << "modem lines are simulated in this process";
    PseudoTerminal pty;
    ASSERT_GE(pty.slave, 0);
    DescriptorModemLines lines(pty.slave, QStringLiteral("/dev/pts/test"));
    QString dtr, rts, inputs;
    EXPECT_FALSE(lines.setDtr(true, &dtr));
    EXPECT_FALSE(lines.setRts(false, &rts));
    EXPECT_FALSE(lines.readInputs(&inputs));
    for (const QString& reason : {dtr, rts, inputs})
        EXPECT_TRUE(reason.contains(QLatin1String("/dev/pts/test")) && reason.contains(QLatin1String("no modem lines")))
            << reason.toStdString();

    QString gone;
    DescriptorModemLines closed(-1, QStringLiteral("/dev/ttyUSB9"));
    EXPECT_FALSE(closed.setDtr(true, &gone));
    EXPECT_TRUE(gone.contains(QLatin1String("gone away"))) << gone.toStdString();
}
