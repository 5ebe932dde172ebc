#pragma once

// Reading the files the protocol sends: the pre-loader, the loaders and the application.
// Only regular files of a sane size are read. Anything else is refused before it is
// opened, because opening a FIFO blocks until someone writes to it, a device such as
// /dev/zero never ends, and opening a serial device may toggle its modem lines.

#include <QByteArray>
#include <QString>

namespace zandor::platform {

// The largest memory programmed here is well under 1 MiB; its S-record file is a few MiB.
constexpr qint64 kMaxInputFileBytes = 64 * 1024 * 1024;

enum class InputFileError {
    None,
    Missing,     // no name, or nothing at that path
    Unreadable,  // exists, but cannot be opened (permission)
    NotRegular,  // a folder, FIFO, device or socket: refused without opening it
    TooLarge,    // above kMaxInputFileBytes: refused without reading it
    ReadFailed,  // opened, but reading it failed
};

struct InputFile {
    QByteArray bytes;
    InputFileError error = InputFileError::None;
    QString reason;  // why it cannot be read, in plain words ("it is a FIFO")

    bool ok() const { return error == InputFileError::None; }
};

InputFile ReadInputFile(const QString& path);

}  // namespace zandor::platform
