#include "SRecordCodec.h"

#include "HexText.h"
#include "ReplyCodes.h"

namespace zandor::protocol {

namespace {

constexpr std::int64_t kLargestHexValue = 0x7FFFFFFF;

void SetFault(QString* fault, const QString& text)
{
    if (fault)
        *fault = text;
}

// Digits of one field, e.g. the count at line positions 3-4 (1-based). Missing digits at
// the end of a short line are simply absent.
QByteArrayView Field(QByteArrayView line, qsizetype firstPosition, qsizetype length)
{
    const qsizetype start = firstPosition - 1;
    if (start >= line.size())
        return {};
    return line.sliced(start, std::min(length, line.size() - start));
}

}  // namespace

std::optional<std::int32_t> HexToLong(QByteArrayView text, QString* fault)
{
    std::int64_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0) {
            SetFault(fault, QStringLiteral("\"%1\" is not a hexadecimal number").arg(ShownText(text)));
            return std::nullopt;
        }
        value = value * 16 + digit;
        if (value > kLargestHexValue) {
            SetFault(fault, QStringLiteral("\"%1\" is above 7FFFFFFF").arg(ShownText(text)));
            return std::nullopt;
        }
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> HexToLong(const QString& text, QString* fault)
{
    // Characters beyond Latin-1 become '?', which is refused like any other non-digit.
    const QByteArray latin = text.toLatin1();
    return HexToLong(QByteArrayView(latin), fault);
}

std::optional<QString> SRecordChecksum(QByteArrayView fields, QString* fault)
{
    int sum = 0;
    for (qsizetype i = 0; i < fields.size(); i += 2) {
        const auto slice = HexToLong(fields.sliced(i, std::min<qsizetype>(2, fields.size() - i)), fault);
        if (!slice)
            return std::nullopt;
        sum += *slice;
    }
    return QStringLiteral("%1").arg(255 - sum % 256, 2, 16, QLatin1Char('0')).toUpper();
}

int GetFileType(const QByteArray& firstBytes)
{
    if (firstBytes.size() < 4 || firstBytes.at(0) != kRecordStart)
        return kBinaryFileType;
    const char type = firstBytes.at(1);
    if (type < '0' || type > '9')
        return kBinaryFileType;
    const auto count = HexToLong(QByteArrayView(firstBytes).sliced(2, 2));
    if (!count || *count < 1)
        return kBinaryFileType;
    const qsizetype fieldDigits = 2 + (*count - 1) * 2;  // count, address and data
    if (firstBytes.size() < 2 + fieldDigits + 2)
        return kBinaryFileType;  // the file ends inside its first record
    const auto expected = SRecordChecksum(QByteArrayView(firstBytes).sliced(2, fieldDigits));
    if (!expected)
        return kBinaryFileType;
    const QString found = QString::fromLatin1(firstBytes.mid(2 + fieldDigits, 2));
    return found.compare(*expected, Qt::CaseInsensitive) == 0 ? kSRecordFileType : kBinaryFileType;
}

QList<TextLine> SplitLines(const QByteArray& fileBytes)
{
    QList<TextLine> lines;
    qsizetype start = 0;
    int number = 0;
    const qsizetype size = fileBytes.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && fileBytes.at(end) != '\r' && fileBytes.at(end) != '\n')
            ++end;
        qsizetype next = end;
        if (next < size) {
            const bool crLf = fileBytes.at(next) == '\r' && next + 1 < size && fileBytes.at(next + 1) == '\n';
            next += crLf ? 2 : 1;
        }
        lines.append({fileBytes.mid(start, end - start), ++number, next - start});
        start = next;
    }
    return lines;
}

bool IsBlankLine(QByteArrayView line)
{
    for (char c : line) {
        if (c != ' ' && c != '\t')
            return false;
    }
    return true;
}

LoaderLineData DecodeLoaderLine(QByteArrayView line)
{
    LoaderLineData result;
    if (line.isEmpty() || line.at(0) != kRecordStart) {
        result.fault = QStringLiteral("the line does not begin with \"S\"");
        return result;
    }
    qsizetype addressDigits = 0;
    const char type = line.size() > 1 ? line.at(1) : '\0';
    if (type == '1')
        addressDigits = 4;
    else if (type == '2')
        addressDigits = 6;
    else
        return result;  // headers, S3 data, counts and terminators are not loader bytes

    const auto count = HexToLong(Field(line, 3, 2), &result.fault);
    if (!count)
        return result;
    const auto address = HexToLong(Field(line, 5, addressDigits), &result.fault);
    if (!address)
        return result;

    // Data pairs run from just after the address up to position 2 x count + 2; the
    // checksum pair behind them is not read.
    const qsizetype firstData = 5 + addressDigits;
    const qsizetype lastDataPosition = 2 * qsizetype(*count) + 2;
    if (line.size() < lastDataPosition || Field(line, 5, addressDigits).size() < addressDigits) {
        result.fault = QStringLiteral("the line is shorter than its count field says");
        return result;
    }
    for (qsizetype position = firstData; position <= lastDataPosition; position += 2) {
        const auto byte = HexToLong(Field(line, position, 2), &result.fault);
        if (!byte)
            return result;
        result.data.append(static_cast<char>(*byte));
    }
    result.hasData = true;
    result.address = static_cast<std::uint32_t>(*address);
    return result;
}

std::optional<QByteArray> LineToBinaryRecord(QByteArrayView line, QString* fault)
{
    if (line.isEmpty() || line.at(0) != kRecordStart) {
        SetFault(fault, QStringLiteral("the line does not begin with \"S\""));
        return std::nullopt;
    }
    if (line.size() < 2) {
        SetFault(fault, QStringLiteral("the line has no record type"));
        return std::nullopt;
    }
    QByteArray record(line.first(2).data(), 2);
    for (qsizetype i = 2; i < line.size(); i += 2) {
        const auto byte = HexToLong(line.sliced(i, std::min<qsizetype>(2, line.size() - i)), fault);
        if (!byte)
            return std::nullopt;
        record.append(static_cast<char>(*byte));
    }
    return record;
}

int SRecordAddressBytes(char type)
{
    switch (type) {
    case '0': case '1': case '5': case '9':
        return 2;
    case '2': case '6': case '8':
        return 3;
    case '3': case '7':
        return 4;
    default:
        return 0;  // "4" is reserved, anything else is no record type at all
    }
}

bool LooksLikeSRecordLine(QByteArrayView line)
{
    if (line.size() < 2 || line.at(0) != kRecordStart || line.at(1) < '0' || line.at(1) > '9')
        return false;
    for (char c : line.sliced(2)) {
        if (HexDigitValue(c) < 0)
            return false;
    }
    return true;
}

namespace {
constexpr char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";
constexpr qsizetype kUtf8ByteOrderMarkBytes = 3;
}  // namespace

bool IsTextFile(QByteArrayView bytes)
{
    if (bytes.startsWith(QByteArrayView(kUtf8ByteOrderMark, kUtf8ByteOrderMarkBytes)))
        bytes = bytes.sliced(kUtf8ByteOrderMarkBytes);
    bool lineEnd = false;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n')
            lineEnd = true;
        else if (c != '\t' && (u < 0x20 || u > 0x7E))
            return false;
    }
    return lineEnd;
}

TextFileFault FirstTextFileFault(const QByteArray& bytes)
{
    if (bytes.startsWith(kUtf8ByteOrderMark)) {
        return {1, QStringLiteral("the file begins with a byte order mark (EF BB BF): save it as "
                                  "plain ASCII text")};
    }
    for (const TextLine& line : SplitLines(bytes)) {
        const QString fault = IsBlankLine(line.text)
            ? QStringLiteral("an S-record file begins with a record, not a blank line")
            : SRecordLineFault(line.text);
        if (!fault.isEmpty())
            return {line.number, fault};
        // The first record is sound, so the file's type was judged on a line that
        // GetFileType reads differently (a lower-case checksum is taken; so this is rare).
        break;
    }
    return {1, QStringLiteral("the file is text, but not an S-record file")};
}

QString SRecordLineFault(QByteArrayView line)
{
    if (line.isEmpty() || line.at(0) != kRecordStart)
        return QStringLiteral("the line does not begin with \"S\"");
    if (line.size() < 4)
        return QStringLiteral("the record is too short");
    const int addressBytes = SRecordAddressBytes(line.at(1));
    if (addressBytes == 0)
        return QStringLiteral("\"S%1\" is not a record type a loader takes").arg(ShownText(line.sliced(1, 1)));
    const QByteArrayView digits = line.sliced(2);
    if (digits.size() % 2 != 0)
        return QStringLiteral("the record has an odd number of hexadecimal digits");
    QString fault;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        if (!HexToLong(digits.sliced(i, 2), &fault))
            return fault;
    }
    const std::int32_t count = *HexToLong(digits.first(2));
    const qsizetype bytesAfterCount = digits.size() / 2 - 1;
    if (count != bytesAfterCount) {
        return QStringLiteral("the count field says %1 bytes, the record holds %2")
            .arg(count)
            .arg(bytesAfterCount);
    }
    if (count < addressBytes + 1) {
        return QStringLiteral("the count %1 is too small for an S%2 record (%3 address bytes and "
                              "the checksum)")
            .arg(count)
            .arg(ShownText(line.sliced(1, 1)))
            .arg(addressBytes);
    }
    const QString expected = *SRecordChecksum(digits.first(digits.size() - 2));
    const QString found = ShownText(digits.last(2));
    if (found.compare(expected, Qt::CaseInsensitive) != 0)
        return QStringLiteral("checksum %1 is wrong, expected %2").arg(found.toUpper(), expected);
    return {};
}

QByteArray ChunkToBinaryRecord(const QByteArray& chunk, std::uint32_t address)
{
    QByteArray head;
    head.reserve(7 + chunk.size());
    head.append(kRecordStart);
    head.append(kDataRecordType);
    head.append(static_cast<char>(chunk.size() + kS3AddressAndChecksumBytes));
    head.append(static_cast<char>(address >> 24));
    head.append(static_cast<char>((address >> 16) & 0xFF));
    head.append(static_cast<char>((address >> 8) & 0xFF));
    head.append(static_cast<char>(address & 0xFF));
    head.append(chunk);
    return head;
}

std::uint8_t BinaryRecordChecksum(const QByteArray& head)
{
    unsigned sum = 0;
    for (qsizetype i = 2; i < head.size(); ++i)
        sum += static_cast<std::uint8_t>(head.at(i));
    return static_cast<std::uint8_t>(255 - sum % 256);
}

int ProgressPercent(qint64 sent, qint64 total)
{
    if (total <= 0)
        return 100;
    const qint64 scaled = sent * 100;
    qint64 percent = scaled / total;
    const qint64 remainder = scaled % total;
    if (2 * remainder > total || (2 * remainder == total && percent % 2 != 0))
        ++percent;
    return static_cast<int>(percent);
}

QString PercentText(int percent)
{
    return QString::number(percent) + QLatin1Char('%');
}

QString ProgressPercentText(qint64 sent, qint64 total)
{
    return PercentText(ProgressPercent(sent, total));
}

}  // namespace zandor::protocol
