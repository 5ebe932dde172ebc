#pragma once

#include <QSerialPort>
#include <QString>
#include <optional>

namespace zandor::platform {

// The line format of a settings string such as "38400,N,8,1".
struct SerialLineSettings {
    qint32 baudRate = 38400;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// Parses "baud,parity,data bits,stop bits": a baud rate above 0, parity N, E or O in
// either case, 5 to 8 data bits, 1, 1.5 or 2 stop bits; blanks around the parts are
// allowed. Anything else gives no value.
std::optional<SerialLineSettings> ParseSerialLineSettings(const QString& text);

// Maps the profile's handshaking code to a flow control: 0 none, 1 XON/XOFF,
// 2 RTS/CTS, 3 both. Any other code (a stored true arrives as -1) gives no value.
std::optional<QSerialPort::FlowControl> FlowControlForHandshaking(int code);

// The operating-system device of a port number: "/dev/ttyS<n-1>" on Linux and other
// Unix systems, "COM<n>" on Windows; empty for a number below 1.
QString DefaultDeviceForPort(int portNumber);

}  // namespace zandor::platform
