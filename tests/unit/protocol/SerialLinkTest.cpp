#include "ProtocolFixture.h"

using SerialLinkTest = ProtocolTest;

TEST_F(SerialLinkTest, SendRecordAppendsTheChecksumInOneWrite)
{
    SendRecord(port, kReloadCommand);
    EXPECT_TRUE(SendRecord(target, QByteArray("SE") + Bytes({0x03, 0x00, 0x02})));
    EXPECT_EQ(port.writes(), QList<QByteArray>({Bytes({0x53, 0x52, 0x01, 0xFE}), Bytes({0x53, 0x45, 3, 0, 2, 0xFA})}));
    EXPECT_EQ(target.bytesSinceWait, 6);  // only writes through the target count toward the wire time
}

TEST_F(SerialLinkTest, WaitForAckJudgesOnlyTheFirstByteOfWhatIsPending)
{
    port.queueReceived("*?");
    EXPECT_TRUE(WaitForAck(target, 10));
    EXPECT_EQ(port.pendingCount(), 0);
    // A reply in two pieces: the first read decides, the rest opens the next wait.
    pump.onWait = [this](qint64) { port.queueReceived("!"); };
    EXPECT_FALSE(WaitForAck(target, 10));
    ASSERT_EQ(report.boxes.size(), 1);
    EXPECT_EQ(report.boxes[0].text, QStringLiteral("Chip Erase Failed : (21 !)"));
    EXPECT_EQ(report.boxes[0].icon, MessageIcon::Exclamation);
    port.queueReceived("*");
    EXPECT_TRUE(WaitForAck(target, 10));
    // Stale bytes pending at the start end the wait at once and are this reply.
    const int waitsBefore = pump.waits();
    port.queueReceived(Bytes({0x00, 'x'}));
    EXPECT_FALSE(WaitForAck(target, 10));
    EXPECT_EQ(pump.waits(), waitsBefore);
    EXPECT_TRUE(report.boxes.last().text.startsWith(QStringLiteral("Communication Error 0 (")));
}

TEST_F(SerialLinkTest, WaitForAckEndsWithoutABoxOnSilenceLimitZeroOrAFailedPort)
{
    EXPECT_FALSE(WaitForAck(target, 10));
    EXPECT_EQ(TimeoutTicks, 10);
    EXPECT_FALSE(WaitForAck(target, 0));
    port.queueReceived("*");
    EXPECT_TRUE(WaitForAck(target, 0));
    port.setFailed(true);
    port.queueReceived("*");
    EXPECT_FALSE(WaitForAck(target, 100));
    EXPECT_EQ(pump.waits(), 1);  // slept once for the whole first limit, never spun
    EXPECT_TRUE(report.boxes.isEmpty());
}

TEST_F(SerialLinkTest, WaitAllowsForTheWireTimeOfWhatWasWritten)
{
    // 9216 bytes take 2400 ms at 38400 baud; an answer 2400 ms after the last write is heard.
    target.bytesSinceWait = 9216;
    const qint64 start = pump.nowMilliseconds();
    pump.onWait = [&](qint64 now) {
        if (now - start > 2400)
            port.queueReceived("*");
    };
    EXPECT_TRUE(WaitForAck(target, kLoaderAckLimitTicks));
    EXPECT_EQ(target.bytesSinceWait, 0);
    profile.COMSettings = QStringLiteral("fast,N,8,1");  // no baud rate: 38400
    target.bytesSinceWait = 3840;
    const qint64 second = pump.nowMilliseconds();
    pump.onWait = nullptr;
    EXPECT_FALSE(WaitForAck(target, 1));
    EXPECT_EQ(pump.nowMilliseconds() - second, 100 + 1000);
}

// An event loop delivering a Timer1 tick every 50 ms: the countdown runs out early.
struct TickingPump : zandor::platform::IEventPump {
    void waitForEvents(int maxMilliseconds) override { now += std::min(maxMilliseconds, 50); Timer1Tick(); }
    qint64 nowMilliseconds() override { return now; }
    qint64 now = 0;
};

TEST_F(SerialLinkTest, WaitEndsEarlyOnlyOnceTheCountdownRanOutAndTheLastTickBegan)
{
    TickingPump ticking;
    Target fast(port, report, ticking, profile);
    EXPECT_FALSE(WaitForAck(fast, 5));
    EXPECT_TRUE(ticking.now >= 400 && ticking.now < 500) << ticking.now;
}

TEST(SerialLink, TargetReplyTextExplainsReplyCharactersAndEverythingElse)
{
    for (auto [reply, text] : {std::pair{QByteArray("!"), "Chip Erase Failed : (21 !)"},
                               {"?x", "Checksum Error : (3F ?x)"}, {"#", "Chip Program Failure : (23 #)"},
                               {"$", "Chip Read Failure : (24 $)"}, {"*", "Acknowledge Received : (2A *)"},
                               {"AB", "Communication Error 41 (AB)"}, {"\n", "Communication Error A (\n)"},
                               {"\xC5", "Communication Error C5 (\u00c5)"}, {"%1", "Communication Error 25 (%1)"}})
        EXPECT_EQ(TargetReplyText(reply), QString::fromUtf8(text)) << reply.toHex().constData();
}
