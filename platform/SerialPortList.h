#pragma once

#include "ISettingsStore.h"

#include <QList>
#include <QMap>
#include <QString>

namespace zandor::platform {

// One serial device of this computer, as the user needs to recognise it.
struct SerialPortEntry {
    QString device;        // "/dev/ttyUSB0"
    QString byId;          // the link in /dev/serial/by-id that resolves to it; empty when none
    QString description;   // "FT232R USB UART"; empty when the system has none
    QString manufacturer;  // "FTDI"; empty when unknown
    QString vid;           // USB vendor id, 4 lower-case hex digits; empty when unknown
    QString pid;           // USB product id, as above
    QString serialNumber;  // empty when unknown
    QList<int> comPorts;   // ascending: the n whose key COM<n> of "General" names this device
};

// Key COM<n> of section "General" is looked at for n = 1 to this.
constexpr int kHighestMappedPort = 16;
// Where udev publishes a stable name for each USB-serial adapter, which survives replugging
// and a change of the order in which adapters were found.
inline const QString kSerialByIdFolder = QStringLiteral("/dev/serial/by-id");

// The device of a port number: the value of key COM<n> of section "General" when the
// user has set one (COM1=/dev/ttyUSB0 for a USB adapter), else the system's usual name
// (DefaultDeviceForPort).
QString DeviceNameForPort(ISettingsStore& store, int portNumber);

// Makes port `portNumber` open `device` from now on: writes key COM<n> of section "General".
// An empty device, or the system's usual one for that number, removes the key instead, so
// the port follows the system's naming like a port that was never set.
void SetDeviceForPort(ISettingsStore& store, int portNumber, const QString& device);

// The system's serial ports with their stable names and the port numbers mapped to them,
// plus every existing device that a mapping names but the system does not list (the
// pseudo-terminal of the simulated board). Sorted by device.
QList<SerialPortEntry> ListSerialPorts(ISettingsStore& store);

// The values of keys COM1 to COM<kHighestMappedPort> of section "General", trimmed; ports
// without a value are left out.
QMap<int, QString> ReadPortMappings(ISettingsStore& store);

// The entry of `folder` (first in name order) that resolves to the same file as `device`;
// empty when none does or the folder is missing.
QString ByIdLinkFor(const QString& device, const QString& folder);

// The port numbers whose mapping names `device`, as written or through a link that resolves
// to the same file.
QList<int> PortsNaming(const QString& device, const QMap<int, QString>& mappings);

// ListSerialPorts after the system's list is known: fills in byId from `byIdFolder` and
// comPorts from `mappings`, and adds the existing devices that mappings name but `detected`
// lacks (under the path their links resolve to).
QList<SerialPortEntry> CompletePortList(QList<SerialPortEntry> detected,
                                        const QMap<int, QString>& mappings,
                                        const QString& byIdFolder);

}  // namespace zandor::platform
