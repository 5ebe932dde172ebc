#pragma once

#include "ISerialPort.h"

#include <QSerialPort>
#include <QString>

#include <optional>

namespace zandor::platform {

// Why a serial port could not be opened, in the terms the user can act on.
enum class PortOpenProblem {
    BadPortNumber,     // a port number below 1
    NoDevice,          // no device is known for the port number
    BadHandshaking,    // a handshaking code that is not 0 to 3
    BadSettings,       // a settings text that does not parse
    NotFound,          // the device does not exist (adapter unplugged)
    NotASerialDevice,  // the path exists but is no character device
    PermissionDenied,  // this user may not read and write the device
    InUse,             // another program holds the device
    Other,             // anything else: the system's own words
};

// What the system said about a failed open: QSerialPort's error and a look at the path.
struct PortOpenFacts {
    QSerialPort::SerialPortError error = QSerialPort::UnknownError;
    bool exists = true;        // the path, after its links, exists
    bool isCharDevice = true;  // ... and is a character device
    bool mayReadWrite = true;  // access(R_OK | W_OK) allows it
    bool isTerminal = true;    // a character device that is a terminal (/dev/null is not)
};

// QSerialPort reports a device held by another program (its lock file, or the kernel's
// exclusive mode) with the same error as missing rights; the access check tells them apart.
PortOpenProblem ClassifyPortOpenFailure(const PortOpenFacts& facts);

// Looks at `device` (stat, access) for ClassifyPortOpenFailure.
PortOpenFacts ObservePortOpenFacts(QSerialPort::SerialPortError error, const QString& device);

// Takes an advisory lock (flock) on an open device, as terminal programs do; true when
// another program holds one, so the line is busy. Ours lasts while the descriptor is open.
bool LockedByAnotherProgram(int descriptor);

// Whether `device` is a terminal: by a brief plain open where that is allowed, else by its
// file type (a character device counts as one).
bool IsTerminalDevice(const QString& device);

// The group that owns `device` when that group may read and write it; else "dialout",
// where serial devices belong on Debian.
QString OwningGroup(const QString& device);

// False when `device` exists but grants its group no read and write rights: joining a
// group cannot help then. True when it cannot be examined.
bool GroupMayReadWrite(const QString& device);
// What to do then, for the doctor and the open's message alike.
QString NoGroupRightsFix();

struct PortOpenFailure {
    PortOpenProblem problem = PortOpenProblem::Other;
    int portNumber = 0;  // the profile's port number; 0 when the device was given directly
    QString device;      // the device tried; may be empty before one is known
    // BadPortNumber, BadHandshaking, BadSettings: the refused value as given;
    // PermissionDenied: the group that owns the device; Other: the system's error text.
    QString detail;
};

// "COM1 = /dev/ttyUSB0" for a port number, "port /dev/ttyUSB0" for a device given directly,
// "COM5" while no device is known.
QString PortLabel(int portNumber, const QString& device);

// One line for the user: the port, then the cause in plain words with the fix, e.g.
// "COM1 = /dev/ttyUSB0: does not exist: is the adapter plugged in?".
QString DescribePortOpenFailure(const PortOpenFailure& failure);

// The first setting of `settings` that no port takes (handshaking code, then the settings
// string), as the failure an open would report for `device`; no value when all are good.
std::optional<PortOpenFailure> RefusedPortSetting(const PortSettings& settings, int portNumber,
                                                  const QString& device);

}  // namespace zandor::platform
