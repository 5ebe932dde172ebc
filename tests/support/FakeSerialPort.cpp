#include "FakeSerialPort.h"

namespace zandor::testing {

bool FakeSerialPort::open(const platform::PortSettings& settings, QString* reason)
{
    settings_ = settings;
    if (openRefused_) {
        if (reason)
            *reason = QStringLiteral("refused by the test");
        open_ = false;
        return false;
    }
    open_ = true;
    failed_ = false;
    return true;
}

bool FakeSerialPort::write(const QByteArray& bytes)
{
    if (!open_ || failed_)
        return false;
    writes_.append(bytes);
    if (responder_)
        responder_(bytes, *this);
    return true;
}

QByteArray FakeSerialPort::readAllPending()
{
    QByteArray bytes = received_;
    received_.clear();
    return bytes;
}

QByteArray FakeSerialPort::allWritten() const
{
    QByteArray all;
    for (const QByteArray& w : writes_)
        all += w;
    return all;
}

}  // namespace zandor::testing
