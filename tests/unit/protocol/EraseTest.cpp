#include "ProtocolFixture.h"

using namespace zandor::protocol;
namespace profiles = zandor::profiles;
using zandor::testing::Bytes;
using zandor::testing::FakeSerialPort;
using zandor::testing::ProtocolTest;

using EraseTest = ProtocolTest;

namespace {

QList<QByteArray> EraseWrites(int banks)
{
    QList<QByteArray> writes;
    for (int b = 0; b < banks; ++b) {
        writes.append(Bytes({0x53, 0x45, 0x03, 0x00, b, 0xFC - b}));
        writes.append(Bytes({0x0A}));
    }
    return writes;
}

}  // namespace

TEST_F(EraseTest, ErasesEachBankAfterTheLastWasAcknowledged)
{
    port.setResponder([](const QByteArray& w, FakeSerialPort& p) {
        if (w == "\n")
            p.queueReceived("*");
    });
    EXPECT_TRUE(EraseFlash(target, profiles::CpuFlashMemory));
    EXPECT_EQ(port.writes(), EraseWrites(4));
    EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Erasing Bank 3 ..., Done"));

    port.clearWrites();
    EXPECT_TRUE(EraseFlash(target, profiles::ExternalFlashMemory));
    EXPECT_EQ(port.writes(), EraseWrites(8));
    EXPECT_EQ(port.writes()[14], Bytes({0x53, 0x45, 0x03, 0x00, 0x07, 0xF5}));
    EXPECT_EQ(report.statusText(), QStringLiteral("AMD29F0x0: Erasing Bank 7 ..., Done"));
    EXPECT_TRUE(report.boxes.isEmpty());

    port.clearWrites();
    report.setStatusText("Ready");
    EXPECT_TRUE(EraseFlash(target, profiles::DataFlashMemory));
    EXPECT_TRUE(port.writes().isEmpty());
    EXPECT_EQ(report.statusText(), QStringLiteral("Ready, Done"));
}

TEST_F(EraseTest, ARefusedBankStopsTheErase)
{
    int lineFeeds = 0;
    port.setResponder([&lineFeeds](const QByteArray& w, FakeSerialPort& p) {
        if (w == "\n")
            p.queueReceived(++lineFeeds == 3 ? "!" : "*");
    });
    EXPECT_FALSE(EraseFlash(target, profiles::CpuFlashMemory));
    EXPECT_EQ(port.writes(), EraseWrites(3));
    EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Erasing Bank 2 ..., Error"));
    EXPECT_EQ(report.events, QStringList({"Chip Erase Failed : (21 !)", "<not responding>"}));

    // Silence: the bank's wait lasts its 10 s (on the simulated clock) and fails.
    port.setResponder(nullptr);
    port.clearWrites();
    EXPECT_FALSE(EraseFlash(target, profiles::ExternalFlashMemory));
    EXPECT_EQ(port.writes().size(), 2);
    EXPECT_EQ(report.notResponding, 2);
}
