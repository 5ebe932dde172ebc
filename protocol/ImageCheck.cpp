#include "ImageCheck.h"

#include "FailureText.h"
#include "ReplyCodes.h"

#include <utility>

namespace zandor::protocol {

namespace {
// The acknowledgement the loader answers each record with.
constexpr int kAcknowledgeBytes = 1;
constexpr std::uint32_t kFlashWordBytes = 2;

const std::pair<int, const char*> kFileTypeNames[] = {
    {kSRecordFileType, "S-record"},
    {kBinaryFileType, "binary"},
    {kIntelHexFileType, "Intel HEX"},
};
}  // namespace

QString FileTypeName(int fileType)
{
    for (const auto& [code, name] : kFileTypeNames) {
        if (code == fileType)
            return QString::fromLatin1(name);
    }
    return QString();
}

double EstimatedDownloadSeconds(const ApplicationImage& image, int baud)
{
    if (baud <= 0)
        return 0;
    qint64 bytes = 0;
    for (const ImageRecord& record : image.records)
        bytes += record.wire.size() + kAcknowledgeBytes;
    return double(bytes) * kBitsPerWireByte / baud;
}

QStringList WordAlignmentWarnings(const QList<AddressRange>& ranges)
{
    QStringList warnings;
    for (const AddressRange& range : ranges) {
        const std::uint64_t bytes = std::uint64_t(range.last) - range.first + 1;
        QStringList faults;
        if (range.first % kFlashWordBytes != 0)
            faults << QStringLiteral("starts at an odd address");
        if (bytes % kFlashWordBytes != 0)
            faults << QStringLiteral("holds an odd number of bytes (%1)").arg(bytes);
        if (faults.isEmpty())
            continue;
        warnings << QStringLiteral("%1-%2 %3: the flash is programmed in 16-bit words")
                        .arg(AddressText(range.first), AddressText(range.last), faults.join(QStringLiteral(" and ")));
    }
    return warnings;
}

}  // namespace zandor::protocol
