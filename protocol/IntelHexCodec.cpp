#include "IntelHexCodec.h"

#include "HexText.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace zandor::protocol {

namespace {

constexpr int kFrameBytes = 5;          // count, address (2), type, checksum
constexpr int kTypeIndex = 3;           // of the record's bytes
constexpr int kDataIndex = 4;
constexpr int kBaseRecordBytes = 2;     // a type 02 or 04 record's data
constexpr int kStartRecordBytes = 4;    // a type 03 or 05 record's data
constexpr std::uint32_t kParagraphBytes = 16;  // a type 02 base counts in 16-byte paragraphs
constexpr std::uint64_t kTopAddress = 0xFFFFFFFF;

QString AddressText(std::uint64_t address)
{
    return QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0')).toUpper() + QLatin1Char('h');
}

QString ByteText(std::uint8_t byte)
{
    return QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper() + QLatin1Char('h');
}

// One record's bytes (count to checksum), decoded and checked for its form.
struct Record {
    std::array<std::uint8_t, 255 + kFrameBytes> bytes{};
    int count = 0;
    std::uint16_t offset = 0;
    std::uint8_t type = 0;
    const std::uint8_t* data() const { return bytes.data() + kDataIndex; }
};

QString ParseRecord(QByteArrayView line, Record& record)
{
    if (line.isEmpty() || line.at(0) != kIntelHexRecordStart)
        return QStringLiteral("the line does not begin with \":\"");
    const QByteArrayView digits = line.sliced(1);
    if (digits.size() % 2 != 0)
        return QStringLiteral("the record has an odd number of hexadecimal digits");
    const qsizetype held = digits.size() / 2;
    if (held < kFrameBytes)
        return QStringLiteral("the record is too short");
    if (held > qsizetype(record.bytes.size()))
        return QStringLiteral("the record is too long: %1 bytes, a count field reaches 255").arg(held - kFrameBytes);
    unsigned sum = 0;
    for (qsizetype i = 0; i < held; ++i) {
        const int high = HexDigitValue(digits.at(2 * i));
        const int low = HexDigitValue(digits.at(2 * i + 1));
        if (high < 0 || low < 0)
            return QStringLiteral("\"%1\" is not a hexadecimal number").arg(ShownText(digits.sliced(2 * i, 2)));
        record.bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
        sum += record.bytes[i];
    }
    record.count = record.bytes[0];
    if (record.count != held - kFrameBytes) {
        return QStringLiteral("the count field says %1 data bytes, the record holds %2")
            .arg(record.count)
            .arg(held - kFrameBytes);
    }
    if (sum % 256 != 0) {
        const std::uint8_t found = record.bytes[held - 1];
        const auto expected = static_cast<std::uint8_t>(found - sum);
        return QStringLiteral("checksum %1 is wrong, expected %2")
            .arg(QStringLiteral("%1").arg(found, 2, 16, QLatin1Char('0')).toUpper(),
                 QStringLiteral("%1").arg(expected, 2, 16, QLatin1Char('0')).toUpper());
    }
    record.offset = static_cast<std::uint16_t>(record.bytes[1] << 8 | record.bytes[2]);
    record.type = record.bytes[kTypeIndex];
    return {};
}

QString CountFault(const Record& record, int expected)
{
    return QStringLiteral("a type %1 record carries %2 data bytes, this one %3")
        .arg(QStringLiteral("%1").arg(record.type, 2, 10, QLatin1Char('0')))
        .arg(expected)
        .arg(record.count);
}

// Walks the records up to the end record, calling `onData(line, address, data, count)`
// for every data record. Returns the fault, if any, with its line.
template <typename OnData>
IntelHexFault WalkRecords(QByteArrayView fileBytes, OnData onData)
{
    Record record;
    std::uint64_t base = 0;  // from the last type 02 or 04 record
    int number = 0;
    qsizetype start = 0;
    const qsizetype size = fileBytes.size();
    while (start < size) {
        const char* at = fileBytes.data() + start;
        const void* lineFeed = std::memchr(at, '\n', std::size_t(size - start));
        const qsizetype end = lineFeed ? static_cast<const char*>(lineFeed) - fileBytes.data() : size;
        QByteArrayView line = fileBytes.sliced(start, end - start);
        if (line.endsWith('\r'))
            line.chop(1);
        start = end + 1;
        ++number;
        if (line.trimmed().isEmpty())
            continue;
        const QString fault = ParseRecord(line, record);
        if (!fault.isEmpty())
            return {number, fault};
        switch (record.type) {
        case kIntelHexData: {
            if (record.count == 0)
                break;
            const std::uint64_t address = base + record.offset;
            if (address + record.count - 1 > kTopAddress) {
                return {number, QStringLiteral("its data run past %1, the top of the 4 GiB address space")
                                    .arg(AddressText(kTopAddress))};
            }
            if (std::uint32_t(record.offset) + std::uint32_t(record.count) > kIntelHexWindowBytes) {
                return {number, QStringLiteral("its data run past the end of the 64 KiB window at %1: "
                                               "split it into two records")
                                    .arg(AddressText(base))};
            }
            onData(number, std::uint32_t(address), record.data(), record.count);
            break;
        }
        case kIntelHexEndOfFile:
            if (record.count != 0)
                return {number, CountFault(record, 0)};
            return {};
        case kIntelHexSegmentBase:
        case kIntelHexLinearBase: {
            if (record.count != kBaseRecordBytes)
                return {number, CountFault(record, kBaseRecordBytes)};
            const std::uint64_t value = std::uint64_t(record.data()[0]) << 8 | record.data()[1];
            base = record.type == kIntelHexSegmentBase ? value * kParagraphBytes : value << 16;
            break;
        }
        case kIntelHexSegmentStart:
        case kIntelHexLinearStart:
            // Where the program starts: the board starts from its reset vector.
            if (record.count != kStartRecordBytes)
                return {number, CountFault(record, kStartRecordBytes)};
            break;
        default:
            return {number, QStringLiteral("record type %1 is not an Intel HEX record type (00 to 05)")
                                .arg(QStringLiteral("%1").arg(record.type, 2, 16, QLatin1Char('0')).toUpper())};
        }
    }
    return {0, QStringLiteral("it ends after line %1 without an end-of-file record (:00000001FF): "
                              "the file is truncated")
                   .arg(number)};
}

// Two data records put different bytes at `address`: the later line is the fault, the
// earlier one is named in it.
IntelHexFault OverlapFault(QByteArrayView fileBytes, std::uint32_t address)
{
    int firstLine = 0;
    std::uint8_t firstByte = 0;
    IntelHexFault fault;
    WalkRecords(fileBytes, [&](int line, std::uint32_t at, const std::uint8_t* data, int count) {
        if (fault.line != 0 || address < at || address - at >= std::uint32_t(count))
            return;
        const std::uint8_t byte = data[address - at];
        if (firstLine == 0) {
            firstLine = line;
            firstByte = byte;
        } else if (byte != firstByte) {
            fault = {line, QStringLiteral("its data overlap line %1's at %2 with a different byte (%3, "
                                          "line %1 has %4)")
                               .arg(QString::number(firstLine), AddressText(address), ByteText(byte),
                                    ByteText(firstByte))};
        }
    });
    return fault;
}

std::uint64_t EndOf(const IntelHexSpan& span)
{
    return std::uint64_t(span.address) + std::uint64_t(span.length);
}

// Sorted spans into disjoint ones. An overlap must repeat the bytes already there; the
// address of the first differing byte is returned otherwise.
std::optional<std::uint32_t> MakeDisjoint(const QByteArray& bytes, const std::vector<IntelHexSpan>& sorted,
                                          QList<IntelHexSpan>& kept)
{
    kept.reserve(qsizetype(sorted.size()));
    for (const IntelHexSpan& span : sorted) {
        if (kept.isEmpty() || span.address >= EndOf(kept.last())) {
            if (!kept.isEmpty() && span.address == EndOf(kept.last())
                && span.offset == kept.last().offset + kept.last().length) {
                kept.last().length += span.length;
            } else {
                kept.append(span);
            }
            continue;
        }
        // The span begins inside what is kept; everything from its start up to the kept end
        // is covered without a gap (the span that reached that end began no later).
        const std::uint64_t keptEnd = EndOf(kept.last());
        qsizetype k = kept.size() - 1;
        while (k > 0 && kept.at(k).address > span.address)
            --k;
        std::uint64_t address = span.address;
        const std::uint64_t overlapEnd = std::min(keptEnd, EndOf(span));
        while (address < overlapEnd) {
            while (address >= EndOf(kept.at(k)))
                ++k;
            const IntelHexSpan& holder = kept.at(k);
            const char keptByte = bytes.at(holder.offset + qsizetype(address - holder.address));
            const char newByte = bytes.at(span.offset + qsizetype(address - span.address));
            if (keptByte != newByte)
                return std::uint32_t(address);
            ++address;
        }
        if (EndOf(span) > keptEnd) {
            const auto skipped = qsizetype(keptEnd - span.address);
            kept.append({std::uint32_t(keptEnd), span.offset + skipped, span.length - skipped, span.line});
        }
    }
    return std::nullopt;
}

}  // namespace

bool LooksLikeIntelHexLine(QByteArrayView line)
{
    if (line.size() < 2 || line.at(0) != kIntelHexRecordStart)
        return false;
    return std::all_of(line.begin() + 1, line.end(), [](char c) { return HexDigitValue(c) >= 0; });
}

QString IntelHexLineFault(QByteArrayView line)
{
    Record record;
    return ParseRecord(line, record);
}

std::optional<IntelHexData> DecodeIntelHex(QByteArrayView fileBytes, IntelHexFault* fault)
{
    IntelHexData result;
    std::vector<IntelHexSpan> spans;
    // A file holds fewer data bytes than half its characters.
    result.bytes.reserve(fileBytes.size() / 2);
    bool sorted = true;
    IntelHexFault walkFault =
        WalkRecords(fileBytes, [&](int line, std::uint32_t address, const std::uint8_t* data, int count) {
            const qsizetype offset = result.bytes.size();
            result.bytes.append(reinterpret_cast<const char*>(data), count);
            result.dataBytes += count;
            if (!spans.empty()) {
                IntelHexSpan& last = spans.back();
                if (EndOf(last) == address && last.offset + last.length == offset) {
                    last.length += count;  // the usual file: record after record upward
                    return;
                }
                sorted = sorted && address >= EndOf(last);
            }
            spans.push_back({address, offset, qsizetype(count), line});
        });
    if (!walkFault.text.isEmpty()) {
        if (fault)
            *fault = walkFault;
        return std::nullopt;
    }
    if (!sorted) {
        std::stable_sort(spans.begin(), spans.end(), [](const IntelHexSpan& a, const IntelHexSpan& b) {
            return a.address < b.address;
        });
    }
    if (const auto differing = MakeDisjoint(result.bytes, spans, result.spans)) {
        if (fault)
            *fault = OverlapFault(fileBytes, *differing);
        return std::nullopt;
    }
    result.dataBytes = 0;
    for (const IntelHexSpan& span : result.spans)
        result.dataBytes += span.length;
    return result;
}

}  // namespace zandor::protocol
