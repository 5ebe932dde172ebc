#pragma once

// A board's serial number as bytes in its application image. The firmware reserves a few
// bytes for it (a placeholder, all FFh unless it says otherwise); each board's image gets
// its own number written there before the download. Pure functions: nothing here opens a
// file or takes a number from the counter.

#include "ApplicationImage.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace zandor::protocol {

enum class SerialEncoding {
    LittleEndian,  // binary, least significant byte first
    BigEndian,     // binary, most significant byte first
    Ascii,         // decimal digits, zero-padded on the left
    Bcd,           // two decimal digits a byte, most significant first, zero-padded
};

struct SerialNumberFormat {
    SerialEncoding encoding = SerialEncoding::LittleEndian;
    int widthBytes = 4;  // bytes the number takes in the image

    bool operator==(const SerialNumberFormat& other) const
    {
        return encoding == other.encoding && widthBytes == other.widthBytes;
    }
};

// Limits of the ":W" width of ascii and bcd: a 64-bit number has at most 20 decimal digits.
constexpr int kSerialMinWidthBytes = 1;
constexpr int kSerialMaxAsciiWidthBytes = 20;
constexpr int kSerialMaxBcdWidthBytes = 10;
constexpr std::uint8_t kSerialDefaultPlaceholderByte = 0xFF;  // erased flash
constexpr const char* kSerialDefaultFormatText = "u32le";

// "u16le|u16be|u32le|u32be|ascii:W|bcd:W", from the format table.
QString SerialNumberFormatChoices();
// One line per format for a help text: "  u32le     4 bytes, least significant first".
QString SerialNumberFormatHelp();

// "u32le", "ascii:8", ... (either letter case). Nothing (fault set, naming the text and the
// choices) for anything else, or a width outside the limits.
std::optional<SerialNumberFormat> ParseSerialNumberFormat(const QString& text, QString* fault = nullptr);
// The text that parses back to `format` ("bcd:4").
QString SerialNumberFormatText(const SerialNumberFormat& format);

// The largest number the format holds (FFFFh for u16le, 99999999 for ascii:8).
std::uint64_t SerialNumberLimit(const SerialNumberFormat& format);
// `number` as the format's `widthBytes` bytes. Nothing (fault set) when it does not fit.
std::optional<QByteArray> EncodeSerialNumber(std::uint64_t number, const SerialNumberFormat& format,
                                             QString* fault = nullptr);

// The bytes the firmware reserves, from hexadecimal text: either exactly `widthBytes` bytes
// ("FFFFFFFF") or one byte repeated to the width ("FF"). The empty text gives all FFh.
std::optional<QByteArray> ParseSerialPlaceholder(const QString& hexText, int widthBytes,
                                                 QString* fault = nullptr);

// Why `placeholder.size()` bytes at `address` cannot take a serial number: a byte that no
// data record of the image covers, or one that does not hold the placeholder (the address
// would overwrite code or data). Empty when the place is sound.
QString SerialNumberPlaceFault(const ApplicationImage& image, std::uint32_t address,
                               const QByteArray& placeholder);

// A copy of `image` with `bytes` written at `address` into every data record that covers
// them, each touched record's checksum recomputed. Nothing (fault set, as above) when the
// place is not sound; `bytes` and `placeholder` have the same size.
std::optional<ApplicationImage> WithSerialNumber(const ApplicationImage& image, std::uint32_t address,
                                                 const QByteArray& bytes, const QByteArray& placeholder,
                                                 QString* fault = nullptr);

}  // namespace zandor::protocol
