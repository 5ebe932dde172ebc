#pragma once

// What `check` tells about an image beyond its summary: the name of its file format, the
// download time to expect, and what the flash may not take as it is. Pure functions.

#include "ApplicationImage.h"

#include <QString>
#include <QStringList>

namespace zandor::protocol {

// "S-record", "binary", "Intel HEX": the name of a file type code (kSRecordFileType ...),
// from the one table of the formats an application file may have; empty for another code.
QString FileTypeName(int fileType);

// Seconds the download of `image` takes at `baud` on an adapter without latency: the
// loader waits for each record's acknowledgement before the next, so every record costs
// its bytes plus the one-byte acknowledgement, each 10 bits on the line.
double EstimatedDownloadSeconds(const ApplicationImage& image, int baud);

// The flash is programmed in 16-bit words: a range that starts at an odd address or holds
// an odd number of bytes leaves a word half given. One warning a range, in address order;
// none when every range is whole words.
QStringList WordAlignmentWarnings(const QList<AddressRange>& ranges);

}  // namespace zandor::protocol
