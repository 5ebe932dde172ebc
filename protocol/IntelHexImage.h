#pragma once

// The application image of an Intel HEX file: its data gathered by address and sent as
// S3 records of at most 64 bytes, cut at 64-byte address boundaries like a binary file's.
// The profile's load offset plays no part: the addresses come from the file.

#include "ApplicationImage.h"

#include <QByteArray>
#include <QString>

namespace zandor::protocol {

// A file whose first line is meant as an Intel HEX record (":" and hexadecimal digits),
// whatever its name, except a file named ".bin", which stays binary. A damaged first
// record still makes it one, so that its fault is reported rather than its text programmed.
bool IsIntelHexFile(const QByteArray& fileBytes, const QString& file);

// Fills `image` with the file's records; progress counts data bytes. A fault names the
// file and, where there is one, the line.
bool BuildIntelHexImage(const QByteArray& fileBytes, ApplicationImage& image, ImageFault* fault);

}  // namespace zandor::protocol
