#include "ProtocolFixture.h"

TEST(Codec, HexToLongConvertsEitherCaseAndRefusesWhatIsNotANumber)
{
    for (auto [text, value] : {std::pair{"ff", 255}, {"FF", 255}, {"", 0}, {"7FFFFFFF", 0x7FFFFFFF},
                               {"00000000007fffffff", 0x7FFFFFFF}})
        EXPECT_EQ(HexToLong(QByteArrayView(text)), value) << text;
    for (const char* bad : {"80000000", "FFFFFFFFFF", "1G", " 1", "-1"})  // "G" is no digit 16
        EXPECT_FALSE(HexToLong(QByteArrayView(bad))) << bad;
    EXPECT_EQ(HexToLong(QString()), 0);
    EXPECT_FALSE(HexToLong(QStringLiteral("1\u00e9")));
}

TEST(Codec, SRecordChecksumIsTwoUpperCaseDigitsAndEitherCaseIsRight)
{
    for (auto [fields, sum] : {std::pair{"03000C", "F0"}, {"FF", "00"}, {"F0", "0F"}, {"F", "F0"},
                               {"0600004844520a", "11"}, {"0600004844520A", "11"}})
        EXPECT_EQ(SRecordChecksum(QByteArrayView(fields)), QString::fromLatin1(sum)) << fields;
    EXPECT_FALSE(SRecordChecksum(QByteArrayView("0G")));

    EXPECT_TRUE(SRecordLineFault("S00600004844521b").isEmpty());
    EXPECT_TRUE(SRecordLineFault("S00600004844521C").contains(QLatin1String("checksum 1C")));
}

TEST(Codec, OnlyACompleteFirstRecordWithARightChecksumMakesAnSRecordFile)
{
    for (const char* sre : {"S00600004844521B\r\nS9030000FC\r\n", "S00600004844521b\n"})
        EXPECT_EQ(GetFileType(QByteArray(sre)), kSRecordFileType) << sre;
    for (const QByteArray& bin :
         QList<QByteArray>{"S00600004844521C\r\n", "\r\nS00600004844521B\r\n", "\xEF\xBB\xBFS00600004844521B",
                           "  S00600004844521B", "", "S", "S0", "S006000048", "SX0600004844521B", "S0G600004844521B",
                           QByteArray("S1\0\0\xFF", 5)})
        EXPECT_EQ(GetFileType(bin), kBinaryFileType) << bin.constData();
}

TEST(Codec, DecodeLoaderLineTakesS1AndS2DataAndSkipsOtherTypes)
{
    const LoaderLineData s2 = DecodeLoaderLine("S2060000E0123400");  // checksum not checked
    EXPECT_TRUE(s2.hasData && s2.address == 0xE0u && s2.data == Bytes({0x12, 0x34}));
    const LoaderLineData empty = DecodeLoaderLine("S1030000FC");
    EXPECT_TRUE(empty.fault.isEmpty() && empty.data.isEmpty());
    for (const char* skipped : {"S30800000000AABBCC00", "S00600004844521B", "S9030000FC", "S5030001FB"}) {
        const LoaderLineData line = DecodeLoaderLine(skipped);
        EXPECT_TRUE(line.fault.isEmpty() && !line.hasData) << skipped;
    }
    for (const char* bad : {"X107F600AABBCC00", "", "S107F600AAGBCC00", "S107F600AABB", "S1"})
        EXPECT_FALSE(DecodeLoaderLine(bad).fault.isEmpty()) << bad;
}

TEST(Codec, ProgressPercentRoundsHalvesToEven)
{
    for (auto [sent, total, text] : {std::tuple{1, 200, "0%"}, {3, 200, "2%"}, {5, 200, "2%"}, {0, 0, "100%"}})
        EXPECT_EQ(ProgressPercentText(sent, total), QString::fromLatin1(text)) << sent << "/" << total;
}
