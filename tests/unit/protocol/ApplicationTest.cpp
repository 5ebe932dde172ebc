#include "ProtocolFixture.h"

using namespace zandor::protocol;
namespace profiles = zandor::profiles;
using zandor::testing::Bytes;
using zandor::testing::FakeSerialPort;
using zandor::testing::ProtocolTest;
using zandor::testing::SLine;

class ApplicationTest : public ProtocolTest {
protected:
    static QList<QByteArray> records()
    {
        return {SLine('0', "0000", "APP"), SLine('1', "1000", Bytes({1, 2, 3, 4})),
                SLine('2', "012000", Bytes({5, 6})), SLine('9', "0000", "")};
    }
    QByteArray file(const QByteArray& endOfLine) const { return records().join(endOfLine) + endOfLine; }
};

TEST_F(ApplicationTest, SRecordLinesGoOutAsRecordsWhateverTheLineEnds)
{
    acknowledgeEveryWrite();
    for (const QByteArray& eol : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        writeFile("Appl.sre", file(eol));
        port.clearWrites();
        report.percentHistory.clear();
        profile.C167ApplFileOffset = "not used for S-records";
        EXPECT_TRUE(CheckApplicationFile(target, profiles::CpuFlashMemory));
        EXPECT_TRUE(port.writes().isEmpty());
        EXPECT_TRUE(SendApplication(target, profiles::CpuFlashMemory));
        QList<QByteArray> expected;
        for (const QByteArray& line : records())
            expected.append(*LineToBinaryRecord(line));
        EXPECT_EQ(port.writes(), expected);
        EXPECT_EQ(report.percentHistory.size(), 4);
        EXPECT_EQ(report.percent, QStringLiteral("100%"));
        EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Sending Appl.sre, Done"));
    }
    EXPECT_TRUE(report.boxes.isEmpty());

    // Blank lines, mixed ends and no end on the last line: still 100%.
    writeFile("Mixed.sre", SLine('0', "0000", "") + "\r\n\r\n" + SLine('1', "0000", "A") + "\n  \r"
                               + SLine('9', "0000", "") + "\r\n\n");
    profile.AMD29F0x0ApplFile = "Mixed.sre";
    port.clearWrites();
    EXPECT_TRUE(CheckApplicationFile(target, profiles::ExternalFlashMemory));
    EXPECT_TRUE(SendApplication(target, profiles::ExternalFlashMemory));
    EXPECT_EQ(port.writes().size(), 3);
    EXPECT_EQ(report.percent, QStringLiteral("100%"));
    EXPECT_EQ(report.statusText(), QStringLiteral("AMD29F0x0: Sending Mixed.sre, Done"));
}

TEST_F(ApplicationTest, BinaryFileGoesOutIn64ByteS3RecordsFromTheOffset)
{
    QByteArray image;
    for (int i = 0; i < 130; ++i)
        image.append(static_cast<char>(i));
    writeFile("Appl.bin", image);
    profile.AT45D0x1ApplFile = "Appl.bin";
    profile.AT45D0x1ApplFileOffset = "00010000";
    acknowledgeEveryWrite();

    EXPECT_TRUE(CheckApplicationFile(target, profiles::DataFlashMemory));
    EXPECT_TRUE(SendApplication(target, profiles::DataFlashMemory));
    ASSERT_EQ(port.writes().size(), 3);
    EXPECT_EQ(port.writes()[0].left(7), QByteArray("S3") + Bytes({0x45, 0x00, 0x01, 0x00, 0x00}));
    EXPECT_EQ(port.writes()[0].mid(7, 64), image.left(64));
    EXPECT_EQ(port.writes()[0].size(), 72);
    EXPECT_EQ(port.writes()[1].left(7), QByteArray("S3") + Bytes({0x45, 0x00, 0x01, 0x00, 0x40}));
    EXPECT_EQ(port.writes()[2], QByteArray("S3") + Bytes({0x07, 0x00, 0x01, 0x00, 0x80, 128, 129, 0x76}));  // 255 - (393 mod 256)
    EXPECT_EQ(report.percentHistory, QStringList({"49%", "98%", "100%"}));
    EXPECT_EQ(report.statusText(), QStringLiteral("AT45D0x1: Sending Appl.bin, Done"));

    // An empty file is a binary file with nothing to send.
    writeFile("Empty.bin", QByteArray());
    profile.DS1994ApplFile = "Empty.bin";
    port.clearWrites();
    EXPECT_TRUE(SendApplication(target, profiles::DS1994Memory));
    EXPECT_TRUE(port.writes().isEmpty());
    EXPECT_EQ(report.statusText(), QStringLiteral("DS1994: Sending Empty.bin, Done"));
}

TEST_F(ApplicationTest, ARefusedRecordStopsTheDownload)
{
    writeFile("Appl.bin", QByteArray(200, '\x11'));
    profile.C167ApplFile = "Appl.bin";
    port.setResponder([](const QByteArray&, FakeSerialPort& p) { p.queueReceived(p.writes().size() == 3 ? "#" : "*"); });
    EXPECT_FALSE(SendApplication(target, profiles::CpuFlashMemory));  // empty offset: address 0
    EXPECT_EQ(port.writes().size(), 3);
    EXPECT_EQ(port.writes()[0].mid(3, 4), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(report.percent, QStringLiteral("96%"));
    EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Sending Appl.bin, Error"));
    EXPECT_EQ(report.events, QStringList({"Chip Program Failure : (23 #)", "<not responding>"}));
}

TEST_F(ApplicationTest, DamagedFilesAreCaughtBeforeAnythingIsSent)
{
    const QByteArray good = SLine('1', "1000", Bytes({1, 2}));
    QByteArray badChecksum = SLine('1', "1004", Bytes({3}));
    badChecksum[badChecksum.size() - 1] = badChecksum.back() == '0' ? '1' : '0';
    struct Case {
        QByteArray content;
        QString where;
    };
    const QList<Case> cases = {
        {good + "\r\n" + good + "\r\n" + badChecksum + "\r\n", "Appl.sre, line 3"},
        {good + "\n" + "\n" + "1030000FC\n", "Appl.sre, line 3"},
        {good + "\n" + good.left(good.size() - 2) + "\n", "Appl.sre, line 2"},
        {good + "\n" + good + "X\n", "Appl.sre, line 2"},
    };
    for (const Case& c : cases) {
        writeFile("Appl.sre", c.content);
        zandor::testing::RecordingReporter fresh;
        Target t(port, fresh, pump, profile);
        EXPECT_FALSE(CheckApplicationFile(t, profiles::CpuFlashMemory));
        ASSERT_EQ(fresh.boxes.size(), 1);
        EXPECT_TRUE(fresh.boxes[0].text.contains(c.where)) << fresh.boxes[0].text.toStdString();
        EXPECT_EQ(fresh.boxes[0].icon, MessageIcon::Exclamation);
    }

    writeFile("Appl.bin", QByteArray(10, '\0'));
    profile.C167ApplFile = "Appl.bin";
    profile.C167ApplFileOffset = "12G4";
    EXPECT_FALSE(CheckApplicationFile(target, profiles::CpuFlashMemory));
    EXPECT_TRUE(report.boxes.last().text.contains(QLatin1String("12G4")));
    profile.C167ApplFileOffset = "8000";
    EXPECT_TRUE(CheckApplicationFile(target, profiles::CpuFlashMemory));
    profile.C167ApplFile = "missing.sre";
    EXPECT_FALSE(CheckApplicationFile(target, profiles::CpuFlashMemory));
    EXPECT_TRUE(report.boxes.last().text.contains(QLatin1String("missing.sre")));
    EXPECT_TRUE(port.writes().isEmpty());
}

TEST_F(ApplicationTest, SendApplicationStopsAtALineItCannotConvert)
{
    writeFile("Appl.sre", SLine('0', "0000", "") + "\n" + SLine('1', "0000", "A") + "\nS1 broken\n");
    acknowledgeEveryWrite();
    EXPECT_FALSE(SendApplication(target, profiles::CpuFlashMemory));
    EXPECT_EQ(port.writes().size(), 2);
    ASSERT_EQ(report.boxes.size(), 1);
    EXPECT_TRUE(report.boxes[0].text.contains(QLatin1String("Appl.sre, line 3")));
    EXPECT_EQ(report.notResponding, 0);
    EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Sending Appl.sre, Error"));

    writeFile("Appl.bin", QByteArray(10, '\0'));
    profile.C167ApplFile = "Appl.bin";
    profile.C167ApplFileOffset = "80000000";
    port.clearWrites();
    EXPECT_FALSE(SendApplication(target, profiles::CpuFlashMemory));
    EXPECT_TRUE(port.writes().isEmpty());
    EXPECT_EQ(report.boxes.size(), 2);
}
