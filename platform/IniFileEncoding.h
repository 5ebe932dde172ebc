#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zandor::platform {

// What PrepareIniFile found in a settings file and did with it.
struct IniFileCheck {
    // Where the original was kept before the file was rewritten as UTF-8; empty when the
    // file was left as it is.
    QString backupPath;
    // The file holds bytes that are no text QSettings reads faithfully (invalid UTF-8, NUL
    // bytes, a broken UTF-16 file) and was left as it is.
    bool unreadable = false;
};

// QSettings reads an INI file as UTF-8 only. A file a text editor saved as UTF-16 (LE or
// BE, with its byte-order mark) would be read as garbage, and Qt 6.4 reads a UTF-8 file
// that starts with a byte-order mark but reports a format error for it. Such a file (any
// Unicode form with a byte-order mark) is copied beside itself (BackUpIniFile) and
// rewritten as UTF-8 without the mark, replacing it in one step, before QSettings opens
// it. A file that is missing or cannot be opened is left to QSettings.
IniFileCheck PrepareIniFile(const QString& iniPath);

// The UTF-8 form of a settings file in another Unicode form (a byte-order mark says which);
// nothing when the bytes need no conversion or cannot be decoded. Changes no file.
std::optional<QByteArray> Utf8FormOfIniFile(const QByteArray& bytes);

}  // namespace zandor::platform
