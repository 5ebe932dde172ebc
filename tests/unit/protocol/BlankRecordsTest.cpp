#include "protocol/BlankRecords.h"
#include "protocol/SRecordCodec.h"

#include <gtest/gtest.h>

using namespace zandor;
using namespace zandor::protocol;

namespace {

// The record of type `type` with the given address and data bytes, as the image holds it.
ImageRecord Record(char type, const char* addressHex, const char* dataHex)
{
    const QByteArray fields = QByteArray::fromHex(addressHex) + QByteArray::fromHex(dataHex);
    QByteArray body = char(fields.size() + 1) + fields;
    unsigned sum = 0;
    for (char byte : body)
        sum += std::uint8_t(byte);
    body.append(char(0xFF - sum % 256));
    const QByteArray line = QByteArray("S") + type + body.toHex().toUpper();
    EXPECT_EQ(SRecordLineFault(line), QString()) << line.constData();
    ImageRecord record;
    record.wire = *LineToBinaryRecord(line);
    record.type = type;
    return record;
}

}  // namespace

TEST(BlankRecords, OnlyDataRecordsOfErasedBytesAreBlank)
{
    struct Case {
        char type;
        const char* address;
        const char* data;
        bool blank;
    };
    for (const Case& c : {Case{'1', "F600", "FFFFFFFF", true}, {'2', "010000", "FF", true},
                          {'3', "00010000", "FFFFFFFFFFFFFFFF", true}, {'1', "FFFF", "FFFFFF7F", false},
                          {'3', "FFFFFFFF", "FEFFFFFF", false}, {'2', "FFFFFF", "00", false},
                          {'1', "FFFF", "", false},                           // an address and no data
                          {'0', "0000", "FFFF", false}, {'5', "FFFF", "", false},  // header and count go out
                          {'9', "FFFF", "", false}, {'7', "FFFFFFFF", "", false}, {'8', "FFFFFF", "", false}}) {
        EXPECT_EQ(IsBlankDataRecord(Record(c.type, c.address, c.data)), c.blank)
            << "S" << c.type << " " << c.address << " " << c.data;
    }
}

TEST(BlankRecords, OnlyMemoriesErasedBeforeProgrammingSkipBlankRecords)
{
    for (int kind : {int(profiles::CpuFlashMemory), int(profiles::ExternalFlashMemory)})
        EXPECT_TRUE(MemoryTakesBlankSkipping(kind)) << kind;
    QString why;
    EXPECT_FALSE(MemoryTakesBlankSkipping(profiles::DataFlashMemory, &why));
    EXPECT_TRUE(why.contains(QLatin1String("AT45D0x1")) && why.contains(QLatin1String("page"))) << why.toStdString();
    EXPECT_FALSE(MemoryTakesBlankSkipping(profiles::DS1994Memory));
}
