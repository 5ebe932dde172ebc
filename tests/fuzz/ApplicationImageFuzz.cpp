// Arbitrary bytes as an application file, built with load offsets taken from the input and
// summarized: the records must be what the loader expects on the wire, account for every
// file byte, and the summary's ranges must be sorted, disjoint and inclusive.

#include "FuzzCheck.h"
#include "protocol/ApplicationImage.h"
#include "protocol/ReplyCodes.h"
#include "protocol/SRecordCodec.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstddef>
#include <cstdint>

using zandor::fuzz::Require;
using namespace zandor::protocol;

namespace {

const QString kFileName = QStringLiteral("Fuzz.sre");
constexpr qsizetype kOffsetTextChars = 9;  // one more than a valid offset may have
constexpr std::uint32_t kLargestOffset = 0x7FFFFFFF;
constexpr int kRecordHeadBytes = 3;  // "S", the type, the count
constexpr std::uint64_t kTopAddress = 0xFFFFFFFF;

// The empty offset, the file's first characters as offset text (mostly refused), and its
// last four bytes as a valid offset anywhere in the address range.
QStringList OffsetsFrom(const QByteArray& bytes)
{
    std::uint32_t tail = 0;
    for (qsizetype i = std::max<qsizetype>(0, bytes.size() - 4); i < bytes.size(); ++i)
        tail = (tail << 8) | static_cast<std::uint8_t>(bytes.at(i));
    return {QString(), QString::fromLatin1(bytes.first(std::min(kOffsetTextChars, bytes.size()))),
            QString::number(tail & kLargestOffset, 16)};
}

void CheckSummary(const ApplicationImage& image)
{
    const ImageSummary summary = SummarizeImage(image);
    qint64 records = 0;
    for (const auto& [type, count] : summary.recordsByType)
        records += count;
    Require(records == image.records.size(), "the summary counts every record");
    qint64 dataBytes = 0;
    for (const ImageRecord& record : image.records)
        dataBytes += record.dataBytes;
    Require(summary.dataBytes == dataBytes, "the summary counts every data byte");
    for (qsizetype i = 0; i < summary.ranges.size(); ++i) {
        const AddressRange& range = summary.ranges.at(i);
        Require(range.first <= range.last, "a range is inclusive");
        Require(i == 0 || std::uint64_t(summary.ranges.at(i - 1).last) + 1 < range.first,
                "ranges are sorted, disjoint and not touching");
    }
    for (const ImageRecord& record : image.records) {
        if (record.dataBytes <= 0)
            continue;
        // Data running past the top of the address space ends there.
        const std::uint64_t last = std::min<std::uint64_t>(
            std::uint64_t(record.address) + record.dataBytes - 1, kTopAddress);
        const auto holdsRecord = [&](const AddressRange& range) {
            return range.first <= record.address && last <= range.last;
        };
        const bool covered = std::any_of(summary.ranges.begin(), summary.ranges.end(), holdsRecord);
        Require(covered, "the ranges cover every record's data");
    }
}

void CheckImage(const QByteArray& bytes, const ApplicationImage& image)
{
    Require(image.fileBytes == bytes.size()
                && (image.fileType == GetFileType(bytes) || image.fileType == kIntelHexFileType),
            "the image describes its file");
    qint64 progress = image.trailingProgressBytes;
    for (const ImageRecord& record : image.records) {
        const QByteArray& wire = record.wire;
        Require(wire.size() > kRecordHeadBytes && wire.at(0) == kRecordStart
                    && wire.at(1) == record.type,
                "a record starts with \"S\" and its type");
        Require(static_cast<std::uint8_t>(wire.at(2)) == wire.size() - kRecordHeadBytes,
                "a record's count is the bytes after it");
        Require(static_cast<std::uint8_t>(wire.back()) == BinaryRecordChecksum(wire.chopped(1)),
                "a record ends with its checksum");
        Require(record.dataBytes >= 0 && record.dataBytes <= wire.size() - kRecordHeadBytes - 1,
                "a record's data fit inside it");
        progress += record.progressBytes;
    }
    Require(progress == image.progressTotal, "the progress adds up to its total");
    CheckSummary(image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QString& offset : OffsetsFrom(bytes)) {
        ImageFault fault;
        const auto image = BuildApplicationImage(bytes, kFileName, offset, &fault);
        if (image)
            CheckImage(bytes, *image);
        else
            Require(fault.text.contains(kFileName), "a refused file is named in the fault");
    }
    return 0;
}
