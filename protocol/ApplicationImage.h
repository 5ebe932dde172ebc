#pragma once

// The application image: an S-record, Intel HEX or binary file read once, checked whole and turned
// into exactly the records that go on the wire. The erase starts only for an image that
// can be sent completely, and the download sends this image, never the file again, so a
// file edited or deleted during the erase cannot change what is programmed.

#include "InputFile.h"
#include "profiles/ProfileData.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace zandor::protocol {

struct ImageRecord {
    QByteArray wire;            // the bytes on the line, checksum included
    qint64 progressBytes = 0;   // file bytes the record accounts for (blank lines before it too)
    int line = 0;               // 1-based line of an S-record file; 0 for a binary or Intel HEX chunk
    char type = 0;              // record type digit ("3" for the chunks of a binary file)
    bool hasAddress = false;
    std::uint32_t address = 0;  // where its data lands
    int dataBytes = 0;          // data bytes it carries (0 for headers and terminators)
};

struct ApplicationImage {
    QString file;                     // as the profile names it
    int fileType = 0;                 // kBinaryFileType, kSRecordFileType or kIntelHexFileType
    qint64 fileBytes = 0;             // the file's length
    qint64 progressTotal = 0;         // the file's length; an Intel HEX file's data bytes
    std::uint32_t loadAddress = 0;    // a binary file's first byte lands here
    QList<ImageRecord> records;
    qint64 trailingProgressBytes = 0; // blank lines after the last record
    QByteArray sha256;                // of the file as it was read (32 bytes)
};

// Where and why a file cannot be programmed.
struct ImageFault {
    int line = 0;  // 0: the whole file
    QString text;  // the whole message, the file named
};

// One S3 record for 1 to 64 data bytes at `address`, as binary and Intel HEX files send them.
ImageRecord DataChunkRecord(const QByteArray& chunk, std::uint32_t address);

// Builds the image of `fileBytes`. `offsetText` is the hexadecimal load offset of a binary
// file (empty counts as 0). A file whose first line looks like an S-record or an Intel HEX
// record but fails its check is refused rather than programmed as raw text. Pure: opens nothing.
std::optional<ApplicationImage> BuildApplicationImage(const QByteArray& fileBytes, const QString& file,
                                                      const QString& offsetText, ImageFault* fault);

// The status label of a memory kind's download ("CPU: Sending "); empty outside 1 to 4.
QString DownloadLabel(profiles::MemoryKind memoryKind);

// The memory kind's application file read and built into an image.
struct ApplicationLoad {
    std::optional<ApplicationImage> image;
    InputFileError fileError = InputFileError::None;  // why the file could not be read
    ImageFault fault;                                  // set when there is no image
};
ApplicationLoad LoadApplicationImage(const profiles::ProfileData& profile, profiles::MemoryKind memoryKind);

// What a file holds, for a user checking it: record counts by type, the address ranges
// the data covers (merged, inclusive) and the number of data bytes.
struct AddressRange {
    std::uint32_t first = 0;
    std::uint32_t last = 0;  // inclusive
};
struct ImageSummary {
    QList<QPair<char, int>> recordsByType;  // in type order
    QList<AddressRange> ranges;
    qint64 dataBytes = 0;
};
ImageSummary SummarizeImage(const ApplicationImage& image);

}  // namespace zandor::protocol
