#include "TracingSerialPort.h"

namespace zandor::platform {

namespace {
constexpr qint64 kNanosecondsPerMicrosecond = 1000;
constexpr qint64 kMicrosecondsPerMillisecond = 1000;
}  // namespace

QByteArray TraceLine(qint64 nanoseconds, char direction, const QByteArray& bytes)
{
    const qint64 microseconds = nanoseconds / kNanosecondsPerMicrosecond;
    QByteArray line = QByteArray::number(microseconds / kMicrosecondsPerMillisecond) + '.'
                      + QByteArray::number(microseconds % kMicrosecondsPerMillisecond).rightJustified(3, '0');
    line += ' ';
    line += direction;
    line += ' ';
    line += bytes.toHex(' ').toUpper();
    return line;
}

std::unique_ptr<TracingSerialPort> TracingSerialPort::ToFile(ISerialPort& inner, const QString& path,
                                                             QString* error)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("cannot write the trace %1: %2").arg(path, file->errorString());
        return nullptr;
    }
    return std::unique_ptr<TracingSerialPort>(new TracingSerialPort(inner, std::move(file)));
}

TracingSerialPort::TracingSerialPort(ISerialPort& inner, std::unique_ptr<QFile> file)
    : inner_(inner), file_(std::move(file))
{
    clock_.start();
}

bool TracingSerialPort::open(const PortSettings& settings, QString* reason)
{
    return inner_.open(settings, reason);
}

bool TracingSerialPort::write(const QByteArray& bytes)
{
    const bool written = inner_.write(bytes);
    if (written)
        trace('>', bytes);
    return written;
}

QByteArray TracingSerialPort::readAllPending()
{
    QByteArray bytes = inner_.readAllPending();
    if (!bytes.isEmpty())
        trace('<', bytes);
    return bytes;
}

void TracingSerialPort::trace(char direction, const QByteArray& bytes)
{
    // Flushed line by line, so the trace holds everything up to a crash or a Ctrl-C.
    const QByteArray line = TraceLine(clock_.nsecsElapsed(), direction, bytes) + '\n';
    if ((file_->write(line) != line.size() || !file_->flush()) && traceError_.isEmpty())
        traceError_ = QStringLiteral("cannot write the trace %1: %2").arg(file_->fileName(), file_->errorString());
}

}  // namespace zandor::platform
