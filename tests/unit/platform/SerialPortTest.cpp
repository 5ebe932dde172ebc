#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/SerialLineSettings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace zandor::platform;

namespace {

// The master side of a pseudo-terminal stands in for the target board; the port under
// test opens the slave device.
class PseudoTerminal {
public:
    PseudoTerminal()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
            return;
        const char* name = ptsname(master_);
        if (name)
            slaveName_ = QString::fromLocal8Bit(name);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~PseudoTerminal() { closeMaster(); }

    bool valid() const { return master_ >= 0 && !slaveName_.isEmpty(); }
    QString slaveName() const { return slaveName_; }
    void closeMaster()
    {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }
    bool send(const QByteArray& bytes)
    {
        return ::write(master_, bytes.constData(), bytes.size()) == bytes.size();
    }
    QByteArray takeReceived()
    {
        QByteArray all;
        char chunk[256];
        for (;;) {
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0)
                break;
            all.append(chunk, static_cast<int>(n));
        }
        return all;
    }

private:
    int master_ = -1;
    QString slaveName_;
};

// Pumps the event loop until `done` holds or a generous number of rounds has passed.
template <typename Condition>
bool PumpUntil(QtEventPump& pump, Condition done)
{
    constexpr int kMaxRounds = 400;
    constexpr int kRoundMilliseconds = 25;
    for (int round = 0; round < kMaxRounds && !done(); ++round)
        pump.waitForEvents(kRoundMilliseconds);
    return done();
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty_.valid()); }

    QtSerialPort::DeviceForPort toPty()
    {
        return [this](int) { return pty_.slaveName(); };
    }

    PseudoTerminal pty_;
    QtEventPump pump_;
};

}  // namespace

TEST(SerialLineSettings, ParsesTheUsualFormsAndRefusesOthers)
{
    auto line = ParseSerialLineSettings(QStringLiteral("38400,N,8,1"));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->baudRate, 38400);
    EXPECT_EQ(line->parity, QSerialPort::NoParity);
    EXPECT_EQ(line->dataBits, QSerialPort::Data8);
    EXPECT_EQ(line->stopBits, QSerialPort::OneStop);

    line = ParseSerialLineSettings(QStringLiteral(" 9600 , e , 7 , 2 "));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->parity, QSerialPort::EvenParity);
    EXPECT_EQ(line->dataBits, QSerialPort::Data7);
    EXPECT_EQ(line->stopBits, QSerialPort::TwoStop);
    line = ParseSerialLineSettings(QStringLiteral("115200,o,5,1.5"));
    ASSERT_TRUE(line);
    EXPECT_EQ(line->parity, QSerialPort::OddParity);
    EXPECT_EQ(line->stopBits, QSerialPort::OneAndHalfStop);

    for (const char* bad : {"", "abc", "38400,X,8,1", "38400,N,9,1", "38400,N,4,1", "38400,N,8,3",
                            "0,N,8,1", "-9600,N,8,1", "38400,N,8", "38400,N,8,1,1", "38400,,8,1"})
        EXPECT_FALSE(ParseSerialLineSettings(QString::fromLatin1(bad))) << bad;
}

TEST(SerialLineSettings, HandshakingCodesAndDeviceNames)
{
    EXPECT_EQ(FlowControlForHandshaking(0), QSerialPort::NoFlowControl);
    EXPECT_EQ(FlowControlForHandshaking(1), QSerialPort::SoftwareControl);
    EXPECT_EQ(FlowControlForHandshaking(2), QSerialPort::HardwareControl);
    EXPECT_EQ(FlowControlForHandshaking(3), QSerialPort::HardwareControl);
    EXPECT_FALSE(FlowControlForHandshaking(-1));
    EXPECT_FALSE(FlowControlForHandshaking(4));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtSettingsStore store(dir.filePath(QStringLiteral("Zandor.ini")));
    EXPECT_EQ(DeviceNameForPort(store, 1), QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(DeviceNameForPort(store, 3), QStringLiteral("/dev/ttyS2"));
    store.writeKey(QStringLiteral("General"), QStringLiteral("COM1"), QStringLiteral("/dev/ttyUSB0"));
    store.writeKey(QStringLiteral("General"), QStringLiteral("COM2"), QStringLiteral("  "));
    EXPECT_EQ(DeviceNameForPort(store, 1), QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(DeviceNameForPort(store, 2), QStringLiteral("/dev/ttyS1"));
    EXPECT_TRUE(DeviceNameForPort(store, 0).isEmpty());
}

TEST_F(SerialPortTest, RefusedSettingsFailTheOpenWithAReason)
{
    QtSerialPort port(toPty());
    PortSettings settings;
    QString reason;
    for (int code : {-1, 7}) {
        settings.handshaking = code;
        EXPECT_FALSE(port.open(settings, &reason));
        EXPECT_TRUE(reason.contains(QString::number(code))) << reason.toStdString();
        EXPECT_FALSE(port.isOpen());
    }
    settings.handshaking = 0;
    for (const char* text : {"38400,X,8,1", "abc", ""}) {
        settings.settings = QString::fromLatin1(text);
        reason.clear();
        EXPECT_FALSE(port.open(settings, &reason)) << text;
        EXPECT_FALSE(reason.isEmpty());
    }
    settings.settings = QStringLiteral("38400,N,8,1");
    settings.portNumber = 0;
    EXPECT_FALSE(port.open(settings, &reason));
    EXPECT_FALSE(port.write(QByteArray("x")));
    EXPECT_EQ(port.pendingCount(), 0);

    QtSerialPort missing([](int) { return QStringLiteral("/dev/zandor-no-such-device"); });
    settings.portNumber = 1;
    EXPECT_FALSE(missing.open(settings, &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("/dev/zandor-no-such-device")));
    EXPECT_FALSE(missing.isOpen());
    EXPECT_FALSE(missing.write(QByteArray("x")));
}

TEST_F(SerialPortTest, BytesTravelBothWaysAndDtrOnAPtyIsNoError)
{
    QtSerialPort port(toPty());
    PortSettings settings;
    settings.dtrEnable = true;      // a pseudo-terminal has no modem lines
    settings.inBufferSize = 99999;  // too big for the device: not applied, not refused
    QString reason;
    ASSERT_TRUE(port.open(settings, &reason)) << reason.toStdString();
    EXPECT_TRUE(port.isOpen());
    EXPECT_FALSE(port.hasFailed());

    QByteArray all256;
    for (int i = 0; i < 256; ++i)
        all256.append(static_cast<char>(i));
    ASSERT_TRUE(port.write(all256));
    QByteArray atTarget;
    EXPECT_TRUE(PumpUntil(pump_, [&] {
        atTarget += pty_.takeReceived();
        return atTarget.size() >= all256.size();
    }));
    EXPECT_EQ(atTarget, all256);

    ASSERT_TRUE(pty_.send(QByteArray("*\0!", 3)));
    EXPECT_TRUE(PumpUntil(pump_, [&] { return port.pendingCount() >= 3; }));
    EXPECT_EQ(port.pendingCount(), 3);
    EXPECT_EQ(port.readAllPending(), QByteArray("*\0!", 3));
    EXPECT_EQ(port.pendingCount(), 0);
    EXPECT_TRUE(port.readAllPending().isEmpty());

    // Reopening with other settings starts afresh.
    settings.settings = QStringLiteral("9600,E,7,2");
    settings.handshaking = 3;
    ASSERT_TRUE(port.open(settings, &reason)) << reason.toStdString();
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write(QByteArray("x")));
}

TEST_F(SerialPortTest, NullDiscardDropsZeroBytes)
{
    QtSerialPort port(toPty());
    PortSettings settings;
    settings.nullDiscard = true;
    QString reason;
    ASSERT_TRUE(port.open(settings, &reason)) << reason.toStdString();

    ASSERT_TRUE(pty_.send(QByteArray("\0a\0\0b\0c", 7)));
    // The three kept bytes arrive; the zeros never count as pending.
    EXPECT_TRUE(PumpUntil(pump_, [&] { return port.pendingCount() >= 3; }));
    pump_.waitForEvents(50);
    EXPECT_EQ(port.pendingCount(), 3);
    EXPECT_EQ(port.readAllPending(), QByteArray("abc"));
}

TEST_F(SerialPortTest, ASmallInputBufferStillDeliversEverything)
{
    QtSerialPort port(toPty());
    PortSettings settings;
    settings.inBufferSize = 16;
    QString reason;
    ASSERT_TRUE(port.open(settings, &reason)) << reason.toStdString();

    const QByteArray burst(1000, 'x');
    ASSERT_TRUE(pty_.send(burst));
    QByteArray received;
    EXPECT_TRUE(PumpUntil(pump_, [&] {
        received += port.readAllPending();
        return received.size() >= burst.size();
    }));
    EXPECT_EQ(received, burst);
}

TEST_F(SerialPortTest, ALostDeviceFailsAndClosesThePort)
{
    QtSerialPort port(toPty());
    QString reason;
    ASSERT_TRUE(port.open(PortSettings{}, &reason)) << reason.toStdString();
    pty_.closeMaster();

    EXPECT_TRUE(PumpUntil(pump_, [&] { return port.hasFailed(); }));
    EXPECT_FALSE(port.isOpen());
    EXPECT_FALSE(port.write(QByteArray("x")));
    EXPECT_EQ(port.pendingCount(), 0);
    // Nothing keeps firing: further waits return without trouble.
    for (int i = 0; i < 5; ++i)
        pump_.waitForEvents(10);
    EXPECT_FALSE(port.isOpen());

    // A later open on a working line clears the failure.
    PseudoTerminal other;
    ASSERT_TRUE(other.valid());
    QtSerialPort reopened([&](int) { return other.slaveName(); });
    ASSERT_TRUE(reopened.open(PortSettings{}, &reason));
    EXPECT_FALSE(reopened.hasFailed());
}
