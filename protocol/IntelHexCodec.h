#pragma once

// Intel HEX files (".hex", ".h86", ".ihx"), as the C166 toolchains' object-hex converters
// write them: records in any order, some only one byte long, addresses in the 16-bit,
// the segment (type 02) or the linear (type 04) form. Pure functions over bytes: the data
// is gathered by address and checked whole; nothing here opens a file.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace zandor::protocol {

// Record types ("type" field, the fourth byte of a record).
constexpr std::uint8_t kIntelHexData = 0x00;
constexpr std::uint8_t kIntelHexEndOfFile = 0x01;
constexpr std::uint8_t kIntelHexSegmentBase = 0x02;  // paragraph number: base = value x 16
constexpr std::uint8_t kIntelHexSegmentStart = 0x03; // CS:IP of the entry point, ignored
constexpr std::uint8_t kIntelHexLinearBase = 0x04;   // upper 16 address bits
constexpr std::uint8_t kIntelHexLinearStart = 0x05;  // 32-bit entry point, ignored
constexpr char kIntelHexRecordStart = ':';
// A data record's 16-bit offset must not run past the end of its 64 KiB window.
constexpr std::uint32_t kIntelHexWindowBytes = 0x10000;

// ":" then only hexadecimal digits: a line meant as an Intel HEX record, even when its
// count or checksum is wrong.
bool LooksLikeIntelHexLine(QByteArrayView line);

// Full check of one line's form: ":", an even number of valid digits, at least count,
// address, type and checksum, a count matching the length, the right checksum. Empty
// text when the line is sound (its type and its meaning are not judged here).
QString IntelHexLineFault(QByteArrayView line);

// A run of data bytes at consecutive addresses, from one record or several.
struct IntelHexSpan {
    std::uint32_t address = 0;
    qsizetype offset = 0;  // where its bytes start in IntelHexData::bytes
    qsizetype length = 0;
    int line = 0;          // the (first) record's 1-based line
};

// Everything a file's data records hold: spans sorted by address, disjoint (an overlap
// with equal bytes is kept once), their bytes in `bytes`.
struct IntelHexData {
    QByteArray bytes;
    QList<IntelHexSpan> spans;
    qsizetype dataBytes = 0;  // the total length of the spans
};

// Where and why a file cannot be read. `line` 0: the whole file (no end record).
struct IntelHexFault {
    int line = 0;
    QString text;  // without the file's name
};

// Reads a whole file up to its end-of-file record. Lines end with CR LF or LF; blank
// lines are skipped; nothing after the end record is read. Refused: a damaged record, an
// unknown type, a data record running past its 64 KiB window (the two address forms put
// its tail in different places), data overlapping other data with different bytes, and a
// file without its end record.
std::optional<IntelHexData> DecodeIntelHex(QByteArrayView fileBytes, IntelHexFault* fault);

}  // namespace zandor::protocol
