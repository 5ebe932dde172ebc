#include "SerialCounterFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zandor::platform {

namespace {

constexpr int kMaxCounterFileBytes = 64;  // "18446744073709551615\n" and some slack
constexpr mode_t kCounterFileMode = 0644;
constexpr const char* kTemporarySuffix = ".tmp";

bool Fail(QString* fault, const QString& text)
{
    if (fault)
        *fault = text;
    return false;
}

QString SystemText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Closes the descriptor (and so drops its lock) however the take ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

bool ReadAll(int fd, QByteArray& text)
{
    char buffer[kMaxCounterFileBytes + 1];
    ssize_t total = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer + total, sizeof buffer - total, total);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0 || (total += got) == ssize_t(sizeof buffer))
            break;
    }
    text = QByteArray(buffer, int(total));
    return true;
}

// The file's number; `start` for an empty file.
std::optional<std::uint64_t> ParseCounter(const QByteArray& raw, const QString& path, std::uint64_t start,
                                          QString* fault)
{
    const QByteArray text = raw.trimmed();
    if (raw.isEmpty())
        return start;
    bool ok = !text.isEmpty() && raw.size() <= kMaxCounterFileBytes;
    for (char c : text)
        ok = ok && c >= '0' && c <= '9';
    const std::uint64_t number = ok ? text.toULongLong(&ok) : 0;
    if (!ok) {
        Fail(fault, QStringLiteral("The serial number counter %1 holds \"%2\", not a number. Put the next "
                                   "number in it as one line of digits, or remove it to start again.")
                        .arg(path, QString::fromLatin1(text.left(kMaxCounterFileBytes))));
        return std::nullopt;
    }
    return number;
}

bool WriteWhole(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        done += wrote;
    }
    return true;
}

// Writes `number` to a temporary file beside `path`, syncs it and renames it over `path`,
// then syncs the folder so the rename itself survives a power cut.
bool ReplaceCounter(const QByteArray& path, std::uint64_t number, QString* error)
{
    const QByteArray temporary = path + kTemporarySuffix;
    {
        const Descriptor out(::open(temporary.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, kCounterFileMode));
        if (out.get() < 0 || !WriteWhole(out.get(), QByteArray::number(qulonglong(number)) + '\n') ||
            ::fsync(out.get()) != 0) {
            *error = SystemText(errno);
            ::unlink(temporary.constData());
            return false;
        }
    }
    if (::rename(temporary.constData(), path.constData()) != 0) {
        *error = SystemText(errno);
        ::unlink(temporary.constData());
        return false;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const Descriptor dir(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return true;
}

// Whether `fd` still is the file `path` names (not one renamed over it meanwhile).
bool StillNamed(int fd, const QByteArray& path)
{
    struct stat held;
    struct stat named;
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

enum class Access { Take, Peek };

std::optional<std::uint64_t> Use(const QString& path, std::uint64_t start, std::uint64_t step, Access access,
                                 QString* fault)
{
    const QByteArray name = QFile::encodeName(path);
    for (;;) {
        const int flags = access == Access::Take ? O_RDWR | O_CREAT : O_RDONLY;
        const Descriptor fd(::open(name.constData(), flags | O_CLOEXEC, kCounterFileMode));
        if (fd.get() < 0 && access == Access::Peek && errno == ENOENT)
            return start;
        if (fd.get() < 0) {
            Fail(fault, QStringLiteral("Cannot open the serial number counter %1: %2.").arg(path, SystemText(errno)));
            return std::nullopt;
        }
        int locked;
        do
            locked = ::flock(fd.get(), access == Access::Take ? LOCK_EX : LOCK_SH);
        while (locked != 0 && errno == EINTR);
        if (locked != 0) {
            Fail(fault, QStringLiteral("Cannot lock the serial number counter %1: %2.").arg(path, SystemText(errno)));
            return std::nullopt;
        }
        if (!StillNamed(fd.get(), name))
            continue;  // replaced while we waited: the lock guards the old file

        QByteArray text;
        if (!ReadAll(fd.get(), text)) {
            Fail(fault, QStringLiteral("Cannot read the serial number counter %1: %2.").arg(path, SystemText(errno)));
            return std::nullopt;
        }
        const auto number = ParseCounter(text, path, start, fault);
        if (!number || access == Access::Peek)
            return number;
        if (step == 0) {
            Fail(fault, QStringLiteral("The serial number step must be at least 1."));
            return std::nullopt;
        }
        if (*number > std::numeric_limits<std::uint64_t>::max() - step) {
            Fail(fault, QStringLiteral("The serial number counter %1 has reached %2: the next number would pass "
                                       "the largest one (18446744073709551615).")
                            .arg(path)
                            .arg(*number));
            return std::nullopt;
        }
        QString error;
        if (!ReplaceCounter(name, *number + step, &error)) {
            Fail(fault, QStringLiteral("Cannot write the serial number counter %1: %2. The number %3 was not "
                                       "given out; check that the folder is writable.")
                            .arg(path, error)
                            .arg(*number));
            return std::nullopt;
        }
        return number;
    }
}

}  // namespace

std::optional<std::uint64_t> TakeSerialNumber(const QString& path, std::uint64_t start, std::uint64_t step,
                                              QString* fault)
{
    return Use(path, start, step, Access::Take, fault);
}

std::optional<std::uint64_t> PeekSerialNumber(const QString& path, std::uint64_t start, QString* fault)
{
    return Use(path, start, 0, Access::Peek, fault);
}

}  // namespace zandor::platform
