#include "ProtocolFixture.h"

using SerialLinkTest = ProtocolTest;

TEST_F(SerialLinkTest, SendRecordAppendsTheChecksumInOneWrite)
{
    EXPECT_TRUE(SendRecord(target, kReloadCommand));
    EXPECT_TRUE(SendRecord(target, QByteArray("SE") + Bytes({0x03, 0x00, 0x02})));
    EXPECT_EQ(port.writes(), QList<QByteArray>({Bytes({0x53, 0x52, 0x01, 0xFE}), Bytes({0x53, 0x45, 3, 0, 2, 0xFA})}));
    EXPECT_EQ(target.bytesSinceWait, 10);  // both count toward the next wait's wire time
}

TEST_F(SerialLinkTest, AReplyAcknowledgesWithAStarFirstAndNoRefusalAnywhere)
{
    // Everything read at once is one reply. A stray "*" ahead of a refusal is no
    // acknowledgement (it once was: "*?" passed); other bytes behind a "*" are ignored.
    const std::tuple<QByteArray, AckResult, const char*> replies[] = {
        {"*", AckResult::Acknowledged, nullptr},
        {"**", AckResult::Acknowledged, nullptr},
        {"* x", AckResult::Acknowledged, nullptr},
        {"*?", AckResult::Refused, "Checksum Error : (3F *?)"},
        {"**#", AckResult::Refused, "Chip Program Failure : (23 **#)"},
        {"*\n$", AckResult::Refused, "Chip Read Failure : (24 *\n$)"},
        {"!*", AckResult::Refused, "Chip Erase Failed : (21 !*)"},
        {"x*", AckResult::Refused, "Communication Error 78 (x*)"},
    };
    for (const auto& [reply, result, box] : replies) {
        report.boxes.clear();
        port.queueReceived(reply);
        EXPECT_EQ(WaitForAck(target, 10, Phase::Download).result, result) << reply.constData();
        EXPECT_EQ(port.pendingCount(), 0);
        EXPECT_EQ(report.boxes.isEmpty() ? QString() : report.boxes[0].text, QString::fromLatin1(box ? box : ""));
    }
    // A reply in two pieces: the first read decides, the rest opens the next wait.
    pump.onWait = [this](qint64) { port.queueReceived("!"); };
    EXPECT_EQ(WaitForAck(target, 10, Phase::Download).result, AckResult::Refused);
    EXPECT_EQ(report.boxes.last().text, QStringLiteral("Chip Erase Failed : (21 !)"));
    EXPECT_EQ(report.boxes.last().icon, MessageIcon::Exclamation);
    pump.onWait = nullptr;
    // Stale bytes pending at the start end the wait at once and are this reply.
    const int waitsBefore = pump.waits();
    port.queueReceived(Bytes({0x00, 'x'}));
    EXPECT_EQ(WaitForAck(target, 10, Phase::Download).reply, Bytes({0x00, 'x'}));
    EXPECT_EQ(pump.waits(), waitsBefore);
    EXPECT_TRUE(report.boxes.last().text.startsWith(QStringLiteral("Communication Error 0 (")));
}

TEST_F(SerialLinkTest, WaitForAckEndsWithoutABoxOnSilenceLimitZeroOrAFailedPort)
{
    const qint64 start = pump.nowMilliseconds();
    EXPECT_EQ(WaitForAck(target, 10, Phase::Download).result, AckResult::TimedOut);
    EXPECT_EQ(target.replyDeadlineMs, start + 10 * 100);
    EXPECT_EQ(WaitForAck(target, 0, Phase::Download).result, AckResult::TimedOut);
    port.queueReceived("*");
    EXPECT_EQ(WaitForAck(target, 0, Phase::Download).result, AckResult::Acknowledged);
    port.setFailed(true);
    port.queueReceived("*");
    EXPECT_EQ(WaitForAck(target, 100, Phase::Download).result, AckResult::PortFailed);
    EXPECT_EQ(pump.waits(), 1);  // slept once for the whole first limit, never spun
    EXPECT_TRUE(report.boxes.isEmpty());
}

TEST_F(SerialLinkTest, ASilentTargetIsWaitedForItsCallersLimitPlusTheWireTime)
{
    writeFile("PreLoad.bin", QByteArray(32, 'p'));
    writeFile("LoaderC167.sre", SLine('1', "F600", "L") + "\r\nS9030000FC\r\n");
    writeFile("Appl.bin", QByteArray(64, 'a'));
    profile.C167ApplFile = "Appl.bin";
    // Wire time at 38400 baud, rounded up: 1 byte 1 ms, 3104 bytes 809 ms, 7 bytes 2 ms,
    // 72 bytes 19 ms; at 9600 baud 3104 bytes take 3234 ms. No baud rate reads as 38400.
    auto load = [this] { SendLoader(target, profiles::CpuFlashMemory, LoaderStart::FirstLoad); };
    const std::tuple<const char*, std::function<void()>, qint64> operations[] = {
        {"38400,N,8,1", [this] { IdentifyBootstrap(target); }, 2 * 100 + 1},
        {"38400,N,8,1", load, 5 * 100 + 809},
        {"9600,N,8,1", load, 5 * 100 + 3234},
        {"fast,N,8,1", [this] { EraseFlash(target, profiles::CpuFlashMemory); }, 100 * 100 + 2},
        {"38400,N,8,1", [this] { program(profiles::CpuFlashMemory); }, 10 * 100 + 19},
    };
    for (const auto& [settings, operation, expectedMs] : operations) {
        profile.COMSettings = settings;
        const qint64 start = pump.nowMilliseconds();
        operation();
        EXPECT_EQ(pump.nowMilliseconds() - start, expectedMs) << settings;
    }
}

// An event loop that wakes every 50 ms with nothing received.
struct WakingPump : zandor::platform::IEventPump {
    void waitForEvents(int maxMilliseconds) override { now += std::min(maxMilliseconds, 50); }
    qint64 nowMilliseconds() override { return now; }
    qint64 now = 0;
};

TEST_F(SerialLinkTest, EarlyWakeUpsDoNotShortenTheWait)
{
    WakingPump waking;
    Target fast(port, view, waking, profile);
    EXPECT_EQ(WaitForAck(fast, 5, Phase::Loader).result, AckResult::TimedOut);
    EXPECT_EQ(waking.now, 500);
}
