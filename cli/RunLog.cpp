#include "RunLog.h"

#include "CliOptions.h"
#include "ExitCodes.h"
#include "platform/ProductInfo.h"
#include "platform/TimeUnits.h"
#include "protocol/ChipIdentification.h"
#include "protocol/FailureText.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zandor::cli {

namespace {
constexpr int kLogFileMode = 0644;
using platform::kMillisecondsPerSecond;
}  // namespace

const QStringList& BoardRecordKeys()
{
    static const QStringList keys = {
        QStringLiteral("time"),         QStringLiteral("started"),         QStringLiteral("host"),
        QStringLiteral("version"),      QStringLiteral("operator"),        QStringLiteral("port"),
        QStringLiteral("board"),        QStringLiteral("result"),          QStringLiteral("exit_code"),
        QStringLiteral("seconds"),      QStringLiteral("memory"),          QStringLiteral("profile"),
        QStringLiteral("file"),         QStringLiteral("size"),            QStringLiteral("sha256"),
        QStringLiteral("image_sha256"), QStringLiteral("preloader_sha256"), QStringLiteral("loader_sha256"),
        QStringLiteral("chip"),         QStringLiteral("chip_name"),       QStringLiteral("serial"),
        QStringLiteral("skipped_records"), QStringLiteral("phase"),        QStringLiteral("bank"),
        QStringLiteral("record"),       QStringLiteral("address"),         QStringLiteral("message"),
    };
    return keys;
}

namespace {

QString LocalIsoTime(const QDateTime& time)
{
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QJsonValue HexOrNull(const QByteArray& bytes)
{
    return bytes.isEmpty() ? QJsonValue() : QJsonValue(QString::fromLatin1(bytes.toHex()));
}

QJsonValue TextOrNull(const QString& text) { return text.isEmpty() ? QJsonValue() : QJsonValue(text); }

template <typename T>
QJsonValue NumberOrNull(const std::optional<T>& number)
{
    return number ? QJsonValue(qint64(*number)) : QJsonValue();
}

}  // namespace

QJsonObject BoardRecordJson(const BoardRecord& record)
{
    QJsonObject line{
        {"time", LocalIsoTime(QDateTime::currentDateTime())},
        {"started", record.started.isValid() ? QJsonValue(LocalIsoTime(record.started)) : QJsonValue()},
        {"host", TextOrNull(QSysInfo::machineHostName())},
        {"version", platform::VersionString()},
        {"operator", TextOrNull(record.operatorName)},
        {"port", record.port},
        {"board", record.board},
        {"result", record.crashed ? QStringLiteral("crashed") : ResultWord(record.exitCode)},
        {"exit_code", record.exitCode},
        {"seconds", qRound(record.seconds * kMillisecondsPerSecond) / kMillisecondsPerSecond},
        {"memory", MemoryOptionName(record.memoryKind)},
        {"profile", record.profile},
        {"file", record.file},
        {"size", record.size},
        {"sha256", QString::fromLatin1(record.sha256.toHex())},
        {"image_sha256", HexOrNull(record.imageSha256)},
        {"preloader_sha256", HexOrNull(record.preloaderSha256)},
        {"loader_sha256", HexOrNull(record.loaderSha256)},
        {"chip", record.chip ? QJsonValue(protocol::ChipByteText(*record.chip)) : QJsonValue()},
        {"chip_name", record.chip ? QJsonValue(protocol::IdentificationMeaning(*record.chip)) : QJsonValue()},
        {"serial", NumberOrNull(record.serial)},
        {"skipped_records", NumberOrNull(record.skippedRecords)},
        {"phase", TextOrNull(record.phase)},
        {"bank", NumberOrNull(record.bank)},
        {"record", NumberOrNull(record.record)},
        {"address", record.address ? QJsonValue(QString::number(*record.address, 16).toUpper()) : QJsonValue()},
        {"message", TextOrNull(record.message)},
    };
    return line;
}

namespace {

QString CannotWrite(const QString& path, const QString& why)
{
    return QStringLiteral("cannot write the log %1: %2").arg(path, why);
}

QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// Opened without blocking, so a FIFO that no program reads is refused at once rather than
// waiting for a reader (and a Ctrl-C); a FIFO with a reader (a log collector) and a
// character device such as /dev/stdout are written as files are, blocking again once open.
int OpenForAppending(const QString& path, QString* error)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK,
                          kLogFileMode);
    if (fd < 0) {
        const int openErrno = errno;
        struct stat info;
        const bool fifo = ::stat(name.constData(), &info) == 0 && S_ISFIFO(info.st_mode);
        *error = CannotWrite(path, openErrno == ENXIO && fifo
                                       ? QStringLiteral("it is a FIFO (named pipe) that no program reads: start "
                                                        "its reader first")
                                       : SystemText(openErrno));
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Writes all of `bytes`; the errno of the write that failed, or 0.
int WriteWhole(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        done += written;
    }
    return 0;
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
    // Every writer appends under the lock, so the end of the file is where this line
    // starts until the lock is let go. (A file system without locks still gets the line.)
    int locked = 0;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    struct stat info;
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const int writeErrno = WriteWhole(fd, line);
    bool cutBack = false;
    if (writeErrno != 0 && regular) {
        // Whole or not at all: a torn line would glue onto the next writer's, losing both.
        struct stat after;
        cutBack = ::fstat(fd, &after) == 0 && after.st_size > info.st_size && ::ftruncate(fd, info.st_size) == 0;
    }
    if (locked == 0)
        ::flock(fd, LOCK_UN);
    ::close(fd);
    if (writeErrno != 0) {
        *error = CannotWrite(path, SystemText(writeErrno)
                                       + (cutBack ? QStringLiteral(" (the part written was taken back)") : QString()));
        return false;
    }
    return true;
}

}  // namespace zandor::cli
