#pragma once

#include "platform/ISerialPort.h"

#include <QByteArray>
#include <QList>
#include <functional>
#include <utility>

namespace zandor::testing {

// A serial port in memory. Every write is logged; a responder may queue the target's
// answer to it. Received bytes are whatever was queued and not read yet.
class FakeSerialPort : public platform::ISerialPort {
public:
    using Responder = std::function<void(const QByteArray& written, FakeSerialPort& port)>;

    bool open(const platform::PortSettings& settings, QString* reason) override
    {
        settings_ = settings;
        ++opens_;
        if (openRefused_ && reason)
            *reason = QStringLiteral("refused by the test, attempt %1").arg(opens_);
        failed_ = failed_ && openRefused_;
        return open_ = !openRefused_;
    }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(const QByteArray& bytes) override
    {
        if (!open_ || failed_)
            return false;
        writes_.append(bytes);
        if (responder_)
            responder_(bytes, *this);
        return true;
    }
    QByteArray readAllPending() override { return std::exchange(received_, {}); }
    qint64 pendingCount() override { return received_.size(); }
    bool hasFailed() const override { return failed_; }
    platform::IModemLines* modemLines() override { return open_ ? modemLines_ : nullptr; }

    void queueReceived(const QByteArray& bytes) { received_ += bytes; }
    void setResponder(Responder responder) { responder_ = std::move(responder); }
    void setFailed(bool failed) { failed_ = failed; }
    void setOpenRefused(bool refused) { openRefused_ = refused; }
    void setOpen(bool open) { open_ = open; }
    // The lines the port offers while open; none by default, like a port in memory.
    void setModemLines(platform::IModemLines* lines) { modemLines_ = lines; }

    // One entry per write call, in order.
    const QList<QByteArray>& writes() const { return writes_; }
    QByteArray allWritten() const { return writes_.join(); }
    void clearWrites() { writes_.clear(); }
    const platform::PortSettings& lastSettings() const { return settings_; }

private:
    bool open_ = true;
    bool failed_ = false;
    bool openRefused_ = false;
    int opens_ = 0;
    platform::PortSettings settings_;
    QByteArray received_;
    QList<QByteArray> writes_;
    Responder responder_;
    platform::IModemLines* modemLines_ = nullptr;
};

}  // namespace zandor::testing
