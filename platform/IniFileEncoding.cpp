#include "IniFileEncoding.h"

#include "IniFileBackup.h"

#include <QFile>
#include <QSaveFile>
#include <QStringConverter>
#include <optional>

namespace zandor::platform {

namespace {

// Decodes `bytes`; false when they are not valid in `encoding` or hold a NUL character,
// which ends a line early in the INI parser.
bool DecodeText(const QByteArray& bytes, QStringConverter::Encoding encoding, QString* text)
{
    QStringDecoder decoder(encoding);  // skips a leading byte-order mark
    *text = decoder(bytes);
    return !decoder.hasError() && !text->contains(QChar::Null);
}

bool WriteWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);  // a new file renamed over the old one: never half written
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()
           && file.commit();
}

}  // namespace

std::optional<QByteArray> Utf8FormOfIniFile(const QByteArray& bytes)
{
    const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
    QString text;
    if (!marked || !DecodeText(bytes, *marked, &text))
        return std::nullopt;
    return text.toUtf8();
}

IniFileCheck PrepareIniFile(const QString& iniPath)
{
    IniFileCheck check;
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly))
        return check;
    const QByteArray bytes = file.readAll();
    file.close();

    QString text;
    const std::optional<QStringConverter::Encoding> marked =
        QStringConverter::encodingForData(bytes);  // only from a byte-order mark
    if (!marked) {
        check.unreadable = !DecodeText(bytes, QStringConverter::Utf8, &text);
        return check;
    }
    if (!DecodeText(bytes, *marked, &text)) {
        check.unreadable = true;
        return check;
    }
    QString error;  // a failed copy is retried, and reported, before the first write
    check.backupPath = BackUpIniFile(iniPath, &error);
    if (check.backupPath.isEmpty() || !WriteWhole(iniPath, text.toUtf8()))
        check.unreadable = true;  // still the original bytes
    return check;
}

}  // namespace zandor::platform
