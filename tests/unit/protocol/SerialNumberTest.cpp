#include "ProtocolFixture.h"
#include "protocol/SerialNumberFormat.h"

namespace {

QByteArray S2(std::uint32_t address, const QByteArray& data)
{
    return SLine('2', QByteArray::number(address, 16).rightJustified(6, '0'), data) + "\r\n";
}

const QByteArray kFree(4, '\xFF');

// Code at 10000h-10005h, then the four reserved bytes 10006h-10009h split over two records.
ApplicationImage TwoRecordImage()
{
    const QByteArray file = "S00600004844521B\r\n" + S2(0x10000, QByteArray::fromHex("AABBCCDDEE11") + kFree.left(2)) +
                            S2(0x10008, kFree.left(2) + QByteArray::fromHex("1122")) + "S804000000FB\r\n";
    ImageFault fault;
    const auto image = BuildApplicationImage(file, QStringLiteral("Serial.sre"), QString(), &fault);
    EXPECT_TRUE(image) << fault.text.toStdString();
    return image.value_or(ApplicationImage{});
}

// The record as the S-record text it stands for, so the codec's own full check judges it.
QByteArray AsLine(const ImageRecord& record)
{
    return record.wire.left(2) + record.wire.mid(2).toHex().toUpper();
}

}  // namespace

TEST(SerialNumber, FormatsEncodeAsTheFirmwareReadsThemAndRefuseWhatDoesNotFit)
{
    struct Case {
        const char* format;
        std::uint64_t number;
        const char* hex;  // empty: refused
    };
    for (const Case& c : {Case{"u16le", 0x1234, "3412"}, {"U16BE", 0x1234, "1234"}, {"u16le", 65535, "FFFF"},
                          {"u16le", 65536, ""}, {"u32le", 0x01020304, "04030201"}, {"u32be", 0x01020304, "01020304"},
                          {"u32le", 0x100000000ull, ""}, {"ascii:8", 4711, "3030303034373131"},
                          {"ascii:8", 99999999, "3939393939393939"}, {"ascii:8", 100000000, ""},
                          {"bcd:4", 12345678, "12345678"}, {"bcd:4", 4711, "00004711"}, {"bcd:4", 100000000, ""},
                          {"bcd:10", ~0ull, "18446744073709551615"}}) {
        SCOPED_TRACE(std::string(c.format) + " " + std::to_string(c.number));
        const auto format = ParseSerialNumberFormat(QString::fromLatin1(c.format));
        ASSERT_TRUE(format);
        QString fault;
        const auto bytes = EncodeSerialNumber(c.number, *format, &fault);
        if (*c.hex) {
            ASSERT_TRUE(bytes) << fault.toStdString();
            EXPECT_EQ(bytes->toHex().toUpper(), QByteArray(c.hex));
        } else {
            EXPECT_FALSE(bytes);
            EXPECT_TRUE(fault.contains(QString::number(c.number))) << fault.toStdString();
        }
    }
    for (const char* bad : {"u24le", "ascii", "ascii:0", "ascii:21", "bcd:11", "bcd:x", "u32le:4", ""}) {
        QString fault;
        EXPECT_FALSE(ParseSerialNumberFormat(QString::fromLatin1(bad), &fault)) << bad;
        EXPECT_FALSE(fault.isEmpty()) << bad;
    }
    // Every choice the help offers parses, and the canonical text parses back to the same format.
    for (const QString& choice : SerialNumberFormatChoices().split(QLatin1Char('|'))) {
        const auto format = ParseSerialNumberFormat(QString(choice).replace(QLatin1String(":W"), QLatin1String(":3")));
        ASSERT_TRUE(format) << choice.toStdString();
        EXPECT_EQ(ParseSerialNumberFormat(SerialNumberFormatText(*format)), format);
        EXPECT_TRUE(SerialNumberFormatHelp().contains(choice));
    }
}

TEST(SerialNumber, PlaceholderIsOneByteRepeatedOrTheWholeWidth)
{
    EXPECT_EQ(ParseSerialPlaceholder(QString(), 4), kFree);
    EXPECT_EQ(ParseSerialPlaceholder(QStringLiteral("00"), 3), QByteArray(3, '\0'));
    EXPECT_EQ(ParseSerialPlaceholder(QStringLiteral("a5a5ffff"), 4), QByteArray::fromHex("A5A5FFFF"));
    for (const char* bad : {"F", "FFF", "FFFFFF", "GG", "FF FF"})
        EXPECT_FALSE(ParseSerialPlaceholder(QString::fromLatin1(bad), 4)) << bad;
}

TEST(SerialNumber, NumberIsWrittenAcrossTwoRecordsWhoseChecksumsStayRight)
{
    const ApplicationImage image = TwoRecordImage();
    QString fault;
    const auto patched = WithSerialNumber(image, 0x10006, QByteArray::fromHex("01020304"), kFree, &fault);
    ASSERT_TRUE(patched) << fault.toStdString();
    ASSERT_EQ(patched->records.size(), image.records.size());
    EXPECT_EQ(patched->records[1].wire.mid(6, 8), QByteArray::fromHex("AABBCCDDEE110102"));
    EXPECT_EQ(patched->records[2].wire.mid(6, 4), QByteArray::fromHex("03041122"));
    EXPECT_EQ(patched->records[0].wire, image.records[0].wire);  // the header is left alone
    for (const ImageRecord& record : patched->records)
        EXPECT_EQ(SRecordLineFault(AsLine(record)), QString()) << AsLine(record).constData();
    // The original stays as it was: each board starts from the unnumbered image.
    EXPECT_EQ(image.records[1].wire.mid(12, 2), kFree.left(2));
}

TEST(SerialNumber, BinaryImageChunksArePatchedLikeSRecords)
{
    QByteArray file(200, '\x12');
    file.replace(62, 4, kFree);  // across the first two 64-byte chunks
    ImageFault fault;
    const auto image = BuildApplicationImage(file, QStringLiteral("Appl.bin"), QStringLiteral("20000"), &fault);
    ASSERT_TRUE(image) << fault.text.toStdString();
    const auto patched = WithSerialNumber(*image, 0x2003E, QByteArray::fromHex("0A0B0C0D"), kFree);
    ASSERT_TRUE(patched);
    for (const ImageRecord& record : patched->records)
        EXPECT_EQ(SRecordLineFault(AsLine(record)), QString());
    EXPECT_EQ(patched->records[0].wire.right(3).left(2), QByteArray::fromHex("0A0B"));
    EXPECT_EQ(patched->records[1].wire.mid(7, 2), QByteArray::fromHex("0C0D"));
}
