#pragma once

// The digest of what an image puts on the line, shared by `check` (which shows it) and a
// gang run (whose board processes refuse an image that differs from the one checked).

#include "ApplicationImage.h"

#include <QByteArray>
#include <QString>

namespace zandor::protocol {

// SHA-256 over every record's address and bytes, in order: two images with the same
// digest program the same memory. 32 bytes.
QByteArray ImageDigest(const ApplicationImage& image);
// The same in lower-case hexadecimal, as `check --json`, the log and the gang's guard write it.
QString ImageDigestText(const ApplicationImage& image);

}  // namespace zandor::protocol
