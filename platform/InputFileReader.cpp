#include "InputFileReader.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zandor::platform {

namespace {

InputFile Refused(InputFileError error, const QString& reason)
{
    InputFile file;
    file.error = error;
    file.reason = reason;
    return file;
}

QString TooLargeText(qint64 size)
{
    return QStringLiteral("it holds %1 bytes, more than the %2 MiB a flash image can take")
        .arg(size)
        .arg(kMaxInputFileBytes / (1024 * 1024));
}

QString KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("it is a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("it is a FIFO (named pipe), not a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("it is a socket, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("it is a device, not a regular file");
    return QStringLiteral("it is not a regular file");
}

QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

InputFile ReadRegularFile(const QByteArray& path)
{
    struct stat info;
    if (::stat(path.constData(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return Refused(InputFileError::Missing, QStringLiteral("the file does not exist"));
        return Refused(InputFileError::Unreadable, SystemText(errno));
    }
    if (!S_ISREG(info.st_mode))
        return Refused(InputFileError::NotRegular, KindOf(info.st_mode));
    if (info.st_size > kMaxInputFileBytes)
        return Refused(InputFileError::TooLarge, TooLargeText(info.st_size));

    // Non-blocking, so a file swapped for a FIFO between the check and the open cannot
    // hang us; the descriptor is checked again below.
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Refused(InputFileError::Unreadable, SystemText(errno));
    InputFile file;
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return Refused(InputFileError::Unreadable, SystemText(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return Refused(InputFileError::NotRegular, KindOf(info.st_mode));
    }
    // Read until the end, but never more than the limit: the file may grow while we read.
    char chunk[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            file = Refused(InputFileError::ReadFailed, SystemText(errno));
            break;
        }
        if (got == 0)
            break;
        if (file.bytes.size() + got > kMaxInputFileBytes) {
            file = Refused(InputFileError::TooLarge, TooLargeText(file.bytes.size() + got));
            break;
        }
        file.bytes.append(chunk, got);
    }
    ::close(fd);
    return file;
}

}  // namespace

InputFile ReadInputFile(const QString& path)
{
    if (path.isEmpty())
        return Refused(InputFileError::Missing, QStringLiteral("no file name is given"));
    return ReadRegularFile(QFile::encodeName(path));
}

}  // namespace zandor::platform
