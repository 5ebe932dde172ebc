#include "ProtocolFixture.h"

using namespace zandor::protocol;
namespace profiles = zandor::profiles;
using zandor::testing::Bytes;
using zandor::testing::ProtocolTest;
using zandor::testing::SLine;

class IdentifyTest : public ProtocolTest {
protected:
    void SetUp() override
    {
        ProtocolTest::SetUp();
        writeFile("PreLoad.bin", QByteArray(32, '\x5A'));
        for (const char* name : {"LoaderC167.sre", "LoaderC168.sre", "LoaderAMD29F0x0.sre"})
            writeFile(name, SLine('1', "F600", Bytes({0x11})) + "\r\n");
    }
    static constexpr qint64 kBootstrapAndLoaderBytes = 1 + 32 + 3072;
};

TEST_F(IdentifyTest, TheRightBootstrapByteBringsUpPreLoaderAndLoader)
{
    port.queueReceived("stale");
    simulateTarget(kBootstrapAndLoaderBytes, Bytes({0xC5, 0x00}));
    EXPECT_TRUE(IdentifyTarget(target, profiles::CpuFlashMemory));
    EXPECT_EQ(port.writes().first(), Bytes({0x00}));
    EXPECT_EQ(port.allWritten().mid(1, 32), QByteArray(32, '\x5A'));
    EXPECT_EQ(port.allWritten().size(), kBootstrapAndLoaderBytes);
    EXPECT_EQ(report.statusText(), QStringLiteral("C167: Sending Loader LoaderC167.sre Part 2 ..., Done"));
    EXPECT_TRUE(report.boxes.isEmpty());

    profile.ProcessorCode = "ST10F168";
    simulateTarget(kBootstrapAndLoaderBytes, Bytes({0xD5}));
    EXPECT_TRUE(IdentifyTarget(target, profiles::CpuFlashMemory));
    EXPECT_EQ(report.statusText(), QStringLiteral("C168: Sending Loader LoaderC168.sre Part 2 ..., Done"));

    profile.ProcessorCode = "C167";
    simulateTarget(kBootstrapAndLoaderBytes, Bytes({0xC5}));
    EXPECT_TRUE(IdentifyTarget(target, profiles::ExternalFlashMemory));
    EXPECT_EQ(report.statusText(), QStringLiteral("AMD29F0x0: Sending Loader LoaderAMD29F0x0.sre Part 2 ..., Done"));

    // The loader's own failure does not change the answer: the chip was identified.
    simulateTarget(-1, Bytes({0xC5}));
    EXPECT_TRUE(IdentifyTarget(target, profiles::CpuFlashMemory));
    EXPECT_EQ(report.notResponding, 1);
}

TEST_F(IdentifyTest, AWrongByteSilenceOrAClosedPortIsNoIdentification)
{
    simulateTarget(kBootstrapAndLoaderBytes, Bytes({0xD5}));
    EXPECT_FALSE(IdentifyTarget(target, profiles::CpuFlashMemory));
    ASSERT_EQ(report.boxes.size(), 1);
    EXPECT_TRUE(report.boxes[0].text.startsWith(QStringLiteral("Communication Error D5 (")));
    EXPECT_EQ(port.writes().size(), 1);

    profile.ProcessorCode = "ST10F168";
    simulateTarget(kBootstrapAndLoaderBytes, Bytes({0xC5}));
    EXPECT_FALSE(IdentifyTarget(target, profiles::CpuFlashMemory));
    EXPECT_TRUE(report.boxes.last().text.startsWith(QStringLiteral("Communication Error C5 (")));

    port.clearWrites();
    port.setResponder(nullptr);
    EXPECT_FALSE(IdentifyTarget(target, profiles::CpuFlashMemory));
    EXPECT_EQ(port.writes().size(), 1);
    EXPECT_EQ(report.boxes.size(), 2);

    const int waits = pump.waits();
    port.setOpen(false);
    EXPECT_FALSE(IdentifyTarget(target, profiles::CpuFlashMemory));
    EXPECT_EQ(pump.waits(), waits);
    EXPECT_EQ(report.boxes.size(), 2);
    EXPECT_EQ(report.notResponding, 0);
}
