#include "ProtocolFixture.h"

// The rest of a reply may be read after its "*": before the next bank or record goes out,
// or while the host listens after the last one. A refusal in it fails the bank or record
// it answered; other late bytes are dropped.

namespace {

// Answers every erase line feed and every record with "*" read on its own; `late` comes in
// after the "*" of reply `lateAfter` has been read (0: never).
class LateTailPort : public FakeSerialPort {
public:
    LateTailPort()
    {
        setResponder([](const QByteArray& written, FakeSerialPort& port) {
            if (written.startsWith('S') && written.at(1) != 'E')
                port.queueReceived("*");
            else if (written == "\n")
                port.queueReceived("*");
        });
    }
    QByteArray readAllPending() override
    {
        QByteArray bytes = FakeSerialPort::readAllPending();
        if (bytes == "*" && ++replies == lateAfter)
            queueReceived(late);
        return bytes;
    }
    int lateAfter = 0;
    QByteArray late;
    int replies = 0;
};

}  // namespace

class LateReplyTest : public ProtocolTest {
protected:
    void SetUp() override
    {
        ProtocolTest::SetUp();
        writeFile("Appl.bin", QByteArray(3 * 64, 'a'));  // three records
        profile.C167ApplFile = "Appl.bin";
    }
    Outcome download()
    {
        const ApplicationLoad load = LoadApplicationImage(profile, profiles::CpuFlashMemory);
        return SendApplication(lateTarget, *load.image, profiles::CpuFlashMemory);
    }

    LateTailPort late;
    Target lateTarget{late, view, pump, profile};
};

TEST_F(LateReplyTest, ALateRefusalFailsTheRecordItAnsweredAndNothingIsSentAfterIt)
{
    struct Case {
        int lateAfter;
        QByteArray late;
        Outcome outcome;
        int failedRecord;  // 0: none
        int written;
    };
    const Case cases[] = {
        {2, "?", Outcome::Refused, 2, 2},     // seen before record 3 goes out
        {3, "#", Outcome::Refused, 3, 3},     // seen at once after the last record
        {2, "*", Outcome::Done, 0, 3},        // a stray acknowledgement is dropped
        {2, "\x01 ", Outcome::Done, 0, 3},    // as is noise
    };
    for (const Case& c : cases) {
        late.lateAfter = c.lateAfter;
        late.late = c.late;
        late.replies = 0;
        late.clearWrites();
        view.ends.clear();
        EXPECT_EQ(download(), c.outcome) << c.late.constData();
        EXPECT_EQ(late.writes().size(), c.written);
        EXPECT_EQ(late.pendingCount(), 0);
        if (c.failedRecord == 0)
            continue;
        ASSERT_EQ(view.ends.size(), 1);
        EXPECT_EQ(view.ends[0].phase, Phase::Download);
        EXPECT_EQ(view.ends[0].record, c.failedRecord);
        EXPECT_EQ(view.ends[0].address, quint32(64 * (c.failedRecord - 1)));
        EXPECT_EQ(view.ends[0].acknowledgedRecords, c.failedRecord - 1);
        EXPECT_EQ(view.ends[0].reply, c.late);
        EXPECT_TRUE(report.boxes.last().text.contains(c.late.constData()));
    }
}

TEST_F(LateReplyTest, TheHostListensOnceAfterTheLastRecordAndBankNeverPerRecord)
{
    // 4 bytes at 38400 baud take 2 ms on the wire, then 20 ms of grace.
    profile.COMSettings = "38400,N,8,1";
    qint64 start = pump.nowMilliseconds();
    EXPECT_EQ(download(), Outcome::Done);
    EXPECT_EQ(pump.nowMilliseconds() - start, 22);
    // A refusal that comes while the host listens still fails the last record.
    pump.onWait = [this](qint64) { late.queueReceived("$"); };
    EXPECT_EQ(download(), Outcome::Refused);
    EXPECT_EQ(view.ends.last().record, 3);
    pump.onWait = nullptr;

    start = pump.nowMilliseconds();
    EXPECT_EQ(EraseFlash(lateTarget, profiles::CpuFlashMemory), Outcome::Done);
    EXPECT_EQ(pump.nowMilliseconds() - start, 22);
}

TEST_F(LateReplyTest, ALateRefusalFailsTheBankItAnsweredEvenWhenTheDownloadFindsIt)
{
    late.lateAfter = 2;  // behind bank 1's "*"
    late.late = "!";
    EXPECT_EQ(EraseFlash(lateTarget, profiles::CpuFlashMemory), Outcome::Refused);
    EXPECT_EQ(late.writes().size(), 2 * 2);  // banks 0 and 1, each a command and a line feed
    EXPECT_EQ(view.ends.last().bank, 1);
    EXPECT_EQ(report.events.mid(report.events.size() - 2),
              QStringList({"Chip Erase Failed : (21 !)", "<not responding>"}));

    // Late after the erase has listened for it: the first record is not sent, and the bank
    // is named.
    late.lateAfter = 0;
    late.clearWrites();
    ASSERT_EQ(EraseFlash(lateTarget, profiles::CpuFlashMemory), Outcome::Done);
    late.queueReceived("!");
    EXPECT_EQ(download(), Outcome::Refused);
    EXPECT_EQ(late.writes().size(), 4 * 2);
    EXPECT_EQ(view.ends.last().phase, Phase::Erase);
    EXPECT_EQ(view.ends.last().bank, 3);
}
