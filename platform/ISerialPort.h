#pragma once

#include "IModemLines.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace zandor::platform {

// What the program asks of the one serial line to the target board. Everything is
// applied together at open time, because a refused setting must fail like a failed open.
struct PortSettings {
    std::int16_t portNumber = 1;     // 1 = first COM port
    QString device;                  // the device to open; empty: the one the port number maps to
    bool dtrEnable = false;          // raise DTR while open
    int handshaking = 0;             // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both; anything else is refused
    std::int32_t inBufferSize = 2048;   // bytes; the device takes 16-bit sizes, larger are not applied
    std::int32_t outBufferSize = 2048;  // bytes; as above
    bool nullDiscard = false;        // drop received zero bytes
    QString settings = QStringLiteral("38400,N,8,1");  // baud,parity,data bits,stop bits
    // Clear the device's hang-up-on-close flag: closing the port then leaves DTR and RTS as
    // a reset or run sequence set them, instead of dropping both (a reset on most boards).
    bool keepLinesAtClose = false;
};

class ISerialPort {
public:
    virtual ~ISerialPort() = default;

    // Applies the settings and opens the device. On failure the port stays closed and
    // `reason` (when given) says why: device missing or busy, or a setting refused.
    virtual bool open(const PortSettings& settings, QString* reason) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Queues the whole byte string in one call. False when the port is not open or failed.
    virtual bool write(const QByteArray& bytes) = 0;
    // Every received byte not read yet (possibly none); empties the input buffer.
    virtual QByteArray readAllPending() = 0;
    // Number of received bytes waiting to be read.
    virtual qint64 pendingCount() = 0;
    // True once the device has gone away under us (USB adapter unplugged, line closed):
    // a wait must end at once instead of polling a dead port.
    virtual bool hasFailed() const = 0;
    // The open port's DTR, RTS and input lines; nothing when the port is not open or has
    // no modem lines at all (a port in memory).
    virtual IModemLines* modemLines() { return nullptr; }
};

}  // namespace zandor::platform
