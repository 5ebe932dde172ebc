#include "ProtocolFixture.h"

#include <numeric>

using ApplicationTest = ProtocolTest;

TEST_F(ApplicationTest, SRecordLinesGoOutAsRecordsWhateverTheLineEnds)
{
    const QList<QByteArray> lines = {SLine('0', "0000", "APP"), SLine('1', "1000", Bytes({1, 2, 3, 4})),
                                     SLine('2', "012000", Bytes({5, 6})), SLine('9', "0000", "")};
    const QList<QByteArray> expected = {"S0" + Bytes({6, 0, 0, 'A', 'P', 'P', 0x18}),
                                        "S1" + Bytes({7, 0x10, 0, 1, 2, 3, 4, 0xDE}),
                                        "S2" + Bytes({6, 1, 0x20, 0, 5, 6, 0xCD}), "S9" + Bytes({3, 0, 0, 0xFC})};
    acknowledgeEveryWrite();
    profile.C167ApplFileOffset = "not used for S-records";
    // Blank lines, mixed ends and no end on the last line included.
    for (const QByteArray& file : {lines.join("\r\n") + "\r\n", lines.join("\n") + "\n", lines.join("\r") + "\r",
                                   lines[0] + "\r\n\r\n" + lines[1] + "\n  \r" + lines[2] + "\r\n\n" + lines[3]}) {
        writeFile("Appl.sre", file);
        port.clearWrites();
        EXPECT_TRUE(CheckApplicationFile(target, profiles::CpuFlashMemory));
        EXPECT_TRUE(SendApplication(target, profiles::CpuFlashMemory));
        EXPECT_EQ(port.writes(), expected);
        EXPECT_EQ(report.percent, QStringLiteral("100%"));
        EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Sending Appl.sre, Done"));
    }
    EXPECT_TRUE(report.events.isEmpty());
}

TEST_F(ApplicationTest, BinaryFileGoesOutIn64ByteS3RecordsFromTheOffset)
{
    QByteArray image(130, '\0');
    std::iota(image.begin(), image.end(), 0);
    writeFile("Appl.bin", image);
    profile.AT45D0x1ApplFile = "Appl.bin";
    profile.AT45D0x1ApplFileOffset = "00010000";
    acknowledgeEveryWrite();
    EXPECT_TRUE(CheckApplicationFile(target, profiles::DataFlashMemory));
    EXPECT_TRUE(SendApplication(target, profiles::DataFlashMemory));
    ASSERT_EQ(port.writes().size(), 3);
    EXPECT_EQ(port.writes()[0].chopped(1), "S3" + Bytes({0x45, 0, 1, 0, 0}) + image.left(64));
    EXPECT_EQ(port.writes()[2], "S3" + Bytes({0x07, 0, 1, 0, 0x80, 128, 129, 0x76}));
    EXPECT_EQ(report.percentHistory, QStringList({"49%", "98%", "100%"}));
    EXPECT_EQ(report.statusText(), QStringLiteral("AT45D0x1: Sending Appl.bin, Done"));
}

TEST_F(ApplicationTest, ARefusedRecordStopsTheDownload)
{
    writeFile("Appl.bin", QByteArray(200, '\x11'));
    profile.C167ApplFile = "Appl.bin";
    port.setResponder([](auto&, FakeSerialPort& p) { p.queueReceived(p.writes().size() == 3 ? "#" : "*"); });
    EXPECT_FALSE(SendApplication(target, profiles::CpuFlashMemory));  // empty offset: address 0
    ASSERT_EQ(port.writes().size(), 3);
    EXPECT_EQ(port.writes()[0].mid(3, 4), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(report.percent, QStringLiteral("96%"));
    EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Sending Appl.bin, Error"));
    EXPECT_EQ(report.events, QStringList({"Chip Program Failure : (23 #)", "<not responding>"}));
}

TEST_F(ApplicationTest, DamagedFilesAreCaughtBeforeAnythingIsSent)
{
    const QByteArray good = SLine('1', "1000", Bytes({1, 2}));
    QByteArray badChecksum = SLine('1', "1004", Bytes({3}));
    badChecksum.back() = badChecksum.back() == '0' ? '1' : '0';
    for (auto [content, where] : {std::pair{good + "\r\n" + good + "\r\n" + badChecksum + "\r\n", "line 3"},
                                  {good + "\n\n1030000FC\n", "line 3"},  // not an S-record
                                  {good + "\n" + good.chopped(2) + "\n", "line 2"},
                                  {good + "\n" + good + "X\n", "line 2"}}) {
        writeFile("Appl.sre", content);
        report = RecordingReporter();
        EXPECT_FALSE(CheckApplicationFile(target, profiles::CpuFlashMemory));
        ASSERT_EQ(report.boxes.size(), 1);
        EXPECT_TRUE(report.boxes[0].text.contains(QLatin1String("Appl.sre, ") + where)) << where;
        EXPECT_EQ(report.boxes[0].icon, MessageIcon::Exclamation);
    }
    writeFile("Appl.bin", QByteArray(10, '\0'));
    profile.C167ApplFile = "Appl.bin";
    profile.C167ApplFileOffset = "12G4";
    EXPECT_FALSE(CheckApplicationFile(target, profiles::CpuFlashMemory));
    EXPECT_TRUE(report.boxes.last().text.contains(QLatin1String("12G4")));
    EXPECT_TRUE(port.writes().isEmpty());
}

TEST_F(ApplicationTest, SendApplicationStopsAtALineItCannotConvert)
{
    writeFile("Appl.sre", SLine('0', "0000", "") + "\n" + SLine('1', "0000", "A") + "\nS1 broken\n");
    acknowledgeEveryWrite();
    EXPECT_FALSE(SendApplication(target, profiles::CpuFlashMemory));
    EXPECT_EQ(port.writes().size(), 2);
    ASSERT_EQ(report.events.size(), 1);
    EXPECT_TRUE(report.events[0].contains(QLatin1String("Appl.sre, line 3")));
    EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Sending Appl.sre, Error"));
}
