// Arbitrary bytes, whole and line by line, through every S-record codec function, with the
// relations that must hold between them: what the full line check accepts, the decoders and
// the file type detection accept too, and the line split gives back every byte of the file.

#include "FuzzCheck.h"
#include "protocol/ReplyCodes.h"
#include "protocol/SRecordCodec.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>

using zandor::fuzz::Require;
using namespace zandor::protocol;

namespace {

constexpr std::int64_t kLargestHexValue = 0x7FFFFFFF;
constexpr int kMostSignificantDigits = 8;  // 7FFFFFFF has 8 hexadecimal digits

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool IsHexText(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(), IsHexDigit);
}

void CheckHexToLong(QByteArrayView text)
{
    QString fault;
    const auto value = HexToLong(text, &fault);
    Require(value == HexToLong(QString::fromLatin1(text.data(), text.size())),
            "HexToLong gives the same for bytes and their Latin-1 text");
    if (!IsHexText(text)) {
        Require(!value && !fault.isEmpty(), "HexToLong refuses a non-digit with a reason");
        return;
    }
    // QByteArray::toLongLong also takes signs, blanks and "0x", so it only judges plain digits.
    QByteArrayView digits = text;
    while (!digits.isEmpty() && digits.front() == '0')
        digits = digits.sliced(1);
    if (digits.size() > kMostSignificantDigits) {
        Require(!value && !fault.isEmpty(), "HexToLong refuses more than 8 significant digits");
        return;
    }
    const qlonglong expected = digits.isEmpty() ? 0 : digits.toByteArray().toLongLong(nullptr, 16);
    if (expected > kLargestHexValue)
        Require(!value && !fault.isEmpty(), "HexToLong refuses a value above 7FFFFFFF");
    else
        Require(value && *value == expected, "HexToLong reads plain digits");
}

void CheckChecksum(QByteArrayView fields)
{
    const auto checksum = SRecordChecksum(fields);
    Require(checksum.has_value() == IsHexText(fields), "SRecordChecksum takes exactly hex digits");
    if (!checksum)
        return;
    const QByteArray digits = checksum->toLatin1();
    Require(digits.size() == 2 && IsHexText(digits) && digits == digits.toUpper(),
            "a checksum is two upper-case digits");
    if (fields.size() % 2 == 0) {
        // Fields followed by their own checksum sum to FFh, whose checksum is 00.
        Require(SRecordChecksum(fields.toByteArray() + digits) == QStringLiteral("00"),
                "fields with their checksum appended check to 00");
    }
}

void CheckSplitLines(const QByteArray& bytes)
{
    qsizetype at = 0;
    int number = 0;
    for (const TextLine& line : SplitLines(bytes)) {
        Require(line.number == ++number, "lines are numbered from 1 without gaps");
        Require(!line.text.contains('\r') && !line.text.contains('\n'), "a line holds no line end");
        Require(bytes.mid(at, line.text.size()) == line.text, "a line is the file's next bytes");
        const QByteArray end = bytes.mid(at + line.text.size(), line.fileBytes - line.text.size());
        const bool lastLine = at + line.fileBytes == bytes.size();
        Require(end == "\r\n" || end == "\r" || end == "\n" || (end.isEmpty() && lastLine),
                "a line ends with CR LF, CR or LF, or the file");
        Require(end != "\r" || bytes.mid(at + line.fileBytes, 1) != "\n", "CR LF is one line end");
        at += line.fileBytes;
    }
    Require(at == bytes.size(), "the lines account for every byte of the file");
}

void CheckLine(QByteArrayView line)
{
    CheckHexToLong(line);
    CheckChecksum(line);
    Require(GetFileType(line.toByteArray()) == kBinaryFileType
                || GetFileType(line.toByteArray()) == kSRecordFileType,
            "GetFileType gives a known file type");

    const bool startsRecord = line.size() >= 2 && line.front() == kRecordStart;
    QString recordFault;
    const auto record = LineToBinaryRecord(line, &recordFault);
    Require(record.has_value() == (startsRecord && IsHexText(line.sliced(2))),
            "LineToBinaryRecord takes \"S\", a type and hex digits");
    Require(record.has_value() || !recordFault.isEmpty(), "a refused line has a reason");
    if (record) {
        Require(record->size() == 2 + (line.size() - 1) / 2, "one record byte per two digits");
        Require(record->first(2) == line.first(2), "the record keeps \"S\" and the type");
    }

    const bool looksLikeRecord = LooksLikeSRecordLine(line);
    Require(!looksLikeRecord || record, "a line looking like an S-record converts");
    Require(!IsBlankLine(line) || (!looksLikeRecord && !SRecordLineFault(line).isEmpty()),
            "a blank line is no record");

    const LoaderLineData loader = DecodeLoaderLine(line);
    Require(loader.fault.isEmpty() || !loader.hasData, "a faulty loader line carries no data");
    const char type = line.size() > 1 ? line.at(1) : '\0';
    if (loader.hasData) {
        Require(type == '1' || type == '2', "only S1 and S2 lines carry loader bytes");
        const int count = *HexToLong(line.sliced(2, 2));
        const int dataBytes = std::max(0, count - SRecordAddressBytes(type) - 1);
        Require(loader.data.size() == dataBytes, "the count field sets the loader bytes");
    }

    if (!SRecordLineFault(line).isEmpty())
        return;
    // A sound line: every other reader must take it too.
    Require(looksLikeRecord, "a sound line looks like an S-record");
    Require(GetFileType(line.toByteArray()) == kSRecordFileType,
            "a sound line is an S-record file");
    Require(record && static_cast<std::uint8_t>(record->at(2)) == record->size() - 3,
            "a sound record's count is the bytes after it");
    if (type != '1' && type != '2')
        return;
    const int addressBytes = SRecordAddressBytes(type);
    std::uint32_t address = 0;
    for (int i = 0; i < addressBytes; ++i)
        address = (address << 8) | static_cast<std::uint8_t>(record->at(3 + i));
    Require(loader.fault.isEmpty() && loader.hasData, "a sound S1/S2 line is loader data");
    Require(loader.address == address, "the loader address is the record's");
    Require(loader.data == record->mid(3 + addressBytes, record->size() - 4 - addressBytes),
            "the loader bytes are the record's data");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CheckLine(bytes);
    CheckSplitLines(bytes);
    for (const TextLine& line : SplitLines(bytes))
        CheckLine(line.text);
    return 0;
}
