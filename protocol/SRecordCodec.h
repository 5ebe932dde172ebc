#pragma once

// Conversions between S-record / binary files and what goes over the wire. Pure functions
// over bytes and strings: none of them opens a file. A fault is reported as a short text
// (empty when there is none) that the caller places next to the file name and line.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace zandor::protocol {

// Hexadecimal text of any length (either letter case) to a number from 0 to 7FFFFFFFh.
// The empty text gives 0. Nothing (and `fault` set) for a character outside 0-9, A-F,
// a-f or a value above 7FFFFFFFh.
std::optional<std::int32_t> HexToLong(QByteArrayView text, QString* fault = nullptr);
std::optional<std::int32_t> HexToLong(const QString& text, QString* fault = nullptr);

// 255 - (sum of the two-digit slices mod 256) as two upper-case digits ("0F", "00").
// An odd-length text ends with a one-digit slice. Nothing when a digit is not hexadecimal.
std::optional<QString> SRecordChecksum(QByteArrayView fields, QString* fault = nullptr);

// 3 (kSRecordFileType) when the bytes begin with a complete S-record whose checksum is
// right (digits compared without regard to letter case), else 1 (kBinaryFileType).
int GetFileType(const QByteArray& firstBytes);

// One line of a text file without its line end, with its 1-based number and the bytes
// it took in the file (line end included), so progress can count what was really read.
struct TextLine {
    QByteArray text;
    int number = 0;
    qint64 fileBytes = 0;
};
// CR LF, LF alone and CR alone each end a line. A last line without a line end counts.
QList<TextLine> SplitLines(const QByteArray& fileBytes);
// Empty, or only blanks and tabs.
bool IsBlankLine(QByteArrayView line);

// What one loader line contributes: data bytes from `address` upward, or nothing.
struct LoaderLineData {
    QString fault;          // not empty: the line is unusable
    bool hasData = false;   // false: a skipped record type (header, S3, terminator ...)
    std::uint32_t address = 0;
    QByteArray data;
};
// S1 and S2 lines give their address and data bytes (the checksum is not checked); any
// other type is skipped. Fault: no leading "S", a bad digit, or fewer data digits than
// the count field promises.
LoaderLineData DecodeLoaderLine(QByteArrayView line);

// An application line as a binary record: "S", the type character, then one byte per
// two digits from the count to the line's own checksum. Nothing (fault set) when the
// line does not begin with "S", has no type character, or holds a bad digit.
std::optional<QByteArray> LineToBinaryRecord(QByteArrayView line, QString* fault = nullptr);

// Address bytes of an S-record type: S0, S1, S5, S9 two; S2, S6, S8 three; S3, S7 four.
// 0 for a type no loader takes ("4", a letter).
int SRecordAddressBytes(char type);

// "S", a digit, then only hexadecimal digits: a line meant as an S-record, even when its
// checksum or count is wrong.
bool LooksLikeSRecordLine(QByteArrayView line);

// A file of text lines only: printable ASCII, tabs and line ends (at least one), perhaps
// after a UTF-8 byte order mark. No real binary image is made of text alone; such a file
// is a damaged or foreign text file (an S-record file saved with a byte order mark or a
// blank first line, a hexadecimal file of another format).
bool IsTextFile(QByteArrayView bytes);

// Why a text file that is not an S-record file cannot be programmed: the line number
// (from 1) of its first fault and the fault.
struct TextFileFault {
    int line = 1;
    QString fault;
};
TextFileFault FirstTextFileFault(const QByteArray& bytes);

// Full check of one S-record line: "S", a record type a loader takes, even digit count,
// valid digits, count field matching the length and covering the type's address and the
// checksum, right checksum. Empty text when the line is sound.
QString SRecordLineFault(QByteArrayView line);

// The head of an S3 record for 1 to 64 file bytes placed at `address` (checksum not
// included: SendRecord appends it).
QByteArray ChunkToBinaryRecord(const QByteArray& chunk, std::uint32_t address);

// Binary record checksum over head[2..]: 255 - (sum mod 256).
std::uint8_t BinaryRecordChecksum(const QByteArray& head);

// sent x 100 / total rounded half to even; an empty total is 100.
int ProgressPercent(qint64 sent, qint64 total);
// A percentage as the status bar shows it: "42%".
QString PercentText(int percent);
// PercentText of ProgressPercent.
QString ProgressPercentText(qint64 sent, qint64 total);

}  // namespace zandor::protocol
