#include "ApplicationImage.h"

#include "IntelHexImage.h"
#include "ReplyCodes.h"
#include "SRecordCodec.h"
#include "profiles/MemoryFiles.h"

#include <QCryptographicHash>
#include <algorithm>
#include <map>

namespace zandor::protocol {

namespace {

bool Fail(ImageFault* fault, int line, const QString& text)
{
    if (fault)
        *fault = {line, text};
    return false;
}

// The record's address and data size from its wire bytes ("S", type, count, address ...).
void DescribeRecord(ImageRecord& record)
{
    const int addressBytes = SRecordAddressBytes(record.type);
    const int payloadBytes = static_cast<std::uint8_t>(record.wire.at(2)) - 1;  // checksum excluded
    if (addressBytes == 0 || payloadBytes < addressBytes)
        return;
    std::uint32_t address = 0;
    for (int i = 0; i < addressBytes; ++i)
        address = (address << 8) | static_cast<std::uint8_t>(record.wire.at(3 + i));
    record.hasAddress = true;
    record.address = address;
    const bool carriesData = record.type == '1' || record.type == '2' || record.type == '3';
    record.dataBytes = carriesData ? payloadBytes - addressBytes : 0;
}

// Every non-blank line is checked whole and goes out as the record it spells, its own
// checksum included.
bool BuildSRecordImage(const QByteArray& bytes, ApplicationImage& image, ImageFault* fault)
{
    qint64 pending = 0;  // blank lines' bytes, counted with the next record
    for (const TextLine& line : SplitLines(bytes)) {
        pending += line.fileBytes;
        if (IsBlankLine(line.text))
            continue;
        const QString lineFault = SRecordLineFault(line.text);
        if (!lineFault.isEmpty())
            return Fail(fault, line.number, LineFaultText(image.file, line.number, lineFault));
        ImageRecord record;
        record.wire = *LineToBinaryRecord(line.text);
        record.progressBytes = pending;
        record.line = line.number;
        record.type = line.text.at(1);
        DescribeRecord(record);
        image.records.append(record);
        pending = 0;
    }
    image.trailingProgressBytes = pending;
    return true;
}

}  // namespace

ImageRecord DataChunkRecord(const QByteArray& chunk, std::uint32_t address)
{
    ImageRecord record;
    record.wire = ChunkToBinaryRecord(chunk, address);
    record.wire.append(static_cast<char>(BinaryRecordChecksum(record.wire)));
    record.progressBytes = chunk.size();
    record.type = kDataRecordType;
    record.hasAddress = true;
    record.address = address;
    record.dataBytes = static_cast<int>(chunk.size());
    return record;
}

namespace {

// The file is cut into S3 records of 64 bytes placed from the load address upward.
bool BuildBinaryImage(const QByteArray& bytes, const QString& offsetText, ApplicationImage& image,
                      ImageFault* fault)
{
    QString offsetFault;
    const auto offset = HexToLong(offsetText, &offsetFault);
    if (!offset)
        return Fail(fault, 0, QStringLiteral("Error in %1: the load offset %2.").arg(image.file, offsetFault));
    image.loadAddress = static_cast<std::uint32_t>(*offset);
    std::uint32_t address = image.loadAddress;
    for (qsizetype at = 0; at < bytes.size(); at += kBinaryChunkBytes) {
        image.records.append(DataChunkRecord(bytes.mid(at, kBinaryChunkBytes), address));
        address += kBinaryChunkBytes;
    }
    return true;
}

QByteArrayView FirstLine(const QByteArray& bytes)
{
    const qsizetype end = std::min(bytes.indexOf('\r') < 0 ? bytes.size() : bytes.indexOf('\r'),
                                   bytes.indexOf('\n') < 0 ? bytes.size() : bytes.indexOf('\n'));
    return QByteArrayView(bytes).first(end);
}

}  // namespace

std::optional<ApplicationImage> BuildApplicationImage(const QByteArray& fileBytes, const QString& file,
                                                      const QString& offsetText, ImageFault* fault)
{
    ApplicationImage image;
    image.file = file;
    image.fileBytes = fileBytes.size();
    image.progressTotal = fileBytes.size();
    image.fileType = GetFileType(fileBytes);
    image.sha256 = QCryptographicHash::hash(fileBytes, QCryptographicHash::Sha256);

    bool built = false;
    if (image.fileType == kSRecordFileType) {
        built = BuildSRecordImage(fileBytes, image, fault);
    } else if (IsIntelHexFile(fileBytes, file)) {
        image.fileType = kIntelHexFileType;
        built = BuildIntelHexImage(fileBytes, image, fault);
    } else if (LooksLikeSRecordLine(FirstLine(fileBytes))) {
        // Meant as an S-record file, but its first record is damaged: as a binary file
        // its text would be programmed over the reset vectors.
        QString lineFault = SRecordLineFault(FirstLine(fileBytes));
        if (lineFault.isEmpty())
            lineFault = QStringLiteral("the first record is damaged");
        built = Fail(fault, 1, LineFaultText(file, 1, lineFault));
    } else if (IsTextFile(fileBytes)) {
        // The same for any other text: a byte order mark, a blank first line, a foreign format.
        const TextFileFault textFault = FirstTextFileFault(fileBytes);
        built = Fail(fault, textFault.line, LineFaultText(file, textFault.line, textFault.fault));
    } else {
        built = BuildBinaryImage(fileBytes, offsetText, image, fault);
    }
    if (!built)
        return std::nullopt;
    // An empty file, or S-records without data: the memory would be erased and nothing
    // programmed, yet the run would end with ", Done".
    const bool anyData = std::any_of(image.records.cbegin(), image.records.cend(),
                                     [](const ImageRecord& record) { return record.dataBytes > 0; });
    if (!anyData) {
        Fail(fault, 0, QStringLiteral("Error in %1: it holds no data to program.").arg(file));
        return std::nullopt;
    }
    return image;
}

QString DownloadLabel(profiles::MemoryKind memoryKind)
{
    const QString name = profiles::MemoryStatusName(memoryKind);
    return name.isEmpty() ? QString() : name + QStringLiteral(": Sending ");
}

ApplicationLoad LoadApplicationImage(const profiles::ProfileData& profile, profiles::MemoryKind memoryKind)
{
    ApplicationLoad load;
    const auto files = profiles::FilesOfMemory(profile, memoryKind);
    if (!files.application) {
        load.fileError = InputFileError::Missing;
        load.fault.text = QStringLiteral("There is no application file for memory kind %1.").arg(memoryKind);
        return load;
    }
    const InputFile input = ReadInputFile(*files.application);
    if (!input.ok()) {
        load.fileError = input.error;
        load.fault.text = InputFileFaultText(*files.application, input.reason);
        return load;
    }
    load.image = BuildApplicationImage(input.bytes, *files.application, *files.offset, &load.fault);
    return load;
}

ImageSummary SummarizeImage(const ApplicationImage& image)
{
    ImageSummary summary;
    std::map<char, int> counts;
    std::vector<AddressRange> spans;
    for (const ImageRecord& record : image.records) {
        ++counts[record.type];
        if (record.dataBytes <= 0)
            continue;
        summary.dataBytes += record.dataBytes;
        // A record near the top of the address space ends there rather than wrapping to 0.
        const std::uint64_t last = std::uint64_t(record.address) + std::uint64_t(record.dataBytes) - 1;
        spans.push_back({record.address, std::uint32_t(std::min<std::uint64_t>(last, 0xFFFFFFFFu))});
    }
    for (const auto& [type, count] : counts)
        summary.recordsByType.append({type, count});
    std::sort(spans.begin(), spans.end(), [](const AddressRange& a, const AddressRange& b) {
        return a.first < b.first;
    });
    for (const AddressRange& span : spans) {
        // Touching or overlapping spans make one range.
        if (!summary.ranges.isEmpty() && std::uint64_t(span.first) <= std::uint64_t(summary.ranges.last().last) + 1)
            summary.ranges.last().last = std::max(summary.ranges.last().last, span.last);
        else
            summary.ranges.append(span);
    }
    return summary;
}

}  // namespace zandor::protocol
