#include "IniFileBackup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zandor::platform {

namespace {

const QString kBackupSuffix = QStringLiteral(".bak");

QString BackupName(const QString& iniPath, int number)
{
    const QString first = iniPath + kBackupSuffix;
    return number == 0 ? first : first + QLatin1Char('.') + QString::number(number);
}

bool HoldsExactly(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() == contents.size()
           && file.readAll() == contents;
}

}  // namespace

QString BackUpIniFile(const QString& iniPath, QString* error)
{
    QFile original(iniPath);
    if (!original.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be read (%2)")
                     .arg(QDir::toNativeSeparators(iniPath), original.errorString());
        return QString();
    }
    const QByteArray contents = original.readAll();
    original.close();

    for (int number = 0; number <= kMaxIniBackupNumber; ++number) {
        const QString candidate = BackupName(iniPath, number);
        if (QFileInfo::exists(candidate)) {
            if (HoldsExactly(candidate, contents))
                return candidate;
            continue;  // an earlier, different original: keep it
        }
        // QFile::copy never replaces an existing file and keeps the original's permissions.
        if (original.copy(candidate))
            return candidate;
        *error = QStringLiteral("%1 cannot be written (%2); check the folder's free space and "
                                "permissions")
                     .arg(QDir::toNativeSeparators(candidate), original.errorString());
        return QString();
    }
    *error = QStringLiteral("%1 to %2 already hold earlier copies; move away those no longer "
                            "needed")
                 .arg(QDir::toNativeSeparators(BackupName(iniPath, 0)),
                      QDir::toNativeSeparators(BackupName(iniPath, kMaxIniBackupNumber)));
    return QString();
}

}  // namespace zandor::platform
