// Arbitrary bytes as an Intel HEX file: the decoded spans must be sorted, disjoint and
// inside the data buffer, and the image built from them must send exactly those bytes in
// S3 records of at most 64 bytes that never cross a 64-byte address boundary.

#include "FuzzCheck.h"
#include "protocol/ApplicationImage.h"
#include "protocol/IntelHexCodec.h"
#include "protocol/ReplyCodes.h"

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

using zandor::fuzz::Require;
using namespace zandor::protocol;

namespace {

const QString kFileName = QStringLiteral("Fuzz.h86");
constexpr int kS3HeadBytes = 7;  // "S", "3", count, four address bytes

void CheckData(const IntelHexData& data)
{
    qsizetype total = 0;
    for (qsizetype i = 0; i < data.spans.size(); ++i) {
        const IntelHexSpan& span = data.spans.at(i);
        Require(span.length > 0 && span.offset >= 0 && span.offset + span.length <= data.bytes.size(),
                "a span lies inside the data buffer");
        Require(std::uint64_t(span.address) + std::uint64_t(span.length) <= 0x100000000ULL,
                "a span ends inside the 4 GiB address space");
        Require(i == 0 || std::uint64_t(data.spans.at(i - 1).address) + data.spans.at(i - 1).length <= span.address,
                "spans are sorted and disjoint");
        total += span.length;
    }
    Require(total == data.dataBytes, "the data bytes are the spans' total");
}

// The image's records against the decoded data, byte by byte.
void CheckImage(const IntelHexData& data, const ApplicationImage& image)
{
    Require(image.fileType == kIntelHexFileType, "an Intel HEX file gives an Intel HEX image");
    Require(image.progressTotal == data.dataBytes, "progress counts data bytes");
    qint64 progress = image.trailingProgressBytes;
    qsizetype span = 0, inSpan = 0;
    for (const ImageRecord& record : image.records) {
        Require(record.type == kDataRecordType && record.dataBytes >= 1 && record.dataBytes <= kBinaryChunkBytes,
                "an S3 record of 1 to 64 bytes");
        Require(record.address / kBinaryChunkBytes == (record.address + record.dataBytes - 1) / kBinaryChunkBytes,
                "a record stays inside its 64-byte block");
        Require(record.wire.size() == kS3HeadBytes + record.dataBytes + 1, "the record carries its data");
        for (int i = 0; i < record.dataBytes; ++i) {
            Require(span < data.spans.size(), "no record data beyond the file's");
            const IntelHexSpan& at = data.spans.at(span);
            Require(record.address + std::uint32_t(i) == at.address + std::uint32_t(inSpan),
                    "records follow the data's addresses");
            Require(record.wire.at(kS3HeadBytes + i) == data.bytes.at(at.offset + inSpan),
                    "records carry the data's bytes");
            if (++inSpan == at.length) {
                ++span;
                inSpan = 0;
            }
        }
        progress += record.progressBytes;
    }
    Require(span == data.spans.size(), "every data byte is sent");
    Require(progress == image.progressTotal, "the progress adds up");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* raw, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(raw), static_cast<qsizetype>(size));
    IntelHexFault fault;
    const auto data = DecodeIntelHex(bytes, &fault);
    if (!data) {
        Require(!fault.text.isEmpty() && fault.line >= 0 && fault.line <= bytes.count('\n') + 1,
                "a refusal says why, on a line of the file");
        return 0;
    }
    CheckData(*data);
    if (!bytes.startsWith(kIntelHexRecordStart) || data->dataBytes == 0)
        return 0;
    ImageFault imageFault;
    const auto image = BuildApplicationImage(bytes, kFileName, QString(), &imageFault);
    if (image && image->fileType == kIntelHexFileType)
        CheckImage(*data, *image);
    else if (!image)
        Require(imageFault.text.contains(kFileName), "a refused file is named in the fault");
    return 0;
}
