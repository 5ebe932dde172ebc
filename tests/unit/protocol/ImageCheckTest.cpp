// What check adds to an image's summary: the download estimate and the word warnings.

#include "protocol/ImageCheck.h"
#include "protocol/ImageDigest.h"
#include "protocol/ReplyCodes.h"

#include <gtest/gtest.h>

using namespace zandor::protocol;

TEST(ImageCheckTest, TheEstimateCountsEveryRecordAndItsAcknowledgementAtTenBitsAByte)
{
    ApplicationImage image;
    image.records = {DataChunkRecord(QByteArray(64, '\x11'), 0x10000), DataChunkRecord(QByteArray(8, '\x22'), 0x10040)};
    // An S3 record on the line: "S3", count, 4 address bytes, data, checksum.
    const qint64 lineBytes = (2 + 1 + 4 + 64 + 1) + (2 + 1 + 4 + 8 + 1) + 2;  // and two acknowledgements
    ASSERT_EQ(image.records[0].wire.size() + image.records[1].wire.size() + 2, lineBytes);
    EXPECT_DOUBLE_EQ(EstimatedDownloadSeconds(image, 9600), lineBytes * 10 / 9600.0);
    EXPECT_DOUBLE_EQ(EstimatedDownloadSeconds(image, 0), 0);
}

TEST(ImageCheckTest, RangesThatLeaveAWordHalfGivenAreWarnedOf)
{
    const struct {
        std::uint32_t first, last;
        const char* warning;
    } cases[] = {
        {0x10000, 0x1003F, ""},
        {0x10001, 0x10040, "00010001-00010040 starts at an odd address: the flash is programmed in 16-bit words"},
        {0x10000, 0x10000, "00010000-00010000 holds an odd number of bytes (1): the flash is programmed in 16-bit words"},
        {0x10001, 0x10001, "00010001-00010001 starts at an odd address and holds an odd number of bytes (1): the "
                           "flash is programmed in 16-bit words"},
    };
    for (const auto& c : cases) {
        const QStringList warnings = WordAlignmentWarnings({{c.first, c.last}});
        EXPECT_EQ(warnings.join('|'), QString::fromUtf8(c.warning));
    }
}
