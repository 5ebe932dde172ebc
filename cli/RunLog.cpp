#include "RunLog.h"

#include "ExitCodes.h"
#include "platform/TimeUnits.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zandor::cli {

namespace {
constexpr int kLogFileMode = 0644;
using platform::kMillisecondsPerSecond;
}  // namespace

QString MemoryName(int memoryKind)
{
    switch (memoryKind) {
    case 2:
        return QStringLiteral("external");
    case 3:
        return QStringLiteral("data");
    case 4:
        return QStringLiteral("ds1994");
    default:
        return QStringLiteral("cpu");
    }
}

QJsonObject BoardRecordJson(const BoardRecord& record)
{
    return {
        {"time", QDateTime::currentDateTime().toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
                     .toString(Qt::ISODateWithMs)},
        {"port", record.port},
        {"board", record.board},
        {"result", ResultWord(record.exitCode)},
        {"exit_code", record.exitCode},
        {"seconds", qRound(record.seconds * kMillisecondsPerSecond) / kMillisecondsPerSecond},
        {"memory", MemoryName(record.memoryKind)},
        {"profile", record.profile},
        {"file", record.file},
        {"size", record.size},
        {"sha256", QString::fromLatin1(record.sha256.toHex())},
    };
}

namespace {
int OpenForAppending(const QString& path, QString* error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC,
                          kLogFileMode);
    if (fd < 0)
        *error = QStringLiteral("cannot write the log %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return fd;
}
}  // namespace

bool CanAppendTo(const QString& path, QString* error)
{
    const int fd = OpenForAppending(path, error);
    if (fd >= 0)
        ::close(fd);
    return fd >= 0;
}

bool AppendBoardRecord(const QString& path, const BoardRecord& record, QString* error)
{
    const QByteArray line = QJsonDocument(BoardRecordJson(record)).toJson(QJsonDocument::Compact) + '\n';
    const int fd = OpenForAppending(path, error);
    if (fd < 0)
        return false;
    const ssize_t written = ::write(fd, line.constData(), size_t(line.size()));
    const int writeErrno = errno;
    ::close(fd);
    if (written != line.size()) {
        *error = QStringLiteral("cannot write the log %1: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(written < 0 ? writeErrno : ENOSPC)));
        return false;
    }
    return true;
}

}  // namespace zandor::cli
