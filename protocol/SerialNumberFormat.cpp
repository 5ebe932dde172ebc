#include "SerialNumberFormat.h"

#include "SRecordCodec.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <limits>

namespace zandor::protocol {

namespace {

// One row per format: parsing, the choices, the help and the canonical text all come from here.
struct FormatRow {
    const char* name;
    SerialEncoding encoding;
    int fixedWidthBytes;  // 0: the width follows as ":W"
    int maxWidthBytes;
    const char* help;
};

constexpr std::array<FormatRow, 6> kFormats{{
    {"u16le", SerialEncoding::LittleEndian, 2, 2, "2 bytes, least significant first (0 to 65535)"},
    {"u16be", SerialEncoding::BigEndian, 2, 2, "2 bytes, most significant first (0 to 65535)"},
    {"u32le", SerialEncoding::LittleEndian, 4, 4, "4 bytes, least significant first (the default)"},
    {"u32be", SerialEncoding::BigEndian, 4, 4, "4 bytes, most significant first"},
    {"ascii", SerialEncoding::Ascii, 0, kSerialMaxAsciiWidthBytes,
     "W decimal digits, one a byte, zero-padded on the left"},
    {"bcd", SerialEncoding::Bcd, 0, kSerialMaxBcdWidthBytes,
     "W bytes of two decimal digits each, most significant first"},
}};

constexpr char kWidthSeparator = ':';
constexpr int kBitsPerByte = 8;
constexpr int kDigitsPerBcdByte = 2;

QString SetFault(QString* fault, const QString& text)
{
    if (fault)
        *fault = text;
    return text;
}

QString Hex(std::uint64_t value, int digits)
{
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QString RowText(const FormatRow& row)
{
    return QString::fromLatin1(row.name) + (row.fixedWidthBytes ? QString() : QStringLiteral(":W"));
}

int DecimalDigits(const SerialNumberFormat& format)
{
    return format.encoding == SerialEncoding::Bcd ? format.widthBytes * kDigitsPerBcdByte : format.widthBytes;
}

bool CarriesData(const ImageRecord& record)
{
    return record.hasAddress && record.dataBytes > 0 &&
           (record.type == '1' || record.type == '2' || record.type == '3');
}

// Where the data byte for `address` sits in the record's wire bytes: after "S", the type,
// the count and the address field.
int WireIndexOf(const ImageRecord& record, std::uint64_t address)
{
    constexpr int kBytesBeforeAddress = 3;
    return kBytesBeforeAddress + SRecordAddressBytes(record.type) + int(address - record.address);
}

bool Covers(const ImageRecord& record, std::uint64_t address)
{
    return CarriesData(record) && address >= record.address &&
           address < std::uint64_t(record.address) + std::uint64_t(record.dataBytes);
}

}  // namespace

QString SerialNumberFormatChoices()
{
    QStringList names;
    for (const FormatRow& row : kFormats)
        names << RowText(row);
    return names.join(QLatin1Char('|'));
}

QString SerialNumberFormatHelp()
{
    QStringList lines;
    for (const FormatRow& row : kFormats)
        lines << QStringLiteral("  %1 %2").arg(RowText(row), -9).arg(QString::fromLatin1(row.help));
    return lines.join(QLatin1Char('\n'));
}

std::optional<SerialNumberFormat> ParseSerialNumberFormat(const QString& text, QString* fault)
{
    const QString lower = text.trimmed().toLower();
    const QString name = lower.section(kWidthSeparator, 0, 0);
    const bool hasWidth = lower.contains(kWidthSeparator);
    for (const FormatRow& row : kFormats) {
        if (name != QLatin1String(row.name))
            continue;
        if (row.fixedWidthBytes) {
            if (hasWidth)
                break;
            return SerialNumberFormat{row.encoding, row.fixedWidthBytes};
        }
        bool isNumber = false;
        const int width = lower.section(kWidthSeparator, 1).toInt(&isNumber);
        if (!hasWidth || !isNumber || width < kSerialMinWidthBytes || width > row.maxWidthBytes) {
            SetFault(fault, QStringLiteral("The serial number format \"%1\" needs a width of %2 to %3 bytes "
                                           "after \"%4:\" (for example %4:8).")
                                .arg(text)
                                .arg(kSerialMinWidthBytes)
                                .arg(row.maxWidthBytes)
                                .arg(QLatin1String(row.name)));
            return std::nullopt;
        }
        return SerialNumberFormat{row.encoding, width};
    }
    SetFault(fault, QStringLiteral("The serial number format \"%1\" is not one of %2.")
                        .arg(text, SerialNumberFormatChoices()));
    return std::nullopt;
}

QString SerialNumberFormatText(const SerialNumberFormat& format)
{
    for (const FormatRow& row : kFormats) {
        if (row.encoding != format.encoding)
            continue;
        if (!row.fixedWidthBytes)
            return QStringLiteral("%1:%2").arg(QLatin1String(row.name)).arg(format.widthBytes);
        if (row.fixedWidthBytes == format.widthBytes)
            return QString::fromLatin1(row.name);
    }
    return QString();
}

std::uint64_t SerialNumberLimit(const SerialNumberFormat& format)
{
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    if (format.encoding == SerialEncoding::LittleEndian || format.encoding == SerialEncoding::BigEndian) {
        if (format.widthBytes * kBitsPerByte >= 64)
            return kMax;
        return (std::uint64_t(1) << (format.widthBytes * kBitsPerByte)) - 1;
    }
    std::uint64_t limit = 0;
    for (int digit = 0; digit < DecimalDigits(format); ++digit) {
        if (limit > (kMax - 9) / 10)
            return kMax;  // more digits than a 64-bit number has
        limit = limit * 10 + 9;
    }
    return limit;
}

std::optional<QByteArray> EncodeSerialNumber(std::uint64_t number, const SerialNumberFormat& format,
                                             QString* fault)
{
    if (number > SerialNumberLimit(format)) {
        SetFault(fault, QStringLiteral("The serial number %1 does not fit the format %2 (at most %3).")
                            .arg(number)
                            .arg(SerialNumberFormatText(format))
                            .arg(SerialNumberLimit(format)));
        return std::nullopt;
    }
    const int width = format.widthBytes;
    QByteArray bytes(width, '\0');
    switch (format.encoding) {
    case SerialEncoding::LittleEndian:
    case SerialEncoding::BigEndian:
        for (int i = 0; i < width; ++i) {
            const int at = format.encoding == SerialEncoding::LittleEndian ? i : width - 1 - i;
            bytes[at] = char(i * kBitsPerByte < 64 ? (number >> (i * kBitsPerByte)) & 0xFF : 0);
        }
        break;
    case SerialEncoding::Ascii:
        bytes = QByteArray::number(qulonglong(number)).rightJustified(width, '0');
        break;
    case SerialEncoding::Bcd: {
        const QByteArray digits = QByteArray::number(qulonglong(number)).rightJustified(DecimalDigits(format), '0');
        for (int i = 0; i < width; ++i)
            bytes[i] = char(((digits.at(2 * i) - '0') << 4) | (digits.at(2 * i + 1) - '0'));
        break;
    }
    }
    return bytes;
}

std::optional<QByteArray> ParseSerialPlaceholder(const QString& hexText, int widthBytes, QString* fault)
{
    const QString text = hexText.trimmed();
    if (text.isEmpty())
        return QByteArray(widthBytes, char(kSerialDefaultPlaceholderByte));
    const QByteArray bytes = QByteArray::fromHex(text.toLatin1());
    static const QRegularExpression hexDigits(QStringLiteral("^([0-9A-Fa-f]{2})+$"));
    const bool wellFormed = hexDigits.match(text).hasMatch();
    if (wellFormed && bytes.size() == 1)
        return QByteArray(widthBytes, bytes.at(0));
    if (wellFormed && bytes.size() == widthBytes)
        return bytes;
    SetFault(fault, QStringLiteral("The serial number placeholder \"%1\" must be one byte or %2 bytes "
                                   "in hexadecimal (for example FF).")
                        .arg(hexText)
                        .arg(widthBytes));
    return std::nullopt;
}

QString SerialNumberPlaceFault(const ApplicationImage& image, std::uint32_t address, const QByteArray& placeholder)
{
    for (int i = 0; i < placeholder.size(); ++i) {
        const std::uint64_t at = std::uint64_t(address) + std::uint64_t(i);
        bool covered = false;
        for (const ImageRecord& record : image.records) {
            if (!Covers(record, at))
                continue;
            covered = true;
            const auto held = std::uint8_t(record.wire.at(WireIndexOf(record, at)));
            if (held != std::uint8_t(placeholder.at(i))) {
                return QStringLiteral("The serial number cannot go at %1h: %2 holds %3h at %4h where the "
                                      "placeholder %5h should be, so it would overwrite code or data. "
                                      "Give the address the firmware reserves for the number.")
                    .arg(Hex(address, 8), image.file, Hex(held, 2), Hex(at, 8),
                         QString::fromLatin1(placeholder.toHex().toUpper()));
            }
        }
        if (!covered) {
            return QStringLiteral("The serial number cannot go at %1h: its byte at %2h lies outside the data "
                                  "of %3. Give the address the firmware reserves for the number.")
                .arg(Hex(address, 8), Hex(at, 8), image.file);
        }
    }
    return QString();
}

std::optional<ApplicationImage> WithSerialNumber(const ApplicationImage& image, std::uint32_t address,
                                                 const QByteArray& bytes, const QByteArray& placeholder,
                                                 QString* fault)
{
    if (bytes.size() != placeholder.size()) {
        SetFault(fault, QStringLiteral("The serial number has %1 bytes but its placeholder %2.")
                            .arg(bytes.size())
                            .arg(placeholder.size()));
        return std::nullopt;
    }
    const QString placeFault = SerialNumberPlaceFault(image, address, placeholder);
    if (!placeFault.isEmpty()) {
        SetFault(fault, placeFault);
        return std::nullopt;
    }
    ApplicationImage patched = image;
    for (ImageRecord& record : patched.records) {
        bool touched = false;
        for (int i = 0; i < bytes.size(); ++i) {
            const std::uint64_t at = std::uint64_t(address) + std::uint64_t(i);
            if (!Covers(record, at))
                continue;
            record.wire[WireIndexOf(record, at)] = bytes.at(i);
            touched = true;
        }
        if (touched)
            record.wire.back() = char(BinaryRecordChecksum(record.wire.first(record.wire.size() - 1)));
    }
    return patched;
}

}  // namespace zandor::protocol
