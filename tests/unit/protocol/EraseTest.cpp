#include "ProtocolFixture.h"

using EraseTest = ProtocolTest;

// Per bank: "SE", 03h, 00h, the bank and the checksum, then a line feed.
static QList<QByteArray> EraseWrites(int banks)
{
    QList<QByteArray> writes;
    for (int b = 0; b < banks; ++b)
        writes << Bytes({0x53, 0x45, 0x03, 0x00, b, 0xFC - b}) << Bytes({0x0A});
    return writes;
}

TEST_F(EraseTest, ErasesEachBankAfterTheLastWasAcknowledgedAndStopsAtARefusal)
{
    int lineFeeds = 0, refusedAt = 0;
    port.setResponder([&](const QByteArray& w, FakeSerialPort& p) {
        if (w == "\n")
            p.queueReceived(++lineFeeds == refusedAt ? "!" : "*");
    });
    for (auto [memory, banks, name] :
         {std::tuple{profiles::CpuFlashMemory, 4, "CPU"}, {profiles::ExternalFlashMemory, 8, "AMD29F0x0"}}) {
        port.clearWrites();
        EXPECT_EQ(EraseFlash(target, memory), Outcome::Done);
        EXPECT_EQ(port.writes(), EraseWrites(banks));
        EXPECT_EQ(report.statusText(), QStringLiteral("%1: Erasing Bank %2 ..., Done").arg(name).arg(banks - 1));
    }
    EXPECT_EQ(port.writes()[14], Bytes({0x53, 0x45, 0x03, 0x00, 0x07, 0xF5}));
    report.setStatusText("Ready");
    EXPECT_EQ(EraseFlash(target, profiles::DataFlashMemory), Outcome::Done);  // nothing to erase
    EXPECT_EQ(report.statusText(), QStringLiteral("Ready, Done"));
    EXPECT_TRUE(report.events.isEmpty());

    port.clearWrites();
    lineFeeds = 0, refusedAt = 3;
    EXPECT_EQ(EraseFlash(target, profiles::CpuFlashMemory), Outcome::Refused);
    EXPECT_EQ(port.writes(), EraseWrites(3));
    EXPECT_EQ(view.ends.last().bank, 2);
    EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Erasing Bank 2 ..., Error"));
    EXPECT_EQ(report.events, QStringList({"Chip Erase Failed : (21 !)", "<not responding>"}));
    port.setResponder(nullptr);  // silence
    EXPECT_EQ(EraseFlash(target, profiles::ExternalFlashMemory), Outcome::NotAcknowledged);
    EXPECT_EQ(port.writes().size(), 6 + 2);
    EXPECT_EQ(report.notResponding, 2);

    // A stop asked for during a bank's wait ends the erase once that bank is answered.
    acknowledgeEveryWrite();
    port.clearWrites();
    target.stopRequested = [this] { return port.writes().size() >= 4; };
    EXPECT_EQ(EraseFlash(target, profiles::CpuFlashMemory), Outcome::Interrupted);
    EXPECT_EQ(port.writes(), EraseWrites(2));
}
