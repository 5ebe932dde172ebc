#include "support/HexLine.h"
#include "protocol/ApplicationImage.h"
#include "protocol/IntelHexCodec.h"
#include "protocol/ReplyCodes.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <numeric>

using namespace zandor::protocol;
using zandor::testing::HexLine;

namespace {

QByteArray Base(int type, std::uint16_t value)
{
    return HexLine(type, 0, QByteArray().append(char(value >> 8)).append(char(value & 0xFF)));
}

const QByteArray kEnd = ":00000001FF";

QByteArray Counting(int size, int from = 0)
{
    QByteArray bytes(size, '\0');
    std::iota(bytes.begin(), bytes.end(), char(from));
    return bytes;
}

std::optional<ApplicationImage> Build(const QByteArray& file, const QString& name, ImageFault* fault)
{
    return BuildApplicationImage(file, name, QStringLiteral("12340000"), fault);
}

QList<QByteArray> WireOf(const ApplicationImage& image)
{
    QList<QByteArray> wire;
    for (const ImageRecord& record : image.records)
        wire << record.wire;
    return wire;
}

// The records a binary file gives for the same bytes at `address`.
QList<QByteArray> BinaryWire(const QByteArray& data, std::uint32_t address)
{
    ImageFault fault;
    return WireOf(*BuildApplicationImage(data, QStringLiteral("same.bin"), QString::number(address, 16), &fault));
}

}  // namespace

TEST(IntelHexTest, BadFilesAreRefusedNamingFileAndLine)
{
    const QByteArray good = HexLine(0, 0x0100, Counting(4));
    const struct {
        QByteArray file;
        int line;
        const char* text;
    } cases[] = {
        {good + "\n:0401000000010203F3\n" + kEnd, 2, "line 2: checksum F3 is wrong, expected F5"},
        {good + "\n:05010000000102039F\n" + kEnd, 2, "line 2: the count field says 5 data bytes, the record holds 4"},
        {good + "\n:0401000000010G03F2\n" + kEnd, 2, "line 2: \"0G\" is not a hexadecimal number"},
        {good + "\n:040100000001020\n" + kEnd, 2, "line 2: the record has an odd number of hexadecimal digits"},
        {good + "\n:000000\n" + kEnd, 2, "line 2: the record is too short"},
        {good + "\n" + HexLine(6, 0, {}) + "\n" + kEnd, 2, "line 2: record type 06 is not an Intel HEX record type"},
        {good + "\n" + HexLine(4, 0, Counting(3)) + "\n" + kEnd, 2, "line 2: a type 04 record carries 2 data bytes"},
        {good + "\nS1030000FC\n" + kEnd, 2, "line 2: the line does not begin with \":\""},
        {good + "\r\n" + good + "\r\n", 0, "Error in Appl.hex: it ends after line 2 without an end-of-file record"},
        {Base(4, 0x0001) + "\n" + HexLine(0, 0xFFF0, Counting(32)) + "\n" + kEnd, 2,
         "line 2: its data run past the end of the 64 KiB window at 00010000h"},
        {Base(4, 0xFFFF) + "\n" + HexLine(0, 0xFFFF, Counting(2)) + "\n" + kEnd, 2,
         "line 2: its data run past FFFFFFFFh, the top of the 4 GiB address space"},
        // Overlaps: the later line is the fault, the earlier one is named.
        {good + "\n" + HexLine(0, 0x0102, QByteArray("\x02\x09", 2)) + "\n" + kEnd, 2,
         "line 2: its data overlap line 1's at 00000103h with a different byte (09h, line 1 has 03h)"},
        // A damaged first record is still meant as Intel HEX.
        {":0401000000010203F3\n" + kEnd, 1, "Error in Appl.hex, line 1: checksum F3 is wrong, expected F5."},
        {kEnd + "\n" + good, 0, "Error in Appl.hex: it holds no data to program."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        ImageFault fault;
        EXPECT_FALSE(Build(c.file, QStringLiteral("Appl.hex"), &fault));
        EXPECT_EQ(fault.line, c.line);
        EXPECT_TRUE(fault.text.contains(QLatin1String(c.text))) << fault.text.toStdString();
        EXPECT_TRUE(fault.text.startsWith(QLatin1String("Error in Appl.hex"))) << fault.text.toStdString();
    }
    // Overlapping records that repeat the same bytes are one copy of them.
    ImageFault fault;
    const auto image = Build(good + "\n" + HexLine(0, 0x0102, Counting(3, 2)) + "\n" + good + "\n" + kEnd,
                             QStringLiteral("Appl.hex"), &fault);
    ASSERT_TRUE(image) << fault.text.toStdString();
    EXPECT_EQ(WireOf(*image), BinaryWire(Counting(5), 0x0100));
}

// Records cut at 64-byte address boundaries, touching runs joined, gaps kept.
TEST(IntelHexTest, DataIsCutAt64ByteAddressBoundaries)
{
    const QByteArray file = HexLine(0, 0x0030, Counting(32)) + "\n" + HexLine(0, 0x0050, Counting(80, 32)) + "\n"
        + HexLine(0, 0x0200, Counting(1)) + "\n" + kEnd + "\n";
    ImageFault fault;
    const auto image = Build(file, QStringLiteral("cut.hex"), &fault);
    ASSERT_TRUE(image) << fault.text.toStdString();
    QList<QPair<std::uint32_t, int>> records;
    for (const ImageRecord& record : image->records)
        records << qMakePair(record.address, record.dataBytes);
    const QList<QPair<std::uint32_t, int>> expected = {{0x30, 16}, {0x40, 64}, {0x80, 32}, {0x200, 1}};
    EXPECT_EQ(records, expected);
    EXPECT_EQ(image->records.at(1).wire.mid(7, 64), Counting(64, 16));
}
