#include "platform/DescriptorModemLines.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "platform/QtSettingsStore.h"
#include "platform/SerialLineSettings.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <stdlib.h>
#include <tuple>
#include <unistd.h>
#include <utility>

using namespace zandor::platform;

namespace {

using P = QSerialPort;

// The master side of a pseudo-terminal stands in for the target board.
class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0);
        slave_ = QString::fromLocal8Bit(ptsname(master_));
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    void TearDown() override { ::close(master_); }
    bool send(const QByteArray& bytes)
    {
        return ::write(master_, bytes.data(), bytes.size()) == bytes.size();
    }
    // Pumps the event loop until `done` holds or a generous number of rounds has passed.
    template <typename Condition>
    bool pumpUntil(Condition done)
    {
        for (int round = 0; round < 400 && !done(); ++round)
            pump_.waitForEvents(25);
        return done();
    }
    int master_ = posix_openpt(O_RDWR | O_NOCTTY);
    QString slave_;
    QtEventPump pump_;
    QtSerialPort port_{[this](int) { return slave_; }};
    PortSettings settings_;
    QString reason_;
};

}  // namespace

TEST(SerialLineSettings, ParsesTheUsualFormsAndRefusesOthers)
{
    using Fields = std::tuple<qint32, P::Parity, P::DataBits, P::StopBits>;
    const std::pair<const char*, Fields> good[] = {
        {"38400,N,8,1", {38400, P::NoParity, P::Data8, P::OneStop}},
        {" 9600 , e , 7 , 2 ", {9600, P::EvenParity, P::Data7, P::TwoStop}},
        {"115200,o,5,1.5", {115200, P::OddParity, P::Data5, P::OneAndHalfStop}}};
    for (const auto& [text, fields] : good) {
        const auto line = ParseSerialLineSettings(text);
        ASSERT_TRUE(line) << text;
        EXPECT_EQ(Fields(line->baudRate, line->parity, line->dataBits, line->stopBits), fields);
    }
    for (const char* bad : {"", "abc", "38400,X,8,1", "38400,N,9,1", "38400,N,4,1", "38400,N,8,3",
                            "0,N,8,1", "38400,N,8", "38400,N,8,1,1", "38400,,8,1"})
        EXPECT_FALSE(ParseSerialLineSettings(bad)) << bad;
}

TEST(SerialLineSettings, DeviceNameForPortWithAndWithoutTheComKey)
{
    QTemporaryDir dir;
    QtSettingsStore store(dir.filePath("Zandor.ini"));
    EXPECT_EQ(DeviceNameForPort(store, 1), "/dev/ttyS0");
    store.writeKey("General", "COM1", "/dev/ttyUSB0");
    store.writeKey("General", "COM2", "  ");
    EXPECT_EQ(DeviceNameForPort(store, 1), "/dev/ttyUSB0");
    EXPECT_EQ(DeviceNameForPort(store, 2), "/dev/ttyS1");
    EXPECT_TRUE(DeviceNameForPort(store, 0).isEmpty());

    SetDeviceForPort(store, 1, "/dev/ttyS0");  // the usual device: the key goes
    SetDeviceForPort(store, 3, " /dev/ttyACM0 ");
    EXPECT_EQ(store.readKey("General", "COM1", "<none>"), "<none>");
    EXPECT_EQ(store.readKey("General", "COM3", "<none>"), "/dev/ttyACM0");
}

TEST_F(SerialPortTest, RefusedSettingsFailTheOpenWithAReason)
{
    const std::tuple<int, const char*, const char*> refused[] = {
        {-1, "38400,N,8,1", "-1"}, {4, "38400,N,8,1", "4"}, {0, "38400,X,8,1", ""}};
    for (const auto& [handshaking, text, inReason] : refused) {
        settings_.handshaking = handshaking;
        settings_.settings = text;
        reason_.clear();
        EXPECT_FALSE(port_.open(settings_, &reason_)) << handshaking << text;
        EXPECT_TRUE(reason_.startsWith("COM1 = " + slave_ + ": ") && reason_.contains(inReason))
            << reason_.toStdString();
    }
    settings_ = PortSettings{};
    settings_.portNumber = 0;
    EXPECT_FALSE(port_.open(settings_, &reason_));
    EXPECT_FALSE(port_.isOpen() || port_.write("x"));

    // A device given directly wins over the port number's, and messages name only it.
    QtSerialPort missing([](int) { return QString("/dev/zandor-no-such-device"); });
    PortSettings direct;
    direct.device = "/dev/zandor-gone";
    EXPECT_FALSE(missing.open(direct, &reason_));
    EXPECT_EQ(reason_, "port /dev/zandor-gone: does not exist: is the adapter plugged in?");
    direct.device = slave_;
    EXPECT_TRUE(missing.open(direct, &reason_)) << reason_.toStdString();
    missing.close();

    // A terminal program holding an advisory lock on the device keeps us off the line.
    const int other = ::open(ptsname(master_), O_RDWR | O_NOCTTY);
    ASSERT_TRUE(other >= 0 && ::flock(other, LOCK_EX) == 0);
    EXPECT_FALSE(missing.open(direct, &reason_));
    EXPECT_EQ(reason_, "port " + slave_ + ": is in use by another program");
    ::close(other);
}

TEST_F(SerialPortTest, LowLatencyIsOnWhileOpenAndSkippedWhereTheDriverHasNone)
{
    constexpr int kOtherFlags = 0x40;
    std::optional<int> driverFlags = kOtherFlags;  // no value: a driver without flags
    QList<int> written;
    const SerialDriverFlags driver{[&](int) { return driverFlags; },
                                   [&](int, int value) {
                                       written << value;
                                       driverFlags = value;
                                       return true;
                                   }};
    QtSerialPort port([this](int) { return slave_; }, driver);
    ASSERT_TRUE(port.open(settings_, &reason_)) << reason_.toStdString();
    EXPECT_EQ(port.lowLatency(), LowLatencyState::On);
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(written, (QList<int>{kOtherFlags | kLowLatencyFlag, kOtherFlags}));

    written.clear();
    driverFlags = kLowLatencyFlag;  // on already: not ours to turn off
    ASSERT_TRUE(port.open(settings_, &reason_));
    port.close();
    driverFlags.reset();
    ASSERT_TRUE(port.open(settings_, &reason_));
    EXPECT_EQ(port.lowLatency(), LowLatencyState::Unsupported);
    port.close();
    EXPECT_TRUE(written.isEmpty());
}

TEST_F(SerialPortTest, BytesTravelBothWaysWithDtrAndNullDiscardUntilTheDeviceIsLost)
{
    settings_.dtrEnable = true;      // a pseudo-terminal has no modem lines
    settings_.inBufferSize = 99999;  // too big for the device: not applied, not refused
    ASSERT_TRUE(port_.open(settings_, &reason_)) << reason_.toStdString();
    QByteArray all256, atTarget;
    for (int i = 0; i < 256; ++i)
        all256.append(char(i));
    ASSERT_TRUE(port_.write(all256));
    EXPECT_TRUE(pumpUntil([&] {
        char chunk[256];
        atTarget.append(chunk, std::max<int>(0, ::read(master_, chunk, sizeof chunk)));
        return atTarget.size() >= 256;
    }));
    EXPECT_EQ(atTarget, all256);
    ASSERT_TRUE(send(QByteArray("*\0!", 3)));
    EXPECT_TRUE(pumpUntil([&] { return port_.pendingCount() >= 3; }));
    EXPECT_EQ(port_.readAllPending(), QByteArray("*\0!", 3));
    EXPECT_EQ(port_.pendingCount(), 0);

    // Reopening starts afresh; zeros are dropped and a small buffer still gets everything.
    settings_ = PortSettings{};
    settings_.nullDiscard = true;
    settings_.inBufferSize = 16;
    ASSERT_TRUE(port_.open(settings_, &reason_)) << reason_.toStdString();
    ASSERT_TRUE(send(QByteArray("\0a\0\0b\0c", 7)));
    EXPECT_TRUE(pumpUntil([&] { return port_.pendingCount() >= 3; }));
    pump_.waitForEvents(50);
    EXPECT_EQ(port_.pendingCount(), 3);
    EXPECT_EQ(port_.readAllPending(), "abc");
    const QByteArray burst(1000, 'x');
    QByteArray received;
    ASSERT_TRUE(send(burst));
    EXPECT_TRUE(pumpUntil([&] { return (received += port_.readAllPending()).size() >= 1000; }));
    EXPECT_EQ(received, burst);

    // A lost device fails the port and closes it.
    ::close(std::exchange(master_, -1));
    EXPECT_TRUE(pumpUntil([&] { return port_.hasFailed(); }));
    EXPECT_FALSE(port_.isOpen() || port_.write("x"));
    EXPECT_EQ(port_.pendingCount(), 0);
}

TEST_F(SerialPortTest, HangUpOnCloseIsClearedOnlyWithASequenceAndStaysClearedPastTheClose)
{
    // A second descriptor on the device watches its flag across our close; the flag is
    // set first, as the kernel sets it for a fresh serial device.
    const int watcher = ::open(slave_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(watcher, 0);
    termios fresh;
    ASSERT_EQ(::tcgetattr(watcher, &fresh), 0);
    fresh.c_cflag |= HUPCL;
    ASSERT_EQ(::tcsetattr(watcher, TCSANOW, &fresh), 0);

    ASSERT_TRUE(port_.open(settings_, &reason_)) << reason_.toStdString();
    EXPECT_EQ(HangUpOnClose(watcher), true);  // no sequence: the device as it was
    ASSERT_NE(port_.modemLines(), nullptr);
    port_.close();
    EXPECT_EQ(port_.modemLines(), nullptr);

    settings_.keepLinesAtClose = true;
    ASSERT_TRUE(port_.open(settings_, &reason_)) << reason_.toStdString();
    EXPECT_EQ(HangUpOnClose(watcher), false);
    port_.close();
    // The close must not put the flag back: the last close of the device would drop DTR
    // and RTS, resetting the board the run sequence has just started.
    EXPECT_EQ(HangUpOnClose(watcher), false);
    ::close(watcher);
}

// A program killed mid-download leaves the board's answer in the kernel's buffer, as long
// as the line stays up (the board's side holds it open): it is no answer to the next run.
TEST_F(SerialPortTest, BytesThatArrivedBeforeTheOpenAreDiscarded)
{
    const int boardSide = ::open(slave_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(boardSide, 0);
    termios raw;
    ASSERT_EQ(tcgetattr(boardSide, &raw), 0);
    cfmakeraw(&raw);
    ASSERT_EQ(tcsetattr(boardSide, TCSANOW, &raw), 0);
    ASSERT_TRUE(send("*"));
    ::usleep(50'000);  // in the kernel's buffer before the port opens
    ASSERT_TRUE(port_.open(settings_, &reason_)) << reason_.toStdString();
    pump_.waitForEvents(100);
    EXPECT_EQ(port_.pendingCount(), 0);
    ASSERT_TRUE(send("\xC5"));
    EXPECT_TRUE(pumpUntil([&] { return port_.pendingCount() >= 1; }));
    EXPECT_EQ(port_.readAllPending(), "\xC5");
    ::close(boardSide);
}
