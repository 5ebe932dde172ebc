#pragma once

// Files the tests make and read back whole.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zandor::testing {

// Writes `bytes` to `path`, making its folder first; false when any of it failed.
inline bool WriteTestFile(const QString& path, const QByteArray& bytes = {})
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
        && file.write(bytes) == bytes.size();
}

// The file's bytes; empty when it cannot be read.
inline QByteArray ReadTestFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace zandor::testing
