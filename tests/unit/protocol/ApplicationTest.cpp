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
    for (const QByteArray& file : {lines.join("\r\n") + "\r\n", lines.join("\r") + "\r\n\r\n",
                                   lines[0] + "\r\n\r\n" + lines[1] + "\n  \r" + lines[2] + "\r\n\n" + lines[3]}) {
        writeFile("Appl.sre", file);
        port.clearWrites();
        EXPECT_EQ(program(profiles::CpuFlashMemory), Outcome::Done);
        EXPECT_EQ(port.writes(), expected);
        EXPECT_EQ(report.percentHistory.last(), QStringLiteral("100%"));
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
    EXPECT_EQ(program(profiles::DataFlashMemory), Outcome::Done);
    ASSERT_EQ(port.writes().size(), 3);
    EXPECT_EQ(port.writes()[0].chopped(1), "S3" + Bytes({0x45, 0, 1, 0, 0}) + image.left(64));
    EXPECT_EQ(port.writes()[2], "S3" + Bytes({0x07, 0, 1, 0, 0x80, 128, 129, 0x76}));
    EXPECT_EQ(report.percentHistory, QStringList({"49%", "98%", "100%"}));
    EXPECT_EQ(report.statusText(), QStringLiteral("AT45D0x1: Sending Appl.bin, Done"));
}

TEST_F(ApplicationTest, ARefusedRecordOrAStopEndsTheDownloadWhereTheTargetStands)
{
    writeFile("Appl.bin", QByteArray(200, '\x11'));
    profile.C167ApplFile = "Appl.bin";
    port.setResponder([](auto&, FakeSerialPort& p) { p.queueReceived(p.writes().size() == 3 ? "#" : "*"); });
    EXPECT_EQ(program(profiles::CpuFlashMemory), Outcome::Refused);  // empty offset: address 0
    ASSERT_EQ(port.writes().size(), 3);
    EXPECT_EQ(port.writes()[0].mid(3, 4), Bytes({0, 0, 0, 0}));
    EXPECT_EQ(report.percentHistory.last(), QStringLiteral("96%"));
    EXPECT_EQ(report.statusText(), QStringLiteral("CPU: Sending Appl.bin, Error"));
    EXPECT_EQ(report.events, QStringList({"Chip Program Failure : (23 #)", "<not responding>"}));
    EXPECT_EQ(view.ends.last().record, 3);
    EXPECT_EQ(view.ends.last().address, 0x80u);
    EXPECT_EQ(view.ends.last().acknowledgedRecords, 2);

    // A stop asked for during record 2's wait ends the download once record 2 is answered.
    acknowledgeEveryWrite();
    port.clearWrites();
    target.stopRequested = [this] { return port.writes().size() >= 2; };
    EXPECT_EQ(program(profiles::CpuFlashMemory), Outcome::Interrupted);
    EXPECT_EQ(port.writes().size(), 2);
    EXPECT_EQ(view.ends.last().acknowledgedRecords, 2);
    EXPECT_EQ(view.ends.last().lastAcknowledgedAddress, 0x40u);
    EXPECT_EQ(report.notResponding, 1);
}

TEST(ApplicationImage, SummaryCountsRecordTypesAndMergesTheRangesTheDataCovers)
{
    const QByteArray file = SLine('0', "0000", "HDR") + "\n" + SLine('2', "010000", QByteArray(4, 'a')) + "\n"
        + SLine('2', "010004", QByteArray(2, 'b')) + "\n" + SLine('1', "8000", "c") + "\n"
        + SLine('2', "010002", "d") + "\n" + SLine('8', "000000", "") + "\n";
    const auto image = BuildApplicationImage(file, "x.sre", QString(), nullptr);
    ASSERT_TRUE(image);
    const ImageSummary summary = SummarizeImage(*image);
    EXPECT_EQ(summary.dataBytes, 8);
    ASSERT_EQ(summary.ranges.size(), 2);
    EXPECT_TRUE(summary.ranges[0].first == 0x8000u && summary.ranges[0].last == 0x8000u);
    EXPECT_TRUE(summary.ranges[1].first == 0x10000u && summary.ranges[1].last == 0x10005u);
    EXPECT_EQ(summary.recordsByType,
              (QList<QPair<char, int>>{{'0', 1}, {'1', 1}, {'2', 3}, {'8', 1}}));
}
