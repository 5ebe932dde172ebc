#include "ProtocolFixture.h"
#include "protocol/ReplyCodes.h"

using namespace zandor::protocol;
namespace profiles = zandor::profiles;
using zandor::testing::Bytes;
using zandor::testing::ProtocolTest;
using zandor::testing::SLine;

class LoaderTest : public ProtocolTest {
protected:
    void SetUp() override
    {
        ProtocolTest::SetUp();
        writeFile("PreLoad.bin", preLoader);
    }

    // Header, data at both ends of both images, an overwrite, an S3 line and the end.
    QByteArray goodLoader() const
    {
        return SLine('0', "0000", "LDR") + "\r\n" + SLine('1', "F600", Bytes({0x01, 0x02, 0x03})) + "\r\n"
            + SLine('1', "F9FF", Bytes({0x04})) + "\r\n" + "\r\n"  // a blank line is skipped
            + SLine('2', "00E000", Bytes({0x05, 0x06})) + "\n" + SLine('1', "E7FF", Bytes({0x07})) + "\r"
            + SLine('1', "F601", Bytes({0x22})) + "\r\n"  // later record wins
            + SLine('3', "0000F700", Bytes({0x99, 0x99})) + "\r\n" + "S9030000FC\r\n";
    }

    QByteArray expectedImages() const
    {
        QByteArray part1(1024, '\xFF');
        part1[0] = 0x01;
        part1[1] = 0x22;
        part1[2] = 0x03;
        part1[1023] = 0x04;
        QByteArray part2(2048, '\xFF');
        part2[0] = 0x05;
        part2[1] = 0x06;
        part2[2047] = 0x07;
        return part1 + part2;
    }

    const QByteArray preLoader = QByteArray(32, '\x5A');
};

TEST_F(LoaderTest, FirstLoadSendsPreLoaderThenBothImagesAndWaitsForTheLoader)
{
    writeFile("LoaderC167.sre", goodLoader());
    port.queueReceived("!");  // stale: dropped before anything is sent
    simulateTarget(32 + 3072);

    EXPECT_TRUE(SendLoader(target, profiles::CpuFlashMemory, kFirstLoad));
    EXPECT_EQ(port.allWritten(), preLoader + expectedImages());
    EXPECT_EQ(port.writes().first(), preLoader);
    EXPECT_TRUE(report.boxes.isEmpty());
    EXPECT_EQ(report.notResponding, 0);
    EXPECT_EQ(report.statusHistory,
              QStringList({"Sending PreLoader PreLoad.bin ...", "C167: Sending Loader LoaderC167.sre Part 1 ...",
                           "C167: Sending Loader LoaderC167.sre Part 2 ...",
                           "C167: Sending Loader LoaderC167.sre Part 2 ..., Done"}));
}

TEST_F(LoaderTest, ReloadSendsTheReloadCommandAndPicksTheLoaderByMemoryAndProcessor)
{
    writeFile("Empty.sre", SLine('0', "0000", "") + "\r\nS9030000FC\r\n");
    profile.AMD29F0x0LoaderFile = "Empty.sre";
    simulateTarget(4 + 3072);
    EXPECT_TRUE(SendLoader(target, profiles::ExternalFlashMemory, kReload));
    EXPECT_EQ(port.writes().size(), 1 + 3072);  // one write per image byte
    EXPECT_EQ(port.allWritten(), Bytes({0x53, 0x52, 0x01, 0xFE}) + QByteArray(3072, '\xFF'));
    EXPECT_EQ(report.statusHistory.first(), QStringLiteral("Sending ReLoader ..."));
    EXPECT_EQ(report.statusText(), QStringLiteral("AMD29F0x0: Sending Loader Empty.sre Part 2 ..., Done"));

    // Exactly "ST10F168" selects the C168 loader; any other spelling the C167 one.
    writeFile("LoaderC168.sre", goodLoader());
    writeFile("LoaderC167.sre", goodLoader());
    profile.ProcessorCode = "ST10F168";
    simulateTarget(4 + 3072);
    EXPECT_TRUE(SendLoader(target, profiles::CpuFlashMemory, kReload));
    EXPECT_EQ(report.statusText(), QStringLiteral("C168: Sending Loader LoaderC168.sre Part 2 ..., Done"));
    profile.ProcessorCode = "st10f168";
    simulateTarget(4 + 3072);
    EXPECT_TRUE(SendLoader(target, profiles::CpuFlashMemory, kReload));
    EXPECT_EQ(report.statusText(), QStringLiteral("C167: Sending Loader LoaderC167.sre Part 2 ..., Done"));
    EXPECT_TRUE(report.boxes.isEmpty());
}

TEST_F(LoaderTest, SilenceOrARefusedWriteIsReportedAsNotResponding)
{
    writeFile("LoaderC167.sre", goodLoader());
    EXPECT_FALSE(SendLoader(target, profiles::CpuFlashMemory, kFirstLoad));
    EXPECT_EQ(report.notResponding, 1);
    EXPECT_TRUE(report.boxes.isEmpty());
    EXPECT_EQ(report.statusText(), QStringLiteral("C167: Sending Loader LoaderC167.sre Part 2 ..., Error"));

    port.setOpen(false);
    const int waits = pump.waits();
    EXPECT_FALSE(SendLoader(target, profiles::CpuFlashMemory, kFirstLoad));
    EXPECT_EQ(report.notResponding, 2);
    EXPECT_EQ(pump.waits(), waits);
}

TEST_F(LoaderTest, AddressesOutsideTheImagesStopBeforeAnythingIsSent)
{
    const QByteArray head = SLine('0', "0000", "") + "\r\n";
    struct Case {
        QByteArray line;
        QString text;
    };
    const QList<Case> cases = {
        {SLine('1', "F9FF", Bytes({0x04, 0x05})), "Address FA00 out of range in LoaderC167.sre, line 2"},
        {SLine('1', "E800", Bytes({0x04})), "Address E800 out of range in LoaderC167.sre, line 2"},
        {SLine('2', "01F600", Bytes({0x04})), "Address 1F600 out of range in LoaderC167.sre, line 2"},
    };
    for (const Case& c : cases) {
        writeFile("LoaderC167.sre", head + c.line + "\r\n");
        zandor::testing::RecordingReporter fresh;
        Target t(port, fresh, pump, profile);
        EXPECT_FALSE(SendLoader(t, profiles::CpuFlashMemory, kFirstLoad));
        ASSERT_EQ(fresh.boxes.size(), 1);
        EXPECT_EQ(fresh.boxes[0].text, c.text);
        EXPECT_EQ(fresh.boxes[0].icon, MessageIcon::None);
        EXPECT_EQ(fresh.notResponding, 0);
        EXPECT_TRUE(fresh.statusText().endsWith(QLatin1String(", Error")));
    }
    EXPECT_TRUE(port.writes().isEmpty());
}

TEST_F(LoaderTest, BadOrMissingFilesGiveOneBoxNamingFileAndLine)
{
    writeFile("LoaderC167.sre", SLine('0', "0000", "") + "\n" + "X1030000FC\n");
    EXPECT_FALSE(SendLoader(target, profiles::CpuFlashMemory, kFirstLoad));
    ASSERT_EQ(report.boxes.size(), 1);
    EXPECT_TRUE(report.boxes[0].text.contains(QLatin1String("LoaderC167.sre, line 2")));
    EXPECT_EQ(report.boxes[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(report.statusText(), QStringLiteral("C167: Sending Loader LoaderC167.sre, Error"));

    writeFile("LoaderC167.sre", SLine('1', "F600", "") + "\nS107F60011G233FF\n");
    EXPECT_FALSE(SendLoader(target, profiles::CpuFlashMemory, kFirstLoad));
    EXPECT_TRUE(report.boxes.last().text.contains(QLatin1String("line 2")));

    QFile::remove(dir.filePath("PreLoad.bin"));
    EXPECT_FALSE(SendLoader(target, profiles::CpuFlashMemory, kFirstLoad));
    EXPECT_TRUE(report.boxes.last().text.contains(QLatin1String("PreLoad.bin")));
    EXPECT_EQ(report.statusText(), QStringLiteral("Sending PreLoader PreLoad.bin ..., Error"));

    profile.AT45D0x1LoaderFile = "nowhere.sre";
    EXPECT_FALSE(SendLoader(target, profiles::DataFlashMemory, kReload));
    EXPECT_TRUE(report.boxes.last().text.contains(QLatin1String("nowhere.sre")));

    EXPECT_FALSE(SendLoader(target, 9, kReload));
    EXPECT_EQ(report.boxes.size(), 5);
    EXPECT_EQ(report.notResponding, 0);
    EXPECT_TRUE(port.writes().isEmpty());
}
