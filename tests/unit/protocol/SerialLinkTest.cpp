#include "ProtocolFixture.h"
#include "protocol/ReplyCodes.h"
#include "protocol/SRecordCodec.h"

using namespace zandor::protocol;
using zandor::testing::Bytes;
using zandor::testing::ProtocolTest;

using SerialLinkTest = ProtocolTest;

TEST_F(SerialLinkTest, SendRecordAppendsTheChecksumInOneWrite)
{
    SendRecord(port, kReloadCommand);
    EXPECT_TRUE(SendRecord(target, QByteArray("SE") + Bytes({0x03, 0x00, 0x02})));
    SendRecord(port, QByteArray("SX"));
    ASSERT_EQ(port.writes().size(), 3);
    EXPECT_EQ(port.writes()[0], Bytes({0x53, 0x52, 0x01, 0xFE}));
    EXPECT_EQ(port.writes()[1], Bytes({0x53, 0x45, 0x03, 0x00, 0x02, 0xFA}));
    EXPECT_EQ(port.writes()[2], Bytes({0x53, 0x58, 0xFF}));
    // Only the write through the target counts toward the next wait's wire time.
    EXPECT_EQ(target.bytesSinceWait, 6);
}

TEST_F(SerialLinkTest, WaitForAckJudgesOnlyTheFirstByteOfWhatIsPending)
{
    port.queueReceived("*?");
    EXPECT_TRUE(WaitForAck(target, 10));
    EXPECT_TRUE(report.boxes.isEmpty());
    EXPECT_EQ(port.pendingCount(), 0);

    // A reply in two pieces: the first read decides, the rest opens the next wait.
    pump.onWait = [this](qint64) {
        port.queueReceived("!");
        pump.onWait = nullptr;
    };
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
    EXPECT_EQ(pump.waits(), 1);  // slept once for the whole limit, never spun
    EXPECT_TRUE(report.boxes.isEmpty());
    EXPECT_EQ(TimeoutTicks, 10);

    EXPECT_FALSE(WaitForAck(target, 0));
    EXPECT_EQ(pump.waits(), 1);
    port.queueReceived("*");
    EXPECT_TRUE(WaitForAck(target, 0));

    port.setFailed(true);
    port.queueReceived("*");
    EXPECT_FALSE(WaitForAck(target, 100));
    EXPECT_EQ(pump.waits(), 1);
    EXPECT_TRUE(report.boxes.isEmpty());
}

TEST_F(SerialLinkTest, WaitAllowsForTheWireTimeOfWhatWasWritten)
{
    // 3072 image bytes at 38400 baud take 800 ms on the wire; a loader that answers
    // 500 ms after the last byte left must still be heard.
    for (int i = 0; i < 3072; ++i)
        SendRecord(target, QByteArray("SX"));  // three bytes each with the checksum
    const qint64 start = pump.nowMilliseconds();
    pump.onWait = [&](qint64 now) {
        if (now - start > 2400)
            port.queueReceived("*");
    };
    EXPECT_TRUE(WaitForAck(target, kLoaderAckLimitTicks));
    EXPECT_EQ(target.bytesSinceWait, 0);

    // Settings naming no baud rate fall back to 38400.
    profile.COMSettings = QStringLiteral("fast,N,8,1");
    target.bytesSinceWait = 3840;
    const qint64 second = pump.nowMilliseconds();
    pump.onWait = nullptr;
    EXPECT_FALSE(WaitForAck(target, 1));
    EXPECT_EQ(pump.nowMilliseconds() - second, 100 + 1000);
}

// A pump whose event loop delivers a Timer1 tick every 50 ms of its clock: the countdown
// runs out long before the limit.
class FastTickingPump : public zandor::platform::IEventPump {
public:
    void waitForEvents(int maxMilliseconds) override
    {
        now_ += std::min(maxMilliseconds, 50);
        Timer1Tick();
    }
    qint64 nowMilliseconds() override { return now_; }

private:
    qint64 now_ = 0;
};

TEST_F(SerialLinkTest, WaitEndsEarlyOnlyOnceTheCountdownRanOutAndTheLastTickBegan)
{
    FastTickingPump ticking;
    Target fast(port, report, ticking, profile);
    EXPECT_FALSE(WaitForAck(fast, 5));
    EXPECT_GE(ticking.nowMilliseconds(), 400);
    EXPECT_LT(ticking.nowMilliseconds(), 500);
    EXPECT_EQ(TimeoutTicks, 0);
}

TEST(TargetReplyText, ExplainsReplyCharactersAndEverythingElse)
{
    EXPECT_EQ(TargetReplyText("!"), QStringLiteral("Chip Erase Failed : (21 !)"));
    EXPECT_EQ(TargetReplyText("?x"), QStringLiteral("Checksum Error : (3F ?x)"));
    EXPECT_EQ(TargetReplyText("#"), QStringLiteral("Chip Program Failure : (23 #)"));
    EXPECT_EQ(TargetReplyText("$"), QStringLiteral("Chip Read Failure : (24 $)"));
    EXPECT_EQ(TargetReplyText("*"), QStringLiteral("Acknowledge Received : (2A *)"));
    EXPECT_EQ(TargetReplyText("AB"), QStringLiteral("Communication Error 41 (AB)"));
    EXPECT_EQ(TargetReplyText("\n"), QStringLiteral("Communication Error A (\n)"));
    EXPECT_EQ(TargetReplyText(Bytes({0xC5})), QStringLiteral("Communication Error C5 (\u00c5)"));
    EXPECT_EQ(TargetReplyText("%1"), QStringLiteral("Communication Error 25 (%1)"));

    zandor::testing::RecordingReporter report;
    ShowTargetReply(report, "#");
    ASSERT_EQ(report.boxes.size(), 1);
    EXPECT_EQ(report.boxes[0].icon, MessageIcon::Exclamation);
}

TEST_F(SerialLinkTest, SendFileWritesTheFileUnchangedOrNamesTheMissingFile)
{
    const QByteArray bytes = Bytes({0x00, 0x0D, 0x0A, 0xFF, 0x1A});
    writeFile("pre.bin", bytes);
    EXPECT_TRUE(SendFile(target, "pre.bin"));
    ASSERT_EQ(port.writes().size(), 1);
    EXPECT_EQ(port.writes()[0], bytes);

    EXPECT_FALSE(SendFile(target, "missing.bin"));
    ASSERT_EQ(report.boxes.size(), 1);
    EXPECT_TRUE(report.boxes[0].text.contains(QLatin1String("missing.bin")));
    EXPECT_FALSE(SendFile(target, "."));  // a folder is no file
    EXPECT_EQ(port.writes().size(), 1);
}
