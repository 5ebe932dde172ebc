#pragma once

#include "ISerialPort.h"

#include <QElapsedTimer>
#include <QFile>
#include <memory>

namespace zandor::platform {

// Passes everything through to the real port and writes every byte both ways to a trace
// file, one line per write or read: the milliseconds since the trace began, ">" for what
// was written or "<" for what was read, and the bytes in hexadecimal:
//   12.345 > 53 45 03 00 00 FC
// This is what a user attaches to a report when a board will not program.
class TracingSerialPort : public ISerialPort {
public:
    // Opens (truncates) the trace file; nothing when it cannot be written, with `error` set.
    static std::unique_ptr<TracingSerialPort> ToFile(ISerialPort& inner, const QString& path,
                                                     QString* error);

    bool open(const PortSettings& settings, QString* reason) override;
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    bool write(const QByteArray& bytes) override;
    QByteArray readAllPending() override;
    qint64 pendingCount() override { return inner_.pendingCount(); }
    bool hasFailed() const override { return inner_.hasFailed(); }
    IModemLines* modemLines() override { return inner_.modemLines(); }

    // Why a trace line could not be written (a full disk, a file size limit), once one could
    // not: the trace is then incomplete. Empty while it is whole.
    QString traceError() const { return traceError_; }

private:
    TracingSerialPort(ISerialPort& inner, std::unique_ptr<QFile> file);
    void trace(char direction, const QByteArray& bytes);

    ISerialPort& inner_;
    std::unique_ptr<QFile> file_;
    QElapsedTimer clock_;
    QString traceError_;
};

// "12.345 > 53 45 03": one trace line without its line end.
QByteArray TraceLine(qint64 nanoseconds, char direction, const QByteArray& bytes);

}  // namespace zandor::platform
