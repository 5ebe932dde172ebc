#include "ProtocolFixture.h"
#include "protocol/ReplyCodes.h"
#include "protocol/SRecordCodec.h"

using namespace zandor::protocol;
using zandor::testing::Bytes;

TEST(HexToLong, ConvertsEitherCaseAndRefusesWhatIsNotANumber)
{
    EXPECT_EQ(HexToLong(QByteArrayView("ff")), 255);
    EXPECT_EQ(HexToLong(QByteArrayView("FF")), 255);
    EXPECT_EQ(HexToLong(QByteArrayView("")), 0);
    EXPECT_EQ(HexToLong(QString()), 0);
    EXPECT_EQ(HexToLong(QByteArrayView("7FFFFFFF")), 2147483647);
    EXPECT_EQ(HexToLong(QByteArrayView("00000000007fffffff")), 2147483647);

    QString fault;
    EXPECT_FALSE(HexToLong(QByteArrayView("80000000"), &fault));
    EXPECT_TRUE(fault.contains(QLatin1String("80000000"))) << fault.toStdString();
    EXPECT_FALSE(HexToLong(QByteArrayView("FFFFFFFFFF")));
    // "G" would silently count as digit 16; it is refused instead.
    fault.clear();
    EXPECT_FALSE(HexToLong(QByteArrayView("1G"), &fault));
    EXPECT_TRUE(fault.contains(QLatin1String("\"1G\""))) << fault.toStdString();
    EXPECT_FALSE(HexToLong(QByteArrayView(" 1")));
    EXPECT_FALSE(HexToLong(QByteArrayView("-1")));
    EXPECT_FALSE(HexToLong(QStringLiteral("1\u00e9")));
}

TEST(SRecordChecksum, TwoUpperCaseDigitsWithLeadingZero)
{
    EXPECT_EQ(SRecordChecksum(QByteArrayView("03000C")), QStringLiteral("F0"));
    EXPECT_EQ(SRecordChecksum(QByteArrayView("FF")), QStringLiteral("00"));
    EXPECT_EQ(SRecordChecksum(QByteArrayView("F0")), QStringLiteral("0F"));
    EXPECT_EQ(SRecordChecksum(QByteArrayView("0600004844520a")), SRecordChecksum(QByteArrayView("0600004844520A")));
    EXPECT_EQ(SRecordChecksum(QByteArrayView("F")), QStringLiteral("F0"));  // odd text: last slice one digit
    EXPECT_FALSE(SRecordChecksum(QByteArrayView("0G")));
}

TEST(GetFileType, OnlyACompleteFirstRecordWithARightChecksumMakesAnSRecordFile)
{
    EXPECT_EQ(GetFileType(QByteArray("S00600004844521B\r\nS9030000FC\r\n")), kSRecordFileType);
    EXPECT_EQ(GetFileType(QByteArray("S00600004844521b\n")), kSRecordFileType);  // lower-case checksum
    EXPECT_EQ(GetFileType(QByteArray("S00600004844521C\r\n")), kBinaryFileType);  // wrong checksum
    EXPECT_EQ(GetFileType(QByteArray("\r\nS00600004844521B\r\n")), kBinaryFileType);
    EXPECT_EQ(GetFileType(QByteArray("\xEF\xBB\xBFS00600004844521B")), kBinaryFileType);
    EXPECT_EQ(GetFileType(QByteArray("  S00600004844521B")), kBinaryFileType);
    EXPECT_EQ(GetFileType(QByteArray()), kBinaryFileType);
    EXPECT_EQ(GetFileType(QByteArray("S")), kBinaryFileType);
    EXPECT_EQ(GetFileType(QByteArray("S0")), kBinaryFileType);
    EXPECT_EQ(GetFileType(QByteArray("S006000048")), kBinaryFileType);  // ends inside the record
    EXPECT_EQ(GetFileType(QByteArray("SX0600004844521B")), kBinaryFileType);
    EXPECT_EQ(GetFileType(QByteArray("S0G600004844521B")), kBinaryFileType);
    EXPECT_EQ(GetFileType(Bytes({'S', '1', 0, 0, 0xFF})), kBinaryFileType);
}

TEST(SplitLines, EveryLineEndKindEndsALineAndItsBytesAreCounted)
{
    const QList<TextLine> lines = SplitLines(QByteArray("a\r\nbb\ncc\r\rd"));
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[0].text, QByteArray("a"));
    EXPECT_EQ(lines[0].fileBytes, 3);
    EXPECT_EQ(lines[1].text, QByteArray("bb"));
    EXPECT_EQ(lines[1].fileBytes, 3);
    EXPECT_EQ(lines[2].text, QByteArray("cc"));
    EXPECT_EQ(lines[2].fileBytes, 3);
    EXPECT_EQ(lines[3].text, QByteArray());  // the lone CR after "cc\r" is an empty line
    EXPECT_EQ(lines[3].number, 4);
    EXPECT_EQ(lines[4].text, QByteArray("d"));
    EXPECT_EQ(lines[4].fileBytes, 1);
    qint64 total = 0;
    for (const TextLine& line : lines)
        total += line.fileBytes;
    EXPECT_EQ(total, 11);
    EXPECT_TRUE(SplitLines(QByteArray()).isEmpty());
    EXPECT_TRUE(IsBlankLine(" \t"));
    EXPECT_FALSE(IsBlankLine(" S"));
}

TEST(DecodeLoaderLine, TakesS1AndS2DataAndSkipsOtherTypes)
{
    LoaderLineData s1 = DecodeLoaderLine("S107F600AABBCC00");
    EXPECT_TRUE(s1.fault.isEmpty());
    EXPECT_TRUE(s1.hasData);
    EXPECT_EQ(s1.address, 0xF600u);
    EXPECT_EQ(s1.data, Bytes({0xAA, 0xBB, 0xCC, 0x00}));

    LoaderLineData s2 = DecodeLoaderLine("S2060000E0123400");  // checksum not checked
    EXPECT_TRUE(s2.hasData);
    EXPECT_EQ(s2.address, 0xE0u);
    EXPECT_EQ(s2.data, Bytes({0x12, 0x34}));

    LoaderLineData empty = DecodeLoaderLine("S1030000FC");
    EXPECT_TRUE(empty.fault.isEmpty());
    EXPECT_TRUE(empty.data.isEmpty());

    for (const char* skipped : {"S30800000000AABBCC00", "S00600004844521B", "S9030000FC", "S5030001FB"}) {
        LoaderLineData line = DecodeLoaderLine(skipped);
        EXPECT_TRUE(line.fault.isEmpty()) << skipped;
        EXPECT_FALSE(line.hasData) << skipped;
    }

    EXPECT_FALSE(DecodeLoaderLine("X107F600AABBCC00").fault.isEmpty());
    EXPECT_FALSE(DecodeLoaderLine("").fault.isEmpty());
    EXPECT_FALSE(DecodeLoaderLine("S107F600AAGBCC00").fault.isEmpty());
    // A truncated line would load zero bytes into the loader: refused.
    EXPECT_FALSE(DecodeLoaderLine("S107F600AABB").fault.isEmpty());
    EXPECT_FALSE(DecodeLoaderLine("S1").fault.isEmpty());
}

TEST(LineToBinaryRecord, PassesTheLineThroughAsBytesWithItsOwnChecksum)
{
    EXPECT_EQ(LineToBinaryRecord("S1050000AABBFF"), QByteArray("S1") + Bytes({0x05, 0x00, 0x00, 0xAA, 0xBB, 0xFF}));
    EXPECT_EQ(LineToBinaryRecord("S9030000fc"), QByteArray("S9") + Bytes({0x03, 0x00, 0x00, 0xFC}));
    EXPECT_EQ(LineToBinaryRecord("S1ABC"), QByteArray("S1") + Bytes({0xAB, 0x0C}));  // odd length
    QString fault;
    EXPECT_FALSE(LineToBinaryRecord("1050000AABBFF", &fault));
    EXPECT_TRUE(fault.contains(QLatin1String("\"S\"")));
    EXPECT_FALSE(LineToBinaryRecord("S"));
    EXPECT_FALSE(LineToBinaryRecord("S1050000AXBBFF"));
}

TEST(SRecordLineFault, FindsEachKindOfDamage)
{
    EXPECT_TRUE(SRecordLineFault("S00600004844521B").isEmpty());
    EXPECT_TRUE(SRecordLineFault("S00600004844521b").isEmpty());
    EXPECT_TRUE(SRecordLineFault("S1030000FC").isEmpty());
    EXPECT_TRUE(SRecordLineFault("S00600004844521C").contains(QLatin1String("checksum 1C")));
    EXPECT_TRUE(SRecordLineFault("T00600004844521B").contains(QLatin1String("\"S\"")));
    EXPECT_TRUE(SRecordLineFault("S0060000484452").contains(QLatin1String("count")));
    EXPECT_TRUE(SRecordLineFault("S0060000484452 B").contains(QLatin1String("not a hexadecimal")));
    EXPECT_TRUE(SRecordLineFault("S00600004844521").contains(QLatin1String("odd")));
    EXPECT_FALSE(SRecordLineFault("S0").isEmpty());
    EXPECT_FALSE(SRecordLineFault("S000").isEmpty());
}

TEST(ChunkToBinaryRecord, CutsA100ByteFileIntoTwoS3Records)
{
    const QByteArray file(100, '\x5A');
    const QByteArray first = ChunkToBinaryRecord(file.left(64), 0x8000);
    const QByteArray second = ChunkToBinaryRecord(file.mid(64), 0x8040);
    EXPECT_EQ(first.left(7), QByteArray("S3") + Bytes({0x45, 0x00, 0x00, 0x80, 0x00}));
    EXPECT_EQ(first.size(), 7 + 64);
    EXPECT_EQ(second.left(7), QByteArray("S3") + Bytes({0x29, 0x00, 0x00, 0x80, 0x40}));
    EXPECT_EQ(second.mid(7), file.mid(64));
    EXPECT_EQ(ChunkToBinaryRecord(QByteArray(1, 'x'), 0x12345678u).left(7),
              QByteArray("S3") + Bytes({0x06, 0x12, 0x34, 0x56, 0x78}));
}

TEST(ProgressPercentText, RoundsHalvesToEven)
{
    EXPECT_EQ(ProgressPercentText(64, 130), QStringLiteral("49%"));
    EXPECT_EQ(ProgressPercentText(128, 130), QStringLiteral("98%"));
    EXPECT_EQ(ProgressPercentText(130, 130), QStringLiteral("100%"));
    EXPECT_EQ(ProgressPercentText(1, 200), QStringLiteral("0%"));    // 0.5 -> 0
    EXPECT_EQ(ProgressPercentText(3, 200), QStringLiteral("2%"));    // 1.5 -> 2
    EXPECT_EQ(ProgressPercentText(5, 200), QStringLiteral("2%"));    // 2.5 -> 2
    EXPECT_EQ(ProgressPercentText(0, 0), QStringLiteral("100%"));
}
